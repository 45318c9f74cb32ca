// Balancing against the paper white, stretching to 0..255, and the sampling
// run over a stand-in measurement.

#include "windows/evaluator/muestreo.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <array>
#include <vector>

using namespace Evaluador;

namespace {

void Poner(Muestras &m, int i, double r, double g, double b) { m.MuestraR[i] = r, m.MuestraG[i] = g, m.MuestraB[i] = b; }
Muestras Llenas(double v)
{
    Muestras m;
    for (int i = 0; i < NumParches; ++i) Poner(m, i, v, v, v);
    return m;
}
const QString kAviso = QStringLiteral("Atencion: el color del papel medido es [%1]\r\nEs inusualmente oscuro. ¿escaneaste un negativo?");

} // namespace

TEST(Normalizar, BalanceContraElPapelYEstirado)
{
    // Paper (200, 210, 220) and a patch (100, 105, 110): each channel is half.
    // Patch 3 is lighter than the paper in red: cut at 255 before the mean.
    Muestras m = Llenas(90);
    Poner(m, 0, 200, 210, 220), Poner(m, 1, 100, 105, 110), Poner(m, 2, 0, 0, 0), Poner(m, 3, 230, 105, 110);
    EXPECT_EQ(NormalizarMuestras(m, NumParches), QString());
    EXPECT_EQ((std::array{m.MuestraCorregida[1], m.MuestraCorregida[3], m.MinCorregida, m.MaxCorregida}),
              (std::array{127.5, (255 + 127.5 + 127.5) / 3, 0.0, 255.0}));
    EXPECT_EQ((std::vector<int>{m.MuestraNormalizada[0], m.MuestraNormalizada[1], m.MuestraNormalizada[2], m.MuestraNormalizada[3]}),
              (std::vector<int>{255, 128, 0, 170})); // 127.5 -> 128
    // Halves go to even: 2.5 -> 2, 126.5 -> 126.
    Muestras t = Llenas(255);
    Poner(t, 1, 0, 0, 0), Poner(t, 2, 2.5, 2.5, 2.5), Poner(t, 3, 126.5, 126.5, 126.5);
    NormalizarMuestras(t, NumParches);
    EXPECT_EQ((std::pair{t.MuestraNormalizada[2], t.MuestraNormalizada[3]}), (std::pair<int16_t, int16_t>{2, 126}));

    // A flat chart: every Norm is 0.
    Muestras f = Llenas(90);
    NormalizarMuestras(f, NumParches);
    for (int i = 0; i < NumParches; ++i) ASSERT_EQ(f.MuestraNormalizada[i], 0) << i;
}

TEST(Normalizar, PapelOscuroAvisaYSigue)
{
    Muestras m = Llenas(60);
    Poner(m, 0, 120, 200, 200);
    EXPECT_EQ(NormalizarMuestras(m, NumParches), kAviso.arg(QStringLiteral("120,200,200")));
    EXPECT_DOUBLE_EQ(m.MuestraCorregida[1], (60 * 255 / 120.0 + 2 * 60 * 255 / 200.0) / 3);
    // A channel below 1 counts as 1, and is shown as 1.
    Muestras n = Llenas(0.2);
    Poner(n, 0, 0.4, 128, 200.5);
    EXPECT_EQ(NormalizarMuestras(n, NumParches), kAviso.arg(QStringLiteral("1,128,200")));
    EXPECT_DOUBLE_EQ(n.MuestraCorregida[1], (0.2 * 255 + 0.2 * 255 / 128 + 0.2 * 255 / 200.5) / 3);
    // Any one channel below 128 is enough; 128 on all three is not dark.
    const std::pair<std::array<double, 3>, const char *> papeles[] = {
        {{200, 200, 60}, "200,200,60"}, {{200, 60, 200}, "200,60,200"}, {{127.6, 255, 255}, "128,255,255"}, {{128, 128, 128}, nullptr}};
    for (const auto &[papel, aviso] : papeles) {
        Muestras p = Llenas(60);
        Poner(p, 0, papel[0], papel[1], papel[2]);
        EXPECT_EQ(NormalizarMuestras(p, NumParches), aviso ? kAviso.arg(QLatin1String(aviso)) : QString()) << papel[2];
    }
}

namespace {

constexpr int32_t W = 1173, H = 1183;

// A stand-in chart: the n-th patch measured reads 255 - 2.5 n (the first
// one gris0); every call and report is recorded.
struct Simulado {
    struct Llamada { int32_t x1, y1, x2, y2; int16_t metodo; };
    std::vector<Llamada> llamadas;
    std::vector<std::pair<int, QString>> progreso;
    QStringList avisos;
    double gris0 = 255;
    Muestras m;

    ResultadoMuestreo Correr(const Rejilla &r, int32_t w, int32_t h, const Vista &v, int16_t metodo = MetodoMediana)
    {
        return MuestrearParches(
            r, w, h, v, metodo, 0, 80,
            [this](int32_t x1, int32_t y1, int32_t x2, int32_t y2, double &cr, double &cg, double &cb, int16_t met) {
                const double g = llamadas.empty() ? gris0 : 255 - 2.5 * static_cast<double>(llamadas.size());
                llamadas.push_back({x1, y1, x2, y2, met});
                return cr = cg = cb = g;
            },
            [this](int p, const QString &t) { progreso.emplace_back(p, t); }, [this](const QString &t) { avisos << t; }, m);
    }
};

} // namespace

TEST(Muestreo, MideLosCuadradosQueSeVen)
{
    Simulado s;
    // The scan at its own size: half side 13 in both.
    const ResultadoMuestreo res = s.Correr(Rejilla{}, W, H, Vista{0, 0, W, H}, MetodoPercentiles);
    ASSERT_TRUE(res.ok) << res.error.toStdString();
    ASSERT_EQ(s.llamadas.size(), 101u);
    const auto &l0 = s.llamadas[0], &l99 = s.llamadas[99], &l100 = s.llamadas[100];
    EXPECT_EQ((std::vector<int>{l0.x1, l0.y1, l0.x2, l0.y2, l0.metodo}), (std::vector<int>{53, 122, 79, 148, MetodoPercentiles}));
    EXPECT_EQ((std::vector<int>{l99.x1, l99.y2, l100.x1, l100.y1}), (std::vector<int>{953, 1048, 53, 1122}));

    QStringList progreso;
    for (const auto &[p, t] : s.progreso) progreso << QString::number(p) + ' ' + t;
    QStringList esperado;
    for (int p : {7, 13, 20, 26, 33, 39, 46, 52, 59, 65}) esperado << QStringLiteral("%1 Muestreando... %1%").arg(p);
    EXPECT_EQ(progreso, esperado << "74 Muestreando parche blanco..." << "77 Normalizando muestras..." << "80 Procesando muestras...");
    EXPECT_TRUE(s.avisos.isEmpty());

    // 255 - 2.5 k: Corr equals Raw, stretched over 5..255.
    ASSERT_EQ(res.lineas.size(), 101);
    EXPECT_EQ(QStringList({res.lineas[0], res.lineas[7], res.lineas[100]}),
              QStringList({"Muestra 000%  Raw=255.0  Corr=255.0  Norm=255", "Muestra 007%  Raw=237.5  Corr=237.5  Norm=237",
                           "Muestra 100%  Raw=5.0  Corr=5.0  Norm=0"}));

    // Dark paper: the warning, and the run goes on.
    Simulado o;
    o.gris0 = 100;
    EXPECT_TRUE(o.Correr(Rejilla{}, W, H, Vista{0, 0, W, H}).ok);
    EXPECT_EQ(o.avisos, QStringList{kAviso.arg(QStringLiteral("100,100,100"))});
    EXPECT_EQ(o.progreso.size(), 13u);
}

TEST(Muestreo, SeDetieneSinTocarLosResultados)
{
    // Squares moved by whole scan pixels to just past each edge: the first
    // square found outside is named (row by row, the 100 % patch last). One
    // pixel less and each measures all 101.
    const auto Movida = [](double dx, double dy) {
        Rejilla r;
        r.DesfaseX = dx / W, r.DesfaseY = dy / H;
        return r;
    };
    const Rejilla base, izquierda = Movida(-80, 0), derecha = Movida(220, 0), arriba = Movida(0, -149), abajo = Movida(0, 61);
    Rejilla pequeno;
    pequeno.MitadLadoMuestra = 3; // below a scan pixel
    for (const Rejilla &dentro : {Movida(-79, 0), Movida(219, 0), Movida(0, -148), Movida(0, 60)}) {
        Simulado s;
        EXPECT_TRUE(s.Correr(dentro, W, H, Vista{0, 0, W, H}).ok && s.llamadas.size() == 101u) << dentro.DesfaseX;
    }
    const struct {
        const Rejilla *r;
        int32_t w, h;
        Vista v;
        const char *error; // nullptr: any
        size_t medidas;
    } casos[] = {
        {&base, 9, 100, {0, 0, 9, 100}, "Imagen demasiado pequena para muestrear.", 0},
        {&pequeno, 100, 100, {0, 0, 1000, 1000}, "La imagen es demasiado pequena para detectar parches.", 0},
        {&base, W, H, {0, 0, 0, 0}, nullptr, 0}, // no view to size the squares by
        {&abajo, W, H, {0, 0, W, H}, "La muestra del parche 100% queda fuera del escaneo. Ajuste la rejilla.", 100},
        {&izquierda, W, H, {0, 0, W, H}, "La muestra del parche 0% queda fuera del escaneo. Ajuste la rejilla.", 0},
        {&derecha, W, H, {0, 0, W, H}, "La muestra del parche 9% queda fuera del escaneo. Ajuste la rejilla.", 9},
        {&arriba, W, H, {0, 0, W, H}, "La muestra del parche 0% queda fuera del escaneo. Ajuste la rejilla.", 0},
    };
    for (const auto &c : casos) {
        Simulado s;
        s.m.MuestraNormalizada[5] = 77, s.m.MinCorregida = 12;
        const ResultadoMuestreo res = s.Correr(*c.r, c.w, c.h, c.v);
        EXPECT_TRUE(c.error ? res.error == QString::fromUtf8(c.error) : !res.error.isEmpty()) << res.error.toStdString();
        EXPECT_EQ((std::tuple{res.ok, s.llamadas.size(), res.lineas.size(), int(s.m.MuestraNormalizada[5]), s.m.MinCorregida}),
                  (std::tuple{false, c.medidas, qsizetype(0), 77, 12.0}));
    }
}

TEST(Muestreo, LineasSegunElIdioma)
{
    Muestras m;
    m.MuestraBruta[3] = 12.25, m.MuestraCorregida[3] = 1234.5, m.MuestraNormalizada[3] = 9;
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    const QString l = LineaMuestra(m, 3, 101);
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(l.startsWith(QStringLiteral("Muestra 003%  Raw=12,"))) << l.toStdString();
    EXPECT_TRUE(l.contains(QStringLiteral("Corr=1234,5"))) << l.toStdString();
    EXPECT_TRUE(l.endsWith(QStringLiteral("  Norm=9"))) << l.toStdString();
}
