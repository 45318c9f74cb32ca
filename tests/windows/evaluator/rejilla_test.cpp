// The sample grid over a scan of the 200 ppp chart (1173 x 1183 pixels).

#include "windows/evaluator/rejilla.h"

#include <gtest/gtest.h>

using namespace Evaluador;

namespace {
constexpr int32_t W = 1173, H = 1183;
}

TEST(Rejilla, DefaultFrameIsTheChartAt200ppp)
{
    const Rejilla r;
    const GeometriaRejilla g = CalcularGeometriaRejilla(r, W, H);
    EXPECT_EQ(g.x0, 6);
    EXPECT_EQ(g.x1, 1006);
    EXPECT_EQ(g.y0, 75);
    EXPECT_EQ(g.y1, 1175);
    EXPECT_EQ(g.gw, 1000);
    EXPECT_EQ(g.gh, 1100);

    // A tenth of a cell right of and below the middle of each patch.
    EXPECT_EQ(CentroMuestra(r, g, W, H, 0), (Punto{66, 135}));
    EXPECT_EQ(CentroMuestra(r, g, W, H, 9), (Punto{966, 135}));
    EXPECT_EQ(CentroMuestra(r, g, W, H, 90), (Punto{66, 1035}));
    EXPECT_EQ(CentroMuestra(r, g, W, H, 99), (Punto{966, 1035}));
    EXPECT_EQ(CentroMuestra(r, g, W, H, 100), (Punto{66, 1135}));
}

TEST(Rejilla, OffsetsMoveTheSquaresButNotTheLines)
{
    Rejilla r;
    r.DesfaseX = 0.01;  // 11.73 px
    r.DesfaseY = -0.02; // -23.66 px
    const GeometriaRejilla g = CalcularGeometriaRejilla(r, W, H);
    EXPECT_EQ(CentroMuestra(r, g, W, H, 0), (Punto{78, 111}));
    EXPECT_EQ(CentroMuestra(r, g, W, H, 100), (Punto{78, 1111}));

    // The scan shown at half size from (10, 20): lines stay where the frame is.
    const Vista v{10, 20, 587, 592};
    const Segmento s1 = LineaVertical(g, v, W, H, 1);
    EXPECT_EQ(s1.x1, 10 + 53); // 106 * 587/1173 = 53.04
    EXPECT_EQ(s1.y1, 20 + 38); // 75 * 592/1183 = 37.53
    EXPECT_EQ(s1.y2, 20 + 588); // 1175 * 592/1183 = 588.0
    const Segmento s10 = LineaHorizontal(g, v, W, H, 10);
    EXPECT_EQ(s10.y1, 20 + 538); // 1075 * 592/1183 = 537.95
    EXPECT_EQ(s10.x1, 10 + 3);   // 6 * 0.5004 = 3.0
    EXPECT_EQ(s10.x2, 10 + 503); // 1006 * 0.5004 = 503.4
}

TEST(Rejilla, HalfSideInScanPixels)
{
    // A scan shown at a quarter of its size: 13 box pixels are 52 scan pixels.
    EXPECT_EQ(MitadLadoEnEscaneo(13, Vista{0, 0, 1000, 500}, 4000, 2000), (Punto{52, 52}));
    // Shown at its own size, and enlarged twice (ties to even: 6.5 -> 6, 7.5 -> 8).
    EXPECT_EQ(MitadLadoEnEscaneo(13, Vista{0, 0, W, H}, W, H), (Punto{13, 13}));
    EXPECT_EQ(MitadLadoEnEscaneo(13, Vista{0, 0, 2000, 2000}, 1000, 1000), (Punto{6, 6}));
    EXPECT_EQ(MitadLadoEnEscaneo(15, Vista{0, 0, 2000, 2000}, 1000, 1000), (Punto{8, 8}));
    // The 200 ppp chart fitted into a 480 x 480 box: 476 x 480, scale 0.4058.
    EXPECT_EQ(MitadLadoEnEscaneo(13, Vista{2, 0, 476, 480}, W, H), (Punto{32, 32}));
    EXPECT_EQ(MitadLadoEnEscaneo(3, Vista{2, 0, 476, 480}, W, H), (Punto{7, 7}));
    EXPECT_EQ(MitadLadoEnEscaneo(40, Vista{2, 0, 476, 480}, W, H), (Punto{99, 99}));
    // No view: nothing to convert.
    EXPECT_EQ(MitadLadoEnEscaneo(13, Vista{0, 0, 0, 480}, W, H), (Punto{0, 0}));
}

TEST(Rejilla, KeysAndButtons)
{
    Rejilla r;
    r.MitadLadoMuestra = 20;
    EXPECT_TRUE(MoverRejilla(r, TeclaDerecha));
    EXPECT_TRUE(MoverRejilla(r, TeclaDerecha));
    EXPECT_TRUE(MoverRejilla(r, TeclaArriba));
    EXPECT_DOUBLE_EQ(r.DesfaseX, 0.004);
    EXPECT_DOUBLE_EQ(r.DesfaseY, -0.002);
    EXPECT_FALSE(MoverRejilla(r, 65)); // 'A'
    EXPECT_DOUBLE_EQ(r.DesfaseX, 0.004);

    // Arrows have no limit: the squares may leave the scan.
    for (int i = 0; i < 600; ++i) MoverRejilla(r, TeclaIzquierda);
    EXPECT_LT(r.DesfaseX, -1.0);

    EXPECT_TRUE(AjustarMargenes(r, 0.002, 0));
    EXPECT_TRUE(MoverRejilla(r, TeclaInicio));
    EXPECT_EQ(r.MargenIzquierdo, MargenIzquierdoDefecto);
    EXPECT_EQ(r.MargenDerecho, MargenDerechoDefecto);
    EXPECT_EQ(r.DesfaseX, 0.0);
    EXPECT_EQ(r.DesfaseY, 0.0);
    EXPECT_EQ(r.MitadLadoMuestra, 20); // Home keeps the half side

    r.MitadLadoMuestra = 40;
    EXPECT_FALSE(Agrandar(r));
    EXPECT_EQ(r.MitadLadoMuestra, 40);
    EXPECT_TRUE(Reducir(r));
    EXPECT_EQ(r.MitadLadoMuestra, 39);
    r.MitadLadoMuestra = 3;
    EXPECT_FALSE(Reducir(r));
    EXPECT_TRUE(Agrandar(r));
    EXPECT_EQ(r.MitadLadoMuestra, 4);
}

TEST(Rejilla, FrameMovesOnlyWithinItsLimits)
{
    Rejilla r;
    // The left margin (0.0051) cannot lose three steps.
    EXPECT_TRUE(AjustarMargenes(r, -0.002, 0));
    EXPECT_TRUE(AjustarMargenes(r, -0.002, 0));
    const Rejilla antes = r;
    EXPECT_FALSE(AjustarMargenes(r, -0.002, 0));
    EXPECT_EQ(r.MargenIzquierdo, antes.MargenIzquierdo);
    EXPECT_EQ(r.MargenDerecho, antes.MargenDerecho);
    EXPECT_NEAR(r.MargenIzquierdo, 0.00111509, 1e-12);
    EXPECT_NEAR(r.MargenDerecho, 0.14636999, 1e-12);

    // The whole frame moves: left and right change together.
    Rejilla s;
    EXPECT_TRUE(AjustarMargenes(s, 0, 0.002));
    EXPECT_NEAR(s.MargenSuperior, 0.06539814, 1e-12);
    EXPECT_NEAR(s.MargenInferior, 0.00476247, 1e-12);
    EXPECT_TRUE(AjustarMargenes(s, 0, 0.002));
    EXPECT_TRUE(AjustarMargenes(s, 0, 0.002));
    EXPECT_FALSE(AjustarMargenes(s, 0, 0.002)); // bottom would turn negative

    // Opposite margins may not add up to more than 0.95.
    Rejilla t;
    t.MargenIzquierdo = 0.5;
    t.MargenDerecho = 0.46;
    EXPECT_FALSE(AjustarMargenes(t, 0.002, 0));
    EXPECT_EQ(t.MargenIzquierdo, 0.5);
    t.MargenDerecho = 0.4;
    t.MargenSuperior = 0.5;
    t.MargenInferior = 0.449;
    EXPECT_TRUE(AjustarMargenes(t, 0, 0)); // 0.949: allowed
    t.MargenInferior = 0.46;
    EXPECT_FALSE(AjustarMargenes(t, 0, 0));
    EXPECT_EQ(t.MargenInferior, 0.46);
}

TEST(Rejilla, DragMovesBothWays)
{
    Rejilla r;
    Arrastre a;
    const Vista v{0, 0, 500, 480};
    EXPECT_FALSE(a.Mover(r, 20, 20, v)); // not dragging

    a.Empezar(100.4, 200.5); // 100, 200 (ties to even)
    EXPECT_EQ(a.UltimoRatonX, 100);
    EXPECT_EQ(a.UltimoRatonY, 200);
    EXPECT_FALSE(a.Mover(r, 100.2, 199.6, v)); // the same pixel

    EXPECT_TRUE(a.Mover(r, 110, 195, v));
    EXPECT_DOUBLE_EQ(r.DesfaseX, 0.02);
    EXPECT_DOUBLE_EQ(r.DesfaseY, -5.0 / 480); // -0.0104166...
    EXPECT_EQ(a.UltimoRatonX, 110);
    EXPECT_EQ(a.UltimoRatonY, 195);

    // A pure vertical move still moves the squares.
    EXPECT_TRUE(a.Mover(r, 110, 243, v));
    EXPECT_DOUBLE_EQ(r.DesfaseY, 43.0 / 480);

    // An empty view keeps the last position.
    EXPECT_FALSE(a.Mover(r, 300, 300, Vista{0, 0, 0, 0}));
    EXPECT_EQ(a.UltimoRatonX, 110);
    EXPECT_EQ(a.UltimoRatonY, 243);

    a.Terminar();
    EXPECT_FALSE(a.Mover(r, 400, 400, v));
    EXPECT_DOUBLE_EQ(r.DesfaseX, 0.02);
}
