// Interpolation, levels, the per-channel rebuild and the composition of the tables.

#include "ayuda_curvas.h"

#include <gtest/gtest.h>

using namespace modEngine;

namespace {
constexpr int PCHIP = 0, SPLINE = 1, AMBOS = 2;

struct Tramo { // entries desde..hasta all hold 'valor'
    int desde, hasta, valor;
};

void Comprobar(const uint8_t *t, const std::vector<Tramo> &tramos, const char *caso)
{
    for (const Tramo &r : tramos)
        for (int i = r.desde; i <= r.hasta; ++i) EXPECT_EQ(t[i], r.valor) << caso << ", entry " << i;
}
} // namespace

TEST(Interpolacion, ValoresExactos)
{
    const Puntos tres = {{0, 0}, {128, 200}, {255, 255}}, cuatro = {{0, 0}, {64, 100}, {192, 140}, {255, 255}};
    const Puntos dos = {{50, 100}, {200, 150}}, pico = {{0, 0}, {128, 255}, {255, 0}};
    const Puntos x255Doble = {{0, 0}, {128, 128}, {255, 255}, {255, 0}}; // nothing written past 255
    const Puntos locos = {{-500, -20}, {0, 300}, {32767, 255}};          // any 16-bit value a window may write
    const std::vector<Tramo> ident = {{0, 0, 0}, {128, 128, 128}, {255, 255, 255}};
    const struct {
        const char *caso;
        Puntos puntos;
        int modo;
        std::vector<Tramo> tramos;
    } casos[] = {
        {"three, spline", tres, SPLINE, {{0, 0, 0}, {32, 32, 59}, {64, 64, 114}, {96, 96, 162}, {128, 128, 200},
                                         {192, 192, 241}, {224, 224, 250}, {255, 255, 255}}},
        {"three, hermite", tres, PCHIP, {{0, 0, 0}, {32, 32, 55}, {64, 64, 114}, {96, 96, 166}, {128, 128, 200},
                                         {192, 192, 232}, {224, 224, 243}, {255, 255, 255}}},
        {"four, spline", cuatro, SPLINE, {{32, 32, 58}, {128, 128, 117}, {224, 224, 190}}},
        {"four, hermite", cuatro, PCHIP, {{32, 32, 58}, {128, 128, 120}, {224, 224, 189}}},
        {"two, spline extends the line", dos, SPLINE, {{0, 0, 83}, {125, 125, 125}, {255, 255, 168}}},
        {"two, hermite flat outside", dos, PCHIP, {{0, 50, 100}, {125, 125, 125}, {200, 255, 150}}},
        {"steep, clamped, tie to even", {{100, 0}, {110, 255}}, SPLINE, {{0, 0, 0}, {105, 105, 128}, {255, 255, 255}}},
        {"peak, hermite flat top", pico, PCHIP, {{0, 0, 0}, {127, 128, 255}, {255, 255, 0}}},
        {"peak, spline", pico, SPLINE, {{0, 0, 0}, {128, 128, 255}}},
        {"second point at 255", x255Doble, AMBOS, ident},
        {"first point at 30, spline", {{30, 40}, {255, 255}}, SPLINE, {{0, 0, 11}}},
        {"ends inside, hermite", {{30, 40}, {100, 150}, {220, 200}}, PCHIP, {{0, 30, 40}, {220, 255, 200}}},
        {"points out of range", locos, AMBOS, {{0, 0, 255}}},
        {"all points past 255", {{300, 10}, {400, 20}}, PCHIP, {{255, 255, 10}}},
        {"one point: identity", {{10, 200}}, AMBOS, ident},
        // Exact halves (399/2, 73/2) where t squared and cubed must be taken first.
        {"spline, 199.5 to even", {{0, 142}, {85, 221}, {255, 111}}, SPLINE, {{170, 170, 200}}},
        {"spline, 36.5 to even", {{0, 46}, {204, 72}, {255, 155}}, SPLINE, {{170, 170, 36}}},
    };
    ReiniciarCurvas();
    for (const auto &c : casos) {
        PonerPuntos(0, c.puntos);
        for (int modo : {PCHIP, SPLINE})
            if (c.modo == modo || c.modo == AMBOS) Comprobar(Tabla(0, modo).data(), c.tramos, c.caso);
    }
    PonerPuntos(0, tres);
    const auto h = Tabla(0, PCHIP);
    for (int i = 1; i < 256; ++i) EXPECT_GE(h[i], h[i - 1]) << "hermite keeps monotone points monotone, " << i;
    NumPuntos[0] = 40; // read as sixteen
    Tabla(0, SPLINE);
}

TEST(Niveles, ValoresExactos)
{
    const struct {
        const char *caso;
        std::vector<std::pair<int, int>> niveles; // (which level, value) on the master channel
        std::vector<Tramo> tramos;
    } casos[] = {
        {"crushed input range", {{0, 50}, {1, 50}}, {{0, 50, 0}, {51, 255, 255}}},
        {"input white 128, tie at 64", {{1, 128}}, {{63, 63, 126}, {64, 64, 128}, {127, 127, 253}, {128, 255, 255}}},
        {"input white 170, ties to even", {{1, 170}}, {{1, 1, 2}, {3, 3, 4}, {5, 5, 8}}},
        {"inverted output", {{2, 255}, {3, 0}},
         {{0, 0, 255}, {1, 1, 254}, {127, 127, 128}, {128, 128, 127}, {255, 255, 0}}},
        {"output 100..200", {{2, 100}, {3, 200}}, {{0, 0, 100}, {51, 51, 120}, {128, 128, 150}, {255, 255, 200}}},
    };
    for (const auto &c : casos) {
        ReiniciarCurvas();
        for (const auto &[cual, valor] : c.niveles) FijarNivel(0, int16_t(cual), int16_t(valor));
        for (const uint8_t *t : {LutR, LutG, LutB}) Comprobar(t, c.tramos, c.caso);
    }
}

TEST(Tablas, RegenerarSoloElCanalActualYComponer)
{
    ReiniciarCurvas();
    CanalActual = 1;
    FijarNivel(2, 3, 0); // not the current channel: stored, nothing rebuilt
    FijarNivel(4, 0, 10); // a bad channel: nothing
    FijarNivel(-1, 0, 10);
    EXPECT_EQ(V({SalidaBlanco[2], VersionCurva}), V({0, 0}));
    PonerPuntos(1, {{0, 0}, {128, 200}, {255, 255}});
    FijarNivel(1, 7, 99); // an unknown level stores nothing but rebuilds: red only
    EXPECT_EQ(V({VersionCurva, LutR[128]}), V({1, 200}));
    EXPECT_EQ(Copia(LutG), Identidad());

    PonerPuntos(0, {{0, 255}, {255, 0}});
    CanalActual = 0;
    RegenerarCurvaActual(); // the master goes into all three tables alone
    EXPECT_EQ(V({VersionCurva, LutR[128]}), V({2, 127}));
    EXPECT_EQ(Copia(LutR), Copia(LutB));

    FijarNivel(2, 3, 255);
    ComponerLUTs(); // colour curves after the master
    EXPECT_EQ(V({VersionCurva, CanalActual}), V({7, 0}));
    const auto rojo = Tabla(1, PCHIP);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(V({LutR[i], LutG[i]}), V({rojo[255 - i], 255 - i})) << i;
}

TEST(Tablas, ComponerConNivelesPorCanal)
{
    ReiniciarCurvas();
    CanalActual = 3;
    FijarNivel(0, 1, 128); // master input white 128
    FijarNivel(2, 2, 255); // green inverted
    FijarNivel(2, 3, 0);
    FijarNivel(1, 3, 128); // red output white 128
    ComponerLUTs();
    EXPECT_EQ(V({VersionCurva, LutB[64], LutB[200], LutG[64], LutG[200], LutR[64], LutR[200]}), V({5, 128, 255, 127, 0, 64, 128}));
}

TEST(Tablas, LaCurvaCompuestaEsLaDeComponerSinTocarNada)
{
    std::mt19937 g(14);
    for (int caso = 0; caso < 300; ++caso) {
        arnes::PrepararEstado(g); // unsorted points, any levels, either mode and channel
        const arnes::Foto antes;
        uint8_t propia[256], r[256], gv[256], b[256];
        TablaCanal(CanalActual, propia);
        CurvaCompuesta(r, gv, b);
        ASSERT_TRUE(arnes::Foto().MismaCurva(antes)) << caso;
        RegenerarCurvaActual(); // the channel's own curve is what its rebuild stores
        ASSERT_EQ(Copia(propia), Copia(CanalActual == 2 ? LutG : CanalActual == 3 ? LutB : LutR)) << caso;
        ComponerLUTs();
        ASSERT_EQ((std::array{Copia(r), Copia(gv), Copia(b)}), (std::array{Copia(LutR), Copia(LutG), Copia(LutB)})) << caso;
    }
}

TEST(Tablas, OrdenarEsEstableYLaSeleccionSigueASuPunto)
{
    ReiniciarCurvas();
    PonerPuntos(2, {{200, 1}, {100, 2}, {100, 3}, {0, 4}});
    PuntoSel = 0;
    OrdenarPuntos(2);
    EXPECT_EQ((std::pair{DelCanal(2), int(PuntoSel)}), (std::pair{Puntos{{0, 4}, {100, 2}, {100, 3}, {200, 1}}, 3}));
}

TEST(Tablas, ReiniciarVuelveAlEstadoInicial)
{
    AsegurarCurvasIniciadas();
    EXPECT_EQ(Copia(LutB), Identidad());
    PonerPuntos(0, {{0, 0}, {100, 50}, {255, 255}});
    RegenerarCurvaActual();
    GuardarDeshacer();
    ModoInterpolacion = CanalActual = 2;
    PuntoSel = 1;
    Arrastrando = true;
    FijarNivel(3, 0, 9);
    ReiniciarCurvas();
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {255, 255}}));
    EXPECT_EQ(V({EntradaNegro[3], ModoInterpolacion, CanalActual, PuntoSel, Arrastrando, VersionCurva, NumeroDeshacer()}),
              V({0, 0, 0, -1, 0, 0, 0}));
    EXPECT_EQ(Copia(LutR), Identidad());
}
