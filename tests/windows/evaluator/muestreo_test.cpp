// Balancing against the paper white, stretching to 0..255, and the sampling
// run over a stand-in measurement.

#include "windows/evaluator/muestreo.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <vector>

using namespace Evaluador;

namespace {

void Poner(Muestras &m, int i, double r, double g, double b)
{
    m.MuestraR[i] = r;
    m.MuestraG[i] = g;
    m.MuestraB[i] = b;
}

Muestras Llenas(double r, double g, double b)
{
    Muestras m;
    for (int i = 0; i < NumParches; ++i) Poner(m, i, r, g, b);
    return m;
}

} // namespace

TEST(Normalizar, BalanceAgainstPaperAndStretch)
{
    // Paper (200, 210, 220) and a patch (100, 105, 110): each channel is half.
    Muestras m = Llenas(200, 210, 220);
    Poner(m, 1, 100, 105, 110);
    Poner(m, 2, 0, 0, 0);
    // Lighter than the paper in red: the channel is cut at 255 before the mean.
    Poner(m, 3, 230, 105, 110);
    EXPECT_EQ(NormalizarMuestras(m, NumParches), QString());
    EXPECT_DOUBLE_EQ(m.MuestraCorregida[0], 255);
    EXPECT_DOUBLE_EQ(m.MuestraCorregida[1], 127.5);
    EXPECT_DOUBLE_EQ(m.MuestraCorregida[3], (255 + 127.5 + 127.5) / 3);
    EXPECT_DOUBLE_EQ(m.MinCorregida, 0);
    EXPECT_DOUBLE_EQ(m.MaxCorregida, 255);
    EXPECT_EQ(m.MuestraNormalizada[0], 255);
    EXPECT_EQ(m.MuestraNormalizada[1], 128); // 127.5
    EXPECT_EQ(m.MuestraNormalizada[2], 0);
    EXPECT_EQ(m.MuestraNormalizada[3], 170);

    // Halves go to even: 2.5 -> 2, 126.5 -> 126.
    Muestras t = Llenas(255, 255, 255);
    Poner(t, 1, 0, 0, 0);
    Poner(t, 2, 2.5, 2.5, 2.5);
    Poner(t, 3, 126.5, 126.5, 126.5);
    NormalizarMuestras(t, NumParches);
    EXPECT_EQ(t.MuestraNormalizada[2], 2);
    EXPECT_EQ(t.MuestraNormalizada[3], 126);
}

TEST(Normalizar, FlatChartGivesZeroEverywhere)
{
    Muestras m = Llenas(90, 90, 90);
    NormalizarMuestras(m, NumParches);
    EXPECT_DOUBLE_EQ(m.MinCorregida, 255);
    EXPECT_DOUBLE_EQ(m.MaxCorregida, 255);
    for (int i = 0; i < NumParches; ++i) EXPECT_EQ(m.MuestraNormalizada[i], 0) << i;
}

TEST(Normalizar, DarkPaperWarns)
{
    Muestras m = Llenas(60, 60, 60);
    Poner(m, 0, 120, 200, 200);
    EXPECT_EQ(NormalizarMuestras(m, NumParches),
              QStringLiteral("Atencion: el color del papel medido es [120,200,200]\r\n"
                             "Es inusualmente oscuro. ¿escaneaste un negativo?"));
    // The results are computed all the same.
    EXPECT_DOUBLE_EQ(m.MuestraCorregida[1], (60 * 255 / 120.0 + 2 * 60 * 255 / 200.0) / 3);

    // A channel below 1 counts as 1, and is shown as 1.
    Muestras n = Llenas(0.2, 0.2, 0.2);
    Poner(n, 0, 0.4, 128, 200.5);
    EXPECT_EQ(NormalizarMuestras(n, NumParches),
              QStringLiteral("Atencion: el color del papel medido es [1,128,200]\r\n"
                             "Es inusualmente oscuro. ¿escaneaste un negativo?"));
    EXPECT_DOUBLE_EQ(n.MuestraCorregida[1], (0.2 * 255 + 0.2 * 255 / 128 + 0.2 * 255 / 200.5) / 3);
}

namespace {

struct Llamada {
    int32_t x1, y1, x2, y2;
    int16_t metodo;
};

// A stand-in chart: patch n of the run measures 255 - 2.5 n on every channel.
struct Simulado {
    std::vector<Llamada> llamadas;
    std::vector<std::pair<int, QString>> progreso;
    QStringList avisos;
    double gris0 = 255;

    Medidor Medir()
    {
        return [this](int32_t x1, int32_t y1, int32_t x2, int32_t y2, double &r, double &g, double &b,
                      int16_t metodo) {
            const double v = llamadas.empty() ? gris0 : 255 - 2.5 * static_cast<double>(llamadas.size());
            llamadas.push_back({x1, y1, x2, y2, metodo});
            r = g = b = v;
            return v;
        };
    }
    Informador Informar()
    {
        return [this](int p, const QString &t) { progreso.emplace_back(p, t); };
    }
    Avisador Avisar()
    {
        return [this](const QString &t) { avisos << t; };
    }
};

constexpr int32_t W = 1173, H = 1183;

} // namespace

TEST(Muestreo, MeasuresTheSquaresSeenOnScreen)
{
    Simulado s;
    Muestras m;
    Rejilla r;
    // The scan at its own size: half side 13 in both.
    const ResultadoMuestreo res =
        MuestrearParches(r, W, H, Vista{0, 0, W, H}, MetodoPercentiles, 0, 80, s.Medir(), s.Informar(), s.Avisar(), m);
    ASSERT_TRUE(res.ok) << res.error.toStdString();
    ASSERT_EQ(s.llamadas.size(), 101u);
    EXPECT_EQ(s.llamadas[0].x1, 53);
    EXPECT_EQ(s.llamadas[0].y1, 122);
    EXPECT_EQ(s.llamadas[0].x2, 79);
    EXPECT_EQ(s.llamadas[0].y2, 148);
    EXPECT_EQ(s.llamadas[0].metodo, MetodoPercentiles);
    EXPECT_EQ(s.llamadas[99].x1, 966 - 13);
    EXPECT_EQ(s.llamadas[99].y2, 1035 + 13);
    EXPECT_EQ(s.llamadas[100].x1, 53);
    EXPECT_EQ(s.llamadas[100].y1, 1135 - 13);

    const std::vector<int> esperados = {7, 13, 20, 26, 33, 39, 46, 52, 59, 65, 74, 77, 80};
    ASSERT_EQ(s.progreso.size(), esperados.size());
    for (size_t i = 0; i < esperados.size(); ++i) EXPECT_EQ(s.progreso[i].first, esperados[i]) << i;
    EXPECT_EQ(s.progreso[0].second, QStringLiteral("Muestreando... 7%"));
    EXPECT_EQ(s.progreso[9].second, QStringLiteral("Muestreando... 65%"));
    EXPECT_EQ(s.progreso[10].second, QStringLiteral("Muestreando parche blanco..."));
    EXPECT_EQ(s.progreso[11].second, QStringLiteral("Normalizando muestras..."));
    EXPECT_EQ(s.progreso[12].second, QStringLiteral("Procesando muestras..."));
    EXPECT_TRUE(s.avisos.isEmpty());

    // 255 - 2.5 k: Corr equals Raw, stretched over 5..255.
    ASSERT_EQ(res.lineas.size(), 101);
    EXPECT_EQ(res.lineas[0], QStringLiteral("Muestra 000%  Raw=255.0  Corr=255.0  Norm=255"));
    EXPECT_EQ(res.lineas[7], QStringLiteral("Muestra 007%  Raw=237.5  Corr=237.5  Norm=237"));
    EXPECT_EQ(res.lineas[100], QStringLiteral("Muestra 100%  Raw=5.0  Corr=5.0  Norm=0"));
    EXPECT_DOUBLE_EQ(m.MinCorregida, 5);
    EXPECT_DOUBLE_EQ(m.MaxCorregida, 255);
}

TEST(Muestreo, StopsWithoutTouchingTheResults)
{
    Muestras m;
    m.MuestraNormalizada[5] = 77;
    m.MinCorregida = 12;
    Rejilla r;
    {
        Simulado s;
        const auto res = MuestrearParches(r, 9, 100, Vista{0, 0, 9, 100}, MetodoMediana, 0, 80, s.Medir(),
                                          s.Informar(), s.Avisar(), m);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.error, QStringLiteral("Imagen demasiado pequena para muestrear."));
        EXPECT_TRUE(s.llamadas.empty());
    }
    {
        // Squares shrunk below a scan pixel.
        Simulado s;
        r.MitadLadoMuestra = 3;
        const auto res = MuestrearParches(r, 100, 100, Vista{0, 0, 1000, 1000}, MetodoMediana, 0, 80, s.Medir(),
                                          s.Informar(), s.Avisar(), m);
        EXPECT_EQ(res.error, QStringLiteral("La imagen es demasiado pequena para detectar parches."));
        EXPECT_TRUE(s.llamadas.empty());
        r.MitadLadoMuestra = MitadLadoInicial;
    }
    {
        // No view to size the squares by.
        Simulado s;
        const auto res = MuestrearParches(r, W, H, Vista{0, 0, 0, 0}, MetodoMediana, 0, 80, s.Medir(),
                                          s.Informar(), s.Avisar(), m);
        EXPECT_FALSE(res.ok);
        EXPECT_FALSE(res.error.isEmpty());
        EXPECT_TRUE(s.llamadas.empty());
    }
    {
        // Only the 100 % patch pushed below the scan: the run names it.
        Simulado s;
        r.DesfaseY = 0.052;
        const auto res = MuestrearParches(r, W, H, Vista{0, 0, W, H}, MetodoMediana, 0, 80, s.Medir(),
                                          s.Informar(), s.Avisar(), m);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.error, QStringLiteral("La muestra del parche 100% queda fuera del escaneo. Ajuste la rejilla."));
        EXPECT_EQ(s.llamadas.size(), 100u);
        EXPECT_TRUE(res.lineas.isEmpty());
    }
    {
        // Squares far to the left: patch 0 is named first.
        Simulado s;
        r.DesfaseY = 0;
        r.DesfaseX = -0.2;
        const auto res = MuestrearParches(r, W, H, Vista{0, 0, W, H}, MetodoMediana, 0, 80, s.Medir(),
                                          s.Informar(), s.Avisar(), m);
        EXPECT_EQ(res.error, QStringLiteral("La muestra del parche 0% queda fuera del escaneo. Ajuste la rejilla."));
    }
    EXPECT_EQ(m.MuestraNormalizada[5], 77);
    EXPECT_EQ(m.MinCorregida, 12);
}

TEST(Muestreo, DarkPaperWarnsAndGoesOn)
{
    Simulado s;
    s.gris0 = 100;
    Muestras m;
    const auto res = MuestrearParches(Rejilla{}, W, H, Vista{0, 0, W, H}, MetodoMediana, 0, 80, s.Medir(),
                                      s.Informar(), s.Avisar(), m);
    EXPECT_TRUE(res.ok);
    ASSERT_EQ(s.avisos.size(), 1);
    EXPECT_TRUE(s.avisos[0].startsWith(QStringLiteral("Atencion: el color del papel medido es [100,100,100]")));
    // The warning comes between the white patch and the normalisation reports.
    EXPECT_EQ(s.progreso.size(), 13u);
}

TEST(Muestreo, LinesFollowTheLocale)
{
    Muestras m;
    m.MuestraBruta[3] = 12.25;
    m.MuestraCorregida[3] = 1234.5;
    m.MuestraNormalizada[3] = 9;
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    const QString l = LineaMuestra(m, 3, 101);
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(l.startsWith(QStringLiteral("Muestra 003%  Raw=12,"))) << l.toStdString();
    EXPECT_TRUE(l.contains(QStringLiteral("Corr=1234,5"))) << l.toStdString();
    EXPECT_TRUE(l.endsWith(QStringLiteral("  Norm=9"))) << l.toStdString();
}
