// Inverting the measured response into the master curve.

#include "windows/evaluator/generacion.h"

#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace Evaluador;

namespace {

struct Medidas {
    int16_t N[NumParches];
    explicit Medidas(int16_t v) { std::fill(std::begin(N), std::end(N), v); }
    // The ideal response, round(255 (1 - i/100)), or a darkening one.
    explicit Medidas(bool cuadrada = false)
    {
        for (int i = 0; i < NumParches; ++i)
            N[i] = static_cast<int16_t>(Numeros::CLng(255 * (1 - i / 100.0) * (cuadrada ? 1 - i / 100.0 : 1)));
    }
};

} // namespace

TEST(Generacion, RespuestaIdealDaLaIdentidad)
{
    const int niveles[] = {0, 20, 39, 59, 78, 98, 118, 137, 157, 177, 196, 216, 235, 255};
    for (int i = 0; i < NumNivelesCurva; ++i) EXPECT_EQ(NivelCurva(i), niveles[i]) << i;

    const Medidas m;
    EXPECT_EQ((std::pair{m.N[93], m.N[92]}), (std::pair<int16_t, int16_t>{18, 20}));
    std::vector<int> pct;
    const PuntosCurva p = GenerarPuntosCurva(m.N, [&](int v, const QString &t) {
        pct.push_back(v);
        EXPECT_EQ(t, QStringLiteral("Generando curva... %1%").arg(v));
    });
    ASSERT_EQ(p.NumPuntosCurva, 14);
    for (int k = 0; k < 14; ++k) EXPECT_EQ((std::pair{p.PuntoCurvaX[k], p.PuntoCurvaY[k]}), (std::pair{NivelCurva(k), NivelCurva(k)}));
    EXPECT_EQ(pct, (std::vector<int>{81, 83, 84, 86, 87, 89, 90, 91, 93, 94, 96, 97, 99, 100}));
}

TEST(Generacion, BordesDeLaBusqueda)
{
    const struct { const char *caso; std::function<void(Medidas &)> cambiar; int16_t x, y; } casos[] = {
        {"densest all 0: between 59 and 60", [](Medidas &m) { std::fill(m.N + 60, m.N + 101, 0); m.N[59] = 5; }, 0, 102},
        {"99 reads 3, 100 reads 0", [](Medidas &m) { m.N[99] = 3; m.N[100] = 0; }, 0, 0},
        {"100 % lighter than 99 %: pos 97.5", [](Medidas &m) { m.N[99] = 3; m.N[100] = 5; }, 0, 6},
        {"paper 255, patch 1 250", [](Medidas &m) { m.N[1] = 250; }, 255, 255},
        {"paper darker than 255", [](Medidas &m) { m.N[0] = 240; }, 255, -1},
        {"paper darker than 245", [](Medidas &m) { m.N[0] = 240; }, 245, -1},
        {"never below 20", [](Medidas &m) { std::fill(m.N, m.N + 101, 30); m.N[0] = 255; }, 20, -1},
        {"never below 20, x 39: pos 0.96", [](Medidas &m) { std::fill(m.N, m.N + 101, 30); m.N[0] = 255; }, 39, 253},
        {"steep last pair: kept at 255", [](Medidas &m) { std::fill(m.N, m.N + 101, 0); m.N[99] = 254; m.N[100] = 255; }, 0, 255},
        {"patches 0..5 at 255: the first below, 6", [](Medidas &m) { std::fill(m.N, m.N + 6, 255); }, 255, 242},
        {"97 % darkest, 100 % at 3: pos 101.5 kept at 0", [](Medidas &m) { m.N[97] = 0; m.N[99] = 5; m.N[100] = 3; }, 0, 0},
    };
    for (const auto &c : casos) {
        Medidas m;
        c.cambiar(m);
        EXPECT_EQ(CalcularPuntoCurva(m.N, c.x), c.y) << c.caso;
    }
    // A flat chart: only x = 0 gives a point, and one point is not a curve.
    const Medidas plana(int16_t{0});
    for (int i = 1; i < NumNivelesCurva; ++i) EXPECT_EQ(CalcularPuntoCurva(plana.N, NivelCurva(i)), -1) << i;
    EXPECT_EQ(CalcularPuntoCurva(plana.N, 0), 0);
    EXPECT_EQ(GenerarPuntosCurva(plana.N).NumPuntosCurva, 1);
}

TEST(Generacion, LaCurvaQueSeGrabaEsLaGeneradaConLosDemasCanalesComoEstan)
{
    using namespace modEngine;
    ReiniciarCurvas();
    NumPuntos[1] = 3, PuntoY[1][2] = 90;
    const PuntosCurva p = GenerarPuntosCurva(Medidas(true).N);
    ASSERT_EQ(p.NumPuntosCurva, 14);
    const EstadoCurvas e = ConCurvaGenerada(p);
    EXPECT_EQ((std::vector<int>{e.NumPuntos[0], e.PuntoX[0][13], e.PuntoY[0][13], e.NumPuntos[1], e.PuntoY[1][2]}),
              (std::vector<int>{14, 255, 255, 3, 90}));
    EXPECT_EQ(NumPuntos[0], 2); // the state itself untouched
}
