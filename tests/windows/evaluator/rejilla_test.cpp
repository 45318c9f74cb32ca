// The sample grid over a scan of the 200 ppp chart (1173 x 1183 pixels).

#include "windows/evaluator/rejilla.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Evaluador;

namespace {
constexpr int32_t W = 1173, H = 1183;
}

TEST(Rejilla, GeometriaCentrosYLineas)
{
    Rejilla r;
    GeometriaRejilla g = CalcularGeometriaRejilla(r, W, H);
    EXPECT_EQ((std::vector<int32_t>{g.x0, g.x1, g.y0, g.y1, g.gw, g.gh}), (std::vector<int32_t>{6, 1006, 75, 1175, 1000, 1100}));
    // A tenth of a cell right of and below the middle of each patch.
    const std::pair<int, Punto> centros[] = {{0, {66, 135}}, {9, {966, 135}}, {90, {66, 1035}}, {99, {966, 1035}}, {100, {66, 1135}}};
    for (auto [k, p] : centros) EXPECT_EQ(CentroMuestra(r, g, W, H, k), p) << k;

    // Offsets move the squares (11.73 and -23.66 px) but not the lines.
    r.DesfaseX = 0.01, r.DesfaseY = -0.02, g = CalcularGeometriaRejilla(r, W, H);
    EXPECT_EQ((std::pair{CentroMuestra(r, g, W, H, 0), CentroMuestra(r, g, W, H, 100)}), (std::pair{Punto{78, 111}, Punto{78, 1111}}));
    // The scan shown at half size from (10, 20).
    const Vista v{10, 20, 587, 592};
    const Segmento s1 = LineaVertical(g, v, W, H, 1), s10 = LineaHorizontal(g, v, W, H, 10);
    EXPECT_EQ((std::vector<int32_t>{s1.x1, s1.y1, s1.y2}), (std::vector<int32_t>{63, 58, 608}));   // 53.04, 37.53, 588.0
    EXPECT_EQ((std::vector<int32_t>{s10.y1, s10.x1, s10.x2}), (std::vector<int32_t>{558, 13, 513})); // 537.95, 3.0, 503.4
}

TEST(Rejilla, MitadDelLadoEnPixelesDelEscaneo)
{
    const struct { int32_t mitad; Vista v; int32_t ancho, alto, esperado; } casos[] = {
        {13, {0, 0, 1000, 500}, 4000, 2000, 52}, // shown at a quarter of its size
        {13, {0, 0, W, H}, W, H, 13},            // at its own size
        {13, {0, 0, 2000, 2000}, 1000, 1000, 6}, // enlarged twice: 6.5 -> 6
        {15, {0, 0, 2000, 2000}, 1000, 1000, 8}, // 7.5 -> 8
        {13, {2, 0, 476, 480}, W, H, 32},        // the chart fitted into 480 x 480
        {3, {2, 0, 476, 480}, W, H, 7},
        {40, {2, 0, 476, 480}, W, H, 99},
        {13, {0, 0, 0, 480}, W, H, 0}, // no view: nothing to convert
    };
    for (const auto &c : casos)
        EXPECT_EQ(MitadLadoEnEscaneo(c.mitad, c.v, c.ancho, c.alto), (Punto{c.esperado, c.esperado})) << c.esperado;
}

TEST(Rejilla, TeclasBotonesYLimitesDelMarco)
{
    Rejilla r;
    r.MitadLadoMuestra = 20;
    for (int t : {TeclaDerecha, TeclaDerecha, TeclaArriba}) EXPECT_TRUE(MoverRejilla(r, t));
    EXPECT_FALSE(MoverRejilla(r, 65)); // 'A'
    EXPECT_NEAR(r.DesfaseX, 0.004, 1e-15);
    EXPECT_NEAR(r.DesfaseY, -0.002, 1e-15);
    // Arrows have no limit: the squares may leave the scan.
    for (int i = 0; i < 600; ++i) MoverRejilla(r, TeclaIzquierda);
    EXPECT_LT(r.DesfaseX, -1.0);
    // Home resets margins and offsets but keeps the half side.
    EXPECT_TRUE(AjustarMargenes(r, 0.002, 0) && MoverRejilla(r, TeclaInicio));
    EXPECT_EQ((std::array{r.MargenIzquierdo, r.MargenDerecho, r.DesfaseX, r.DesfaseY, double(r.MitadLadoMuestra)}),
              (std::array{MargenIzquierdoDefecto, MargenDerechoDefecto, 0.0, 0.0, 20.0}));

    // The half side stays within 3..40.
    r.MitadLadoMuestra = 40;
    EXPECT_TRUE(!Agrandar(r) && Reducir(r) && r.MitadLadoMuestra == 39);
    r.MitadLadoMuestra = 3;
    EXPECT_TRUE(!Reducir(r) && Agrandar(r) && r.MitadLadoMuestra == 4);

    // The frame moves whole (left and right together); the left margin
    // (0.0051) cannot lose three steps, the bottom one (0.0068) four.
    Rejilla m;
    EXPECT_TRUE(AjustarMargenes(m, -0.002, 0) && AjustarMargenes(m, -0.002, 0));
    EXPECT_FALSE(AjustarMargenes(m, -0.002, 0));
    Rejilla s;
    EXPECT_TRUE(AjustarMargenes(s, 0, 0.002));
    const double margenes[][2] = {{m.MargenIzquierdo, 0.00111509}, {m.MargenDerecho, 0.14636999},
                                  {s.MargenSuperior, 0.06539814}, {s.MargenInferior, 0.00476247}};
    for (const auto &[obtenido, esperado] : margenes) EXPECT_NEAR(obtenido, esperado, 1e-12);
    EXPECT_TRUE(AjustarMargenes(s, 0, 0.002) && AjustarMargenes(s, 0, 0.002) && !AjustarMargenes(s, 0, 0.002));
    // Opposite margins may add up to 0.95 at most.
    Rejilla t;
    t.MargenIzquierdo = 0.5, t.MargenDerecho = 0.46;
    EXPECT_TRUE(!AjustarMargenes(t, 0.002, 0) && t.MargenIzquierdo == 0.5);
    t.MargenDerecho = 0.4, t.MargenSuperior = 0.5, t.MargenInferior = 0.449;
    EXPECT_TRUE(AjustarMargenes(t, 0, 0));
    t.MargenInferior = 0.46;
    EXPECT_FALSE(AjustarMargenes(t, 0, 0));
}

TEST(Rejilla, ArrastreMueveEnAmbosSentidos)
{
    Rejilla r;
    Arrastre a;
    const Vista v{0, 0, 500, 480};
    EXPECT_FALSE(a.Mover(r, 20, 20, v)); // not dragging
    a.Empezar(100.4, 200.5);            // 100, 200 (ties to even)
    EXPECT_FALSE(a.Mover(r, 100.2, 199.6, v)); // the same pixel
    EXPECT_TRUE(a.Mover(r, 110, 195, v));
    EXPECT_EQ((std::pair{r.DesfaseX, r.DesfaseY}), (std::pair{0.02, -5.0 / 480}));
    // A pure vertical move still moves the squares.
    EXPECT_TRUE(a.Mover(r, 110, 243, v));
    EXPECT_DOUBLE_EQ(r.DesfaseY, 43.0 / 480);
    // An empty view keeps the last position.
    EXPECT_FALSE(a.Mover(r, 300, 300, Vista{0, 0, 0, 0}));
    EXPECT_EQ((std::pair{a.UltimoRatonX, a.UltimoRatonY}), (std::pair{110, 243}));
    a.Terminar();
    EXPECT_FALSE(a.Mover(r, 400, 400, v));
    EXPECT_DOUBLE_EQ(r.DesfaseX, 0.02);
}
