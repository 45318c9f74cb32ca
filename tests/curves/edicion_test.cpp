// Point editing by mouse and the undo ring.

#include "ayuda_curvas.h"
#include "curves/deshacer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using namespace modEngine;

namespace {
// Curve coordinates of a point with output level o.
int Yc(int o) { return 255 - o; }
} // namespace

TEST(Edicion, RadioDeAcierto)
{
    ReiniciarCurvas();
    PonerPuntos(0, {{0, 0}, {128, 128}, {255, 255}});
    EXPECT_EQ(BuscarPuntoCercano(128 + 11, Yc(128)), 1);
    EXPECT_EQ(BuscarPuntoCercano(128, Yc(128) - 11), 1);
    EXPECT_EQ(BuscarPuntoCercano(128 + 12, Yc(128)), -1);
    EXPECT_EQ(BuscarPuntoCercano(128 + 8, Yc(128) + 9), -1); // 145 > 144
    EXPECT_EQ(BuscarPuntoCercano(128 + 8, Yc(128) + 8), 1);  // 128 < 144
    // Equal distance: the lower index wins.
    PonerPuntos(0, {{0, 0}, {100, 100}, {110, 100}, {255, 255}});
    EXPECT_EQ(BuscarPuntoCercano(105, Yc(100)), 1);
    // Extreme coordinates do not overflow.
    EXPECT_EQ(BuscarPuntoCercano(INT_MIN, INT_MAX), -1);

    // A press 11 away selects; 12 away inserts.
    PonerPuntos(0, {{0, 0}, {128, 128}, {255, 255}});
    CurvaMouseDown(128, Yc(128) + 11);
    EXPECT_EQ(PuntoSel, 1);
    EXPECT_EQ(NumPuntos[0], 3);
    CurvaMouseUp();
    CurvaMouseDown(128, Yc(128) + 12);
    EXPECT_EQ(NumPuntos[0], 4);
    EXPECT_EQ(PuntoSel, 1); // the earlier point with the same X
    EXPECT_EQ(PuntoX[0][2], 128);
    EXPECT_EQ(PuntoY[0][2], 116);
}

TEST(Edicion, PulsarMoverSoltarCuentaCambios)
{
    ReiniciarCurvas();
    CurvaMouseDown(100, Yc(180)); // inserts (100, 180)
    EXPECT_EQ(PuntoSel, 1);
    EXPECT_TRUE(Arrastrando);
    EXPECT_EQ(VersionCurva, 1);
    CurvaMouseMove(120, Yc(190));
    CurvaMouseMove(130, Yc(200));
    EXPECT_EQ(VersionCurva, 3);
    EXPECT_EQ(LutG[130], 200);
    CurvaMouseUp();
    EXPECT_EQ(VersionCurva, 4);
    EXPECT_FALSE(Arrastrando);
    EXPECT_EQ(PuntoSel, 1); // the selection survives the release
    CurvaMouseMove(10, 10); // no drag: nothing happens
    EXPECT_EQ(VersionCurva, 4);
    EXPECT_EQ(PuntoX[0][1], 130);
}

TEST(Edicion, DieciseisPuntosSinAcierto)
{
    ReiniciarCurvas();
    CanalActual = 3;
    NumPuntos[3] = 16;
    for (int k = 0; k < 16; ++k) {
        PuntoX[3][k] = static_cast<int16_t>(k * 17);
        PuntoY[3][k] = static_cast<int16_t>(k * 17);
    }
    CurvaMouseDown(128, Yc(0));
    EXPECT_EQ(NumPuntos[3], 16);
    EXPECT_EQ(PuntoSel, -1);
    EXPECT_TRUE(Arrastrando);
    EXPECT_EQ(VersionCurva, 1);
    CurvaMouseMove(128, 0); // a drag without a selection does nothing
    EXPECT_EQ(VersionCurva, 1);
}

TEST(Edicion, InsertarEnX255SeleccionaElExtremoExistente)
{
    ReiniciarCurvas();
    CurvaMouseDown(255, Yc(5));
    EXPECT_EQ(NumPuntos[0], 3);
    EXPECT_EQ(PuntoX[0][2], 255);
    EXPECT_EQ(PuntoY[0][2], 5);
    EXPECT_EQ(PuntoSel, 1); // the old end point (255, 255)
    EXPECT_EQ(PuntoY[0][1], 255);
    CurvaMouseMove(200, Yc(255));
    EXPECT_EQ(PuntoX[0][1], 200);
    EXPECT_EQ(PuntoY[0][1], 255);
    EXPECT_EQ(LutR[255], 5);
}

TEST(Edicion, LimitesDeArrastre)
{
    ReiniciarCurvas();
    PonerPuntos(0, {{0, 0}, {100, 100}, {255, 255}});
    CurvaMouseDown(0, Yc(0));
    ASSERT_EQ(PuntoSel, 0);
    CurvaMouseMove(150, Yc(20));
    EXPECT_EQ(PuntoX[0][0], 99);
    EXPECT_EQ(PuntoY[0][0], 20);
    CurvaMouseUp();

    CurvaMouseDown(255, Yc(255)); // the last point stops one after its neighbour
    CurvaMouseMove(-40, Yc(300));
    EXPECT_EQ(PuntoX[0][2], 101);
    EXPECT_EQ(PuntoY[0][2], 255);
    CurvaMouseMove(400, Yc(-9));
    EXPECT_EQ(PuntoX[0][2], 255);
    EXPECT_EQ(PuntoY[0][2], 0);
    CurvaMouseUp();

    // An interior point between 10 and 12 can only sit at 11.
    PonerPuntos(0, {{0, 0}, {10, 10}, {11, 50}, {12, 12}, {255, 255}});
    CurvaMouseDown(11, Yc(50));
    ASSERT_EQ(PuntoSel, 2);
    CurvaMouseMove(200, Yc(60));
    EXPECT_EQ(PuntoX[0][2], 11);
    CurvaMouseMove(0, Yc(60));
    EXPECT_EQ(PuntoX[0][2], 11);
    EXPECT_EQ(PuntoY[0][2], 60);
    CurvaMouseUp();

    // Onto a neighbour: stops one level short.
    PonerPuntos(0, {{0, 0}, {60, 80}, {120, 140}, {255, 255}});
    CurvaMouseDown(60, Yc(80));
    CurvaMouseMove(130, Yc(80));
    EXPECT_EQ(PuntoX[0][1], 119);
    CurvaMouseMove(INT_MIN, INT_MAX);
    EXPECT_EQ(PuntoX[0][1], 1);
    EXPECT_EQ(PuntoY[0][1], 0);
}

TEST(Edicion, PuntosFueraDeRangoSeLimitan)
{
    ReiniciarCurvas();
    CurvaMouseDown(-50, Yc(127));
    EXPECT_EQ(NumPuntos[0], 3);
    EXPECT_EQ(PuntoX[0][1], 0);
    EXPECT_EQ(PuntoY[0][1], 127);
    EXPECT_EQ(PuntoSel, 0);
    CurvaMouseUp();
    CurvaMouseDown(INT_MAX, INT_MIN); // far from (255, 255): inserted at the corner
    EXPECT_EQ(PuntoX[0][NumPuntos[0] - 1], 255);
    EXPECT_EQ(PuntoY[0][NumPuntos[0] - 1], 255);
    // A selection left beyond the count by a caller moves nothing.
    PonerPuntos(0, {{0, 0}, {255, 255}});
    PuntoSel = 15;
    Arrastrando = true;
    const int v = VersionCurva;
    CurvaMouseMove(10, 10);
    EXPECT_EQ(VersionCurva, v);
}

TEST(Edicion, BorrarPunto)
{
    ReiniciarCurvas();
    PonerPuntos(0, {{0, 0}, {255, 255}});
    BorrarPuntoCercano(0, Yc(0));
    EXPECT_EQ(NumPuntos[0], 2);
    PonerPuntos(0, {{0, 0}, {64, 90}, {128, 160}, {255, 255}});
    BorrarPuntoCercano(0, Yc(0));
    BorrarPuntoCercano(255, Yc(255));
    BorrarPuntoCercano(100, Yc(100)); // nothing there
    EXPECT_EQ(NumPuntos[0], 4);
    EXPECT_EQ(VersionCurva, 0);
    PuntoSel = 2;
    BorrarPuntoCercano(66, Yc(88));
    EXPECT_EQ(NumPuntos[0], 3);
    EXPECT_EQ(PuntoX[0][1], 128);
    EXPECT_EQ(PuntoY[0][1], 160);
    EXPECT_EQ(PuntoX[0][2], 255);
    EXPECT_EQ(PuntoSel, -1);
    EXPECT_EQ(VersionCurva, 1);
}

TEST(Deshacer, DocePushesDiezDeshacer)
{
    ReiniciarCurvas();
    for (int i = 1; i <= 12; ++i) {
        PuntoY[0][1] = static_cast<int16_t>(i);
        GuardarDeshacer();
    }
    EXPECT_EQ(NumeroDeshacer(), 10);
    PuntoY[0][1] = 99;
    for (int i = 12; i >= 3; --i) {
        ASSERT_TRUE(Deshacer());
        EXPECT_EQ(PuntoY[0][1], i);
    }
    EXPECT_FALSE(Deshacer());
    EXPECT_EQ(PuntoY[0][1], 3);
    EXPECT_EQ(NumeroDeshacer(), 0);

    for (int i = 0; i < 15; ++i) GuardarDeshacer();
    EXPECT_EQ(NumeroDeshacer(), 10);
    LimpiarDeshacer();
    EXPECT_EQ(NumeroDeshacer(), 0);
    EXPECT_FALSE(Deshacer());
}

TEST(Deshacer, RestauraPuntosYNivelesPeroNoTablasNiCanal)
{
    ReiniciarCurvas();
    PonerPuntos(2, {{0, 10}, {100, 30}, {255, 240}});
    PuntoX[2][9] = 44; // slots beyond the count travel too
    FijarNivel(1, 2, 20);
    GuardarDeshacer();
    const EstadoCurvas antes = TomarEstado();

    PonerPuntos(2, {{0, 0}, {255, 255}});
    PuntoX[2][9] = 0;
    FijarNivel(1, 2, 0);
    FijarNivel(3, 1, 100);
    CanalActual = 3;
    ModoInterpolacion = 1;
    RegenerarCurvaActual();
    const auto lutB = Copia(LutB);
    const int version = VersionCurva;

    ASSERT_TRUE(Deshacer());
    const EstadoCurvas despues = TomarEstado();
    EXPECT_EQ(std::memcmp(&antes, &despues, sizeof antes), 0);
    EXPECT_EQ(PuntoX[2][9], 44);
    EXPECT_EQ(EntradaBlanco[3], 255);
    EXPECT_EQ(CanalActual, 3);
    EXPECT_EQ(ModoInterpolacion, 1);
    EXPECT_EQ(Copia(LutB), lutB);
    EXPECT_EQ(VersionCurva, version);

    // The popped slot is the next push's: a push after an undo overwrites it.
    GuardarDeshacer();
    EXPECT_EQ(NumeroDeshacer(), 1);
    PonerPuntos(2, {{0, 1}, {255, 2}});
    ASSERT_TRUE(Deshacer());
    EXPECT_EQ(NumPuntos[2], 3);
    EXPECT_FALSE(Deshacer());
}
