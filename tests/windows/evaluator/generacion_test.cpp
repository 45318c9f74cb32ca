// Inverting the measured response into the master curve.

#include "windows/evaluator/generacion.h"

#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Evaluador;

namespace {

struct Medidas {
    int16_t N[NumParches];
    explicit Medidas(int16_t v = 0) { std::fill(std::begin(N), std::end(N), v); }
};

Medidas Ideal()
{
    Medidas m;
    for (int i = 0; i < NumParches; ++i) m.N[i] = static_cast<int16_t>(Numeros::CLng(255 * (1 - i / 100.0)));
    return m;
}

} // namespace

TEST(Generacion, TheFourteenLevels)
{
    const int esperados[] = {0, 20, 39, 59, 78, 98, 118, 137, 157, 177, 196, 216, 235, 255};
    for (int i = 0; i < NumNivelesCurva; ++i) EXPECT_EQ(NivelCurva(i), esperados[i]) << i;
}

TEST(Generacion, IdealResponseGivesIdentity)
{
    const Medidas m = Ideal();
    EXPECT_EQ(m.N[93], 18);
    EXPECT_EQ(m.N[92], 20);
    EXPECT_EQ(CalcularPuntoCurva(m.N, 20), 20);

    std::vector<int> pct;
    const PuntosCurva p = GenerarPuntosCurva(m.N, [&](int v, const QString &t) {
        pct.push_back(v);
        EXPECT_EQ(t, QStringLiteral("Generando curva... %1%").arg(v));
    });
    ASSERT_EQ(p.NumPuntosCurva, 14);
    for (int k = 0; k < 14; ++k) {
        EXPECT_EQ(p.PuntoCurvaX[k], NivelCurva(k));
        EXPECT_EQ(p.PuntoCurvaY[k], NivelCurva(k)) << k;
    }
    EXPECT_EQ(pct, (std::vector<int>{81, 83, 84, 86, 87, 89, 90, 91, 93, 94, 96, 97, 99, 100}));
}

TEST(Generacion, EdgesOfTheLookup)
{
    {
        // The densest patches all read 0: the 0 level lands between 59 and 60.
        Medidas m = Ideal();
        for (int i = 60; i <= 100; ++i) m.N[i] = 0;
        m.N[59] = 5;
        EXPECT_EQ(CalcularPuntoCurva(m.N, 0), 102); // round(0.4 * 255)
    }
    {
        Medidas m = Ideal();
        m.N[99] = 3;
        m.N[100] = 0;
        EXPECT_EQ(CalcularPuntoCurva(m.N, 0), 0);
        // The 100 % patch lighter than the 99 % one: pos 97.5.
        m.N[100] = 5;
        EXPECT_EQ(CalcularPuntoCurva(m.N, 0), 6); // round(6.375)
    }
    {
        Medidas m = Ideal();
        m.N[1] = 250;
        EXPECT_EQ(CalcularPuntoCurva(m.N, 255), 255);
        // Paper measured darker than the level: no point for it.
        m.N[0] = 240;
        EXPECT_EQ(CalcularPuntoCurva(m.N, 255), -1);
        EXPECT_EQ(CalcularPuntoCurva(m.N, 245), -1);
    }
    {
        // A response that never falls below 20 gives no point for 20.
        Medidas m(30);
        m.N[0] = 255;
        EXPECT_EQ(CalcularPuntoCurva(m.N, 20), -1);
        EXPECT_EQ(CalcularPuntoCurva(m.N, 39), 253); // pos 0.96: 252.552
    }
    {
        // The last two patches rising steeply would put the 0 level at 650:
        // it is kept at 255.
        Medidas m(0);
        m.N[99] = 254;
        m.N[100] = 255;
        EXPECT_EQ(CalcularPuntoCurva(m.N, 0), 255);
    }
}

TEST(Generacion, FlatChartGivesOnePointOnly)
{
    const Medidas m(0);
    for (int i = 1; i < NumNivelesCurva; ++i) EXPECT_EQ(CalcularPuntoCurva(m.N, NivelCurva(i)), -1);
    EXPECT_EQ(CalcularPuntoCurva(m.N, 0), 0);
    const PuntosCurva p = GenerarPuntosCurva(m.N);
    EXPECT_EQ(p.NumPuntosCurva, 1);
}

TEST(Generacion, InstallsOnlyTheMasterChannel)
{
    modEngine::ReiniciarCurvas();
    modEngine::CanalActual = 2;
    modEngine::ModoInterpolacion = 1;
    modEngine::NumPuntos[1] = 3;
    modEngine::PuntoX[1][2] = 128;
    modEngine::PuntoY[1][2] = 90;
    modEngine::FijarNivel(3, 1, 200);
    modEngine::GuardarDeshacer();
    const int32_t version = modEngine::VersionCurva;

    // A darkening process: the correction lifts the mid tones.
    Medidas m;
    for (int i = 0; i < NumParches; ++i) m.N[i] = static_cast<int16_t>(Numeros::CLng(255 * (1 - i / 100.0) * (1 - i / 100.0)));
    const PuntosCurva p = GenerarPuntosCurva(m.N);
    ASSERT_GE(p.NumPuntosCurva, 2);
    ASSERT_TRUE(InstalarCurvaMaestra(p));

    EXPECT_EQ(modEngine::CanalActual, 0);
    EXPECT_EQ(modEngine::NumPuntos[0], p.NumPuntosCurva);
    for (int k = 0; k < p.NumPuntosCurva; ++k) {
        EXPECT_EQ(modEngine::PuntoX[0][k], p.PuntoCurvaX[k]);
        EXPECT_EQ(modEngine::PuntoY[0][k], p.PuntoCurvaY[k]);
    }
    EXPECT_EQ(modEngine::VersionCurva, version + 1);
    EXPECT_EQ(modEngine::ModoInterpolacion, 1);
    EXPECT_EQ(modEngine::NumPuntos[1], 3);
    EXPECT_EQ(modEngine::PuntoY[1][2], 90);
    EXPECT_EQ(modEngine::EntradaBlanco[3], 200);
    EXPECT_EQ(modEngine::NumeroDeshacer(), 1);
    // The master curve went into all three tables.
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(modEngine::LutR[i], modEngine::LutG[i]);
        EXPECT_EQ(modEngine::LutR[i], modEngine::LutB[i]);
    }
    EXPECT_GT(modEngine::LutR[128], 128);

    // Fewer than two points change nothing.
    PuntosCurva uno;
    uno.NumPuntosCurva = 1;
    EXPECT_FALSE(InstalarCurvaMaestra(uno));
    EXPECT_EQ(modEngine::NumPuntos[0], p.NumPuntosCurva);
    EXPECT_EQ(modEngine::VersionCurva, version + 1);
}
