// Point editing by mouse and the undo ring.

#include "ayuda_curvas.h"

#include <gtest/gtest.h>

#include <climits>

using namespace modEngine;

namespace {
int Yc(int salida) { return 255 - salida; } // curve coordinate of an output level
const Puntos tres = {{0, 0}, {128, 128}, {255, 255}};
} // namespace

TEST(Edicion, RadioDeAcierto)
{
    ReiniciarCurvas();
    PonerPuntos(0, tres);
    const struct { int dx, dy, indice; } casos[] = {{11, 0, 1}, {0, -11, 1}, {12, 0, -1}, {8, 9, -1}, {8, 8, 1}};
    for (const auto &c : casos)
        EXPECT_EQ(BuscarPuntoCercano(128 + c.dx, Yc(128) + c.dy), c.indice) << c.dx << "," << c.dy;
    EXPECT_EQ(BuscarPuntoCercano(INT_MIN, INT_MAX), -1); // no overflow
    PonerPuntos(0, {{0, 0}, {100, 100}, {110, 100}, {255, 255}});
    EXPECT_EQ(BuscarPuntoCercano(105, Yc(100)), 1); // equal distance: the lower index

    PonerPuntos(0, tres);
    CurvaMouseDown(128, Yc(128) + 11); // selects
    EXPECT_EQ(V({PuntoSel, NumPuntos[0]}), V({1, 3}));
    CurvaMouseUp();
    CurvaMouseDown(128, Yc(128) + 12); // inserts after the point of equal X, which stays selected
    EXPECT_EQ(V({PuntoSel, NumPuntos[0], PuntoY[0][2]}), V({1, 4, 116}));
}

TEST(Edicion, PulsarMoverSoltarCuentaCambios)
{
    ReiniciarCurvas();
    CurvaMouseDown(100, Yc(180)); // inserts (100, 180)
    EXPECT_EQ(V({PuntoSel, Arrastrando, VersionCurva}), V({1, 1, 1}));
    CurvaMouseMove(120, Yc(190));
    CurvaMouseMove(130, Yc(200));
    EXPECT_EQ(V({VersionCurva, LutG[130]}), V({3, 200}));
    CurvaMouseUp();
    EXPECT_EQ(V({PuntoSel, Arrastrando, VersionCurva}), V({1, 0, 4}));
    CurvaMouseMove(10, 10); // no drag: nothing happens
    EXPECT_EQ(VersionCurva, 4);

    // Sixteen points: a press far from all inserts nothing, and dragging moves nothing.
    ReiniciarCurvas();
    CanalActual = 3;
    NumPuntos[3] = 16;
    for (int k = 0; k < 16; ++k) PuntoX[3][k] = PuntoY[3][k] = static_cast<int16_t>(k * 17);
    CurvaMouseDown(128, Yc(0));
    CurvaMouseMove(128, 0);
    EXPECT_EQ(V({NumPuntos[3], PuntoSel, VersionCurva}), V({16, -1, 1}));
}

TEST(Edicion, InsertarEnX255SeleccionaElExtremoExistente)
{
    ReiniciarCurvas();
    CurvaMouseDown(255, Yc(5));
    EXPECT_EQ((std::pair{DelCanal(0), int(PuntoSel)}), (std::pair{Puntos{{0, 0}, {255, 255}, {255, 5}}, 1}));
    CurvaMouseMove(200, Yc(255));
    EXPECT_EQ(V({PuntoX[0][1], LutR[255]}), V({200, 5}));
}

TEST(Edicion, LimitesDeArrastreYPulsacionesFuera)
{
    const struct {
        Puntos puntos;
        int sel;                                     // the point pressed
        std::vector<std::array<int, 4>> movimientos; // x, y, then the point's X and output
    } casos[] = {
        {tres, 0, {{150, Yc(20), 127, 20}}},
        {tres, 2, {{-40, Yc(300), 129, 255}, {400, Yc(-9), 255, 0}}},
        {{{0, 0}, {10, 10}, {11, 50}, {12, 12}, {255, 255}}, 2, {{200, Yc(60), 11, 60}, {0, Yc(60), 11, 60}}},
        {{{0, 0}, {60, 80}, {120, 140}, {255, 255}}, 1, {{130, Yc(80), 119, 80}, {INT_MIN, INT_MAX, 1, 0}}},
    };
    for (const auto &c : casos) {
        ReiniciarCurvas();
        PonerPuntos(0, c.puntos);
        CurvaMouseDown(c.puntos[c.sel].first, Yc(c.puntos[c.sel].second));
        ASSERT_EQ(PuntoSel, c.sel);
        for (const auto &[x, y, ex, ey] : c.movimientos) {
            CurvaMouseMove(x, y);
            EXPECT_EQ(V({PuntoX[0][c.sel], PuntoY[0][c.sel]}), V({ex, ey})) << x << "," << y;
        }
    }
    ReiniciarCurvas(); // presses outside insert at the edge
    CurvaMouseDown(-50, Yc(127));
    CurvaMouseUp();
    CurvaMouseDown(INT_MAX, INT_MIN);
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {0, 127}, {255, 255}, {255, 255}}));
    PonerPuntos(0, {{0, 0}, {255, 255}});
    PuntoSel = 15; // a selection beyond the count moves nothing
    CurvaMouseMove(10, 10);
    EXPECT_EQ(VersionCurva, 3);
}

TEST(Edicion, BorrarPuntoSalvoExtremos)
{
    ReiniciarCurvas();
    PonerPuntos(0, {{0, 0}, {64, 90}, {128, 160}, {255, 255}});
    BorrarPuntoCercano(0, Yc(0));
    BorrarPuntoCercano(255, Yc(255));
    BorrarPuntoCercano(100, Yc(100)); // nothing there
    EXPECT_EQ(V({NumPuntos[0], VersionCurva}), V({4, 0}));
    PuntoSel = 2;
    BorrarPuntoCercano(66, Yc(88));
    EXPECT_EQ((std::pair{DelCanal(0), V({PuntoSel, VersionCurva})}), (std::pair{Puntos{{0, 0}, {128, 160}, {255, 255}}, V({-1, 1})}));
}

TEST(Deshacer, DocePushesDiezDeshacer)
{
    ReiniciarCurvas();
    for (int i = 1; i <= 12; ++i) PuntoY[0][1] = int16_t(i), GuardarDeshacer();
    EXPECT_EQ(NumeroDeshacer(), 10);
    V vistos;
    while (Deshacer()) vistos.push_back(PuntoY[0][1]);
    EXPECT_EQ(vistos, V({12, 11, 10, 9, 8, 7, 6, 5, 4, 3}));
    for (int i = 0; i < 15; ++i) GuardarDeshacer();
    EXPECT_EQ(NumeroDeshacer(), 10);
    LimpiarDeshacer();
    EXPECT_FALSE(Deshacer());
}

TEST(Deshacer, RestauraPuntosYNivelesPeroNoTablasNiCanal)
{
    ReiniciarCurvas();
    PonerPuntos(2, {{0, 10}, {100, 30}, {255, 240}});
    PuntoX[2][9] = 44; // slots beyond the count travel too
    FijarNivel(1, 2, 20);
    GuardarDeshacer();
    const arnes::Foto guardada;
    PonerPuntos(2, {{0, 0}, {255, 255}});
    PuntoX[2][9] = 0;
    FijarNivel(3, 1, 100);
    CanalActual = 3;
    ModoInterpolacion = 1;
    RegenerarCurvaActual();
    arnes::Foto cambiada;
    ASSERT_TRUE(Deshacer());
    arnes::Foto tras;
    EXPECT_EQ(std::memcmp(&tras.estado, &guardada.estado, sizeof tras.estado), 0);
    tras.estado = cambiada.estado;
    EXPECT_TRUE(tras.MismaCurva(cambiada)); // tables, channel, mode and counter stay

    GuardarDeshacer(); // the popped slot is the next push's
    PonerPuntos(2, {{0, 1}, {255, 2}});
    EXPECT_TRUE(Deshacer() && NumPuntos[2] == 3 && !Deshacer());
}
