// Interpolation, levels, the per-channel rebuild and the composition of the
// tables, with the worked values the curve tables must reproduce exactly.

#include "ayuda_curvas.h"
#include "curves/deshacer.h"

#include <gtest/gtest.h>

using namespace modEngine;
using V = std::vector<int>;

namespace {
constexpr int PCHIP = 0;
constexpr int SPLINE = 1;
} // namespace

TEST(Interpolacion, CurvaPorDefectoEsIdentidadEnAmbosModos)
{
    ReiniciarCurvas();
    EXPECT_EQ(Tabla(0, PCHIP), Identidad());
    EXPECT_EQ(Tabla(0, SPLINE), Identidad());
    EXPECT_EQ(Copia(LutR), Identidad());
    CanalActual = 2;
    FijarNivel(2, 0, 0); // a rebuild with default levels keeps the identity
    EXPECT_EQ(Copia(LutG), Identidad());
}

TEST(Interpolacion, DosPuntos)
{
    ReiniciarCurvas();
    PonerPuntos(0, {{50, 100}, {200, 150}});
    const auto s = Tabla(0, SPLINE);
    EXPECT_EQ(s[0], 83);   // the line extended: 83.33
    EXPECT_EQ(s[255], 168); // 168.33
    EXPECT_EQ(s[125], 125);
    const auto h = Tabla(0, PCHIP);
    for (int i = 0; i <= 50; ++i) EXPECT_EQ(h[i], 100) << i;
    for (int i = 200; i <= 255; ++i) EXPECT_EQ(h[i], 150) << i;
    EXPECT_EQ(h[125], 125);
    // A steep line runs out of range on both sides and is clamped.
    PonerPuntos(0, {{100, 0}, {110, 255}});
    const auto e = Tabla(0, SPLINE);
    EXPECT_EQ(e[0], 0);
    EXPECT_EQ(e[105], 128); // 127.5, ties to even
    EXPECT_EQ(e[255], 255);
}

TEST(Interpolacion, TresPuntosValoresTrabajados)
{
    ReiniciarCurvas();
    PonerPuntos(0, {{0, 0}, {128, 200}, {255, 255}});
    const auto s = Tabla(0, SPLINE);
    const auto h = Tabla(0, PCHIP);
    EXPECT_EQ(Entradas(s, {32, 64, 96, 192, 224}), (V{59, 114, 162, 241, 250}));
    EXPECT_EQ(Entradas(h, {32, 64, 96, 192, 224}), (V{55, 114, 166, 232, 243}));
    EXPECT_EQ(Entradas(h, {0, 128, 255}), (V{0, 200, 255}));
    EXPECT_EQ(Entradas(s, {0, 128, 255}), (V{0, 200, 255}));
    for (int i = 1; i < 256; ++i) EXPECT_GE(h[i], h[i - 1]) << i;
}

TEST(Interpolacion, CuatroPuntosValoresTrabajados)
{
    ReiniciarCurvas();
    PonerPuntos(0, {{0, 0}, {64, 100}, {192, 140}, {255, 255}});
    EXPECT_EQ(Entradas(Tabla(0, SPLINE), {32, 128, 224}), (V{58, 117, 190}));
    EXPECT_EQ(Entradas(Tabla(0, PCHIP), {32, 128, 224}), (V{58, 120, 189}));
}

TEST(Interpolacion, PicoNoSaleDeRango)
{
    ReiniciarCurvas();
    PonerPuntos(0, {{0, 0}, {128, 255}, {255, 0}});
    const auto h = Tabla(0, PCHIP);
    EXPECT_EQ(h[128], 255);
    EXPECT_EQ(h[127], 255); // flat top: slope 0 at the peak
    EXPECT_EQ(h[0], 0);
    EXPECT_EQ(h[255], 0);
    const auto s = Tabla(0, SPLINE);
    EXPECT_EQ(s[128], 255);
    EXPECT_EQ(s[0], 0);
}

TEST(Interpolacion, XRepetidaYExtremosLejosDelBorde)
{
    ReiniciarCurvas();
    // A second point at X 255: computed at 256, nothing written past 255.
    PonerPuntos(0, {{0, 0}, {128, 128}, {255, 255}, {255, 0}});
    for (int modo : {PCHIP, SPLINE}) {
        const auto t = Tabla(0, modo);
        EXPECT_EQ(t[0], 0) << modo;
        EXPECT_EQ(t[128], 128) << modo;
        EXPECT_EQ(t[255], 255) << modo;
    }
    // First point at X 30, Y 40: Hermite is flat below it, the spline follows
    // its first segment's line below it (two points: a straight line).
    PonerPuntos(0, {{30, 40}, {255, 255}});
    const auto h = Tabla(0, PCHIP);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(h[i], 40) << i;
    const auto s = Tabla(0, SPLINE);
    EXPECT_EQ(s[0], 11); // 40 - 30 * 215 / 225 = 11.33
    PonerPuntos(0, {{30, 40}, {100, 150}, {220, 200}});
    const auto h3 = Tabla(0, PCHIP);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(h3[i], 40) << i;
    for (int i = 221; i < 256; ++i) EXPECT_EQ(h3[i], 200) << i;
    EXPECT_LT(Tabla(0, SPLINE)[0], 40);
}

TEST(Interpolacion, PuntosFueraDeRangoNoEscribenFueraDeLaTabla)
{
    ReiniciarCurvas();
    // Windows may write any 16-bit value; the table stays within its bytes.
    PonerPuntos(0, {{-500, -20}, {0, 300}, {32767, 255}});
    for (int modo : {PCHIP, SPLINE}) {
        const auto t = Tabla(0, modo);
        EXPECT_EQ(t[0], 255) << modo;
    }
    PonerPuntos(0, {{300, 10}, {400, 20}});
    EXPECT_EQ(Tabla(0, PCHIP)[255], 10);
    NumPuntos[0] = 1; // fewer than two points: identity
    EXPECT_EQ(Tabla(0, PCHIP), Identidad());
    NumPuntos[0] = 40; // read as sixteen
    Tabla(0, SPLINE);
}

TEST(Niveles, RangoAplastadoEmpateEInversion)
{
    ReiniciarCurvas();
    CanalActual = 0;
    // Input black 50, input white 50: 0..50 take the curve at 0, the rest at 255.
    FijarNivel(0, 0, 50);
    FijarNivel(0, 1, 50);
    for (int i = 0; i <= 50; ++i) EXPECT_EQ(LutR[i], 0) << i;
    for (int i = 51; i <= 255; ++i) EXPECT_EQ(LutB[i], 255) << i;

    ReiniciarCurvas();
    FijarNivel(0, 1, 128);
    EXPECT_EQ(LutR[63], 126); // 125.51
    EXPECT_EQ(LutR[64], 128); // 127.5, ties to even
    EXPECT_EQ(LutR[127], 253); // 253.01
    for (int i = 128; i <= 255; ++i) EXPECT_EQ(LutR[i], 255) << i;

    ReiniciarCurvas();
    FijarNivel(0, 2, 255);
    FijarNivel(0, 3, 0);
    for (int i = 0; i <= 255; ++i) EXPECT_EQ(LutG[i], 255 - i) << i;

    // Output levels scale linearly: 0..255 onto 100..200, halves to even.
    ReiniciarCurvas();
    FijarNivel(0, 2, 100);
    FijarNivel(0, 3, 200);
    EXPECT_EQ(LutR[0], 100);
    EXPECT_EQ(LutR[255], 200);
    EXPECT_EQ(LutR[51], 120);
    EXPECT_EQ(LutR[128], 150); // 150.196
}

TEST(Niveles, FijarNivelEnOtroCanalNoTocaTablasNiContador)
{
    ReiniciarCurvas();
    CanalActual = 1;
    FijarNivel(2, 3, 0);
    EXPECT_EQ(SalidaBlanco[2], 0);
    EXPECT_EQ(VersionCurva, 0);
    EXPECT_EQ(Copia(LutG), Identidad());
    // An unknown level index stores nothing but still rebuilds the current channel.
    FijarNivel(1, 7, 99);
    EXPECT_EQ(VersionCurva, 1);
    EXPECT_EQ(EntradaNegro[1], 0);
    // A bad channel changes nothing.
    FijarNivel(4, 0, 10);
    FijarNivel(-1, 0, 10);
    EXPECT_EQ(VersionCurva, 1);
}

TEST(Tablas, RegenerarGuardaSoloLaCurvaDelCanalEditado)
{
    ReiniciarCurvas();
    PonerPuntos(1, {{0, 0}, {128, 200}, {255, 255}});
    CanalActual = 1;
    RegenerarCurvaActual();
    EXPECT_EQ(LutR[128], 200);
    EXPECT_EQ(Copia(LutG), Identidad());
    EXPECT_EQ(VersionCurva, 1);

    // Then the master: every table holds only the master curve.
    PonerPuntos(0, {{0, 255}, {255, 0}});
    CanalActual = 0;
    RegenerarCurvaActual();
    EXPECT_EQ(LutR[128], 127);
    EXPECT_EQ(Copia(LutR), Copia(LutG));
    EXPECT_EQ(Copia(LutR), Copia(LutB));
    EXPECT_EQ(VersionCurva, 2);

    // Composition: red curve after master, green and blue the master alone.
    ComponerLUTs();
    EXPECT_EQ(VersionCurva, 7);
    EXPECT_EQ(CanalActual, 0);
    const auto rojo = Tabla(1, PCHIP);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(LutR[i], rojo[255 - i]) << i;
        EXPECT_EQ(LutG[i], 255 - i) << i;
    }
}

TEST(Tablas, ComponerConNivelesPorCanal)
{
    ReiniciarCurvas();
    CanalActual = 3;
    FijarNivel(0, 1, 128);  // master: input white 128
    FijarNivel(2, 2, 255);  // green inverted by its output levels
    FijarNivel(2, 3, 0);
    FijarNivel(1, 3, 128);  // red output white 128
    const int version = VersionCurva;
    ComponerLUTs();
    EXPECT_EQ(VersionCurva, version + 5);
    EXPECT_EQ(CanalActual, 3);
    // Master alone: 64 -> 128, 200 -> 255.
    EXPECT_EQ(LutB[64], 128);
    EXPECT_EQ(LutB[200], 255);
    EXPECT_EQ(LutG[64], 127);   // 255 - 128
    EXPECT_EQ(LutG[200], 0);
    EXPECT_EQ(LutR[64], 64);    // 128 * 128 / 255 = 64.25
    EXPECT_EQ(LutR[200], 128);
}

TEST(Tablas, OrdenarEsEstableYLaSeleccionSigueASuPunto)
{
    ReiniciarCurvas();
    PonerPuntos(2, {{200, 1}, {100, 2}, {100, 3}, {0, 4}});
    PuntoSel = 0; // the point at X 200
    OrdenarPuntos(2);
    EXPECT_EQ(PuntoX[2][0], 0);
    EXPECT_EQ(PuntoY[2][1], 2); // equal X keep their order
    EXPECT_EQ(PuntoY[2][2], 3);
    EXPECT_EQ(PuntoX[2][3], 200);
    EXPECT_EQ(PuntoSel, 3);
    PuntoSel = 1;
    OrdenarPuntos(2); // already sorted: nothing moves
    EXPECT_EQ(PuntoSel, 1);
    EXPECT_EQ(PuntoY[2][1], 2);
}

TEST(Tablas, ReiniciarYPrimeraInicializacion)
{
    EXPECT_FALSE(CurvasIniciadas);
    EXPECT_EQ(LutR[200], 0); // untouched until first use
    AsegurarCurvasIniciadas();
    EXPECT_TRUE(CurvasIniciadas);
    EXPECT_EQ(Copia(LutB), Identidad());
    PonerPuntos(0, {{0, 0}, {100, 50}, {255, 255}});
    RegenerarCurvaActual();
    GuardarDeshacer();
    AsegurarCurvasIniciadas(); // already initialised: keeps the curve
    EXPECT_EQ(NumPuntos[0], 3);
    EXPECT_EQ(VersionCurva, 1);
    ModoInterpolacion = 1;
    CanalActual = 2;
    PuntoSel = 1;
    Arrastrando = true;
    FijarNivel(3, 0, 9);
    PuntoX[0][5] = 77; // a slot outside the count
    ReiniciarCurvas();
    EXPECT_EQ(NumPuntos[0], 2);
    EXPECT_EQ(PuntoX[0][1], 255);
    EXPECT_EQ(PuntoX[0][5], 77);
    EXPECT_EQ(EntradaNegro[3], 0);
    EXPECT_EQ(ModoInterpolacion, 0);
    EXPECT_EQ(CanalActual, 0);
    EXPECT_EQ(PuntoSel, -1);
    EXPECT_FALSE(Arrastrando);
    EXPECT_EQ(VersionCurva, 0);
    EXPECT_EQ(NumeroDeshacer(), 0);
    EXPECT_EQ(Copia(LutR), Identidad());
}
