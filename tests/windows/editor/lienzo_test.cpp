// The editor's canvas geometry, drawings and output histograms on bare
// surfaces, against values worked out by hand for the 360-pixel canvas.

#include "windows/editor/lienzo.h"

#include "curves/curvas.h"
#include "platform/colorref.h"
#include "platform/picturebox.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <cstring>

using namespace LienzoCurva;

namespace {
void Identidad() { modEngine::ReiniciarCurvas(), modEngine::CurvasIniciadas = true; }
} // namespace

TEST(LienzoGeometria, ValuesLandOnTheSixPixelMarginedPlot)
{
    // 128 / 255 x 348 = 174.68; 50 -> 68.24; 200 -> 272.94
    const struct { int v, x, y; } casos[] = {
        {0, 6, 354}, {255, 354, 6}, {128, 181, 179}, {50, 74, 286}, {200, 279, 81},
    };
    for (const auto &c : casos) EXPECT_EQ((std::pair{XDeValor(c.v, 360), YDeValor(c.v, 360)}), (std::pair{c.x, c.y})) << c.v;
}

TEST(LienzoGeometria, PixelToCurveRoundsHalvesToEvenThroughTheLevelsAndClamps)
{
    // (px - 6) x 255 / 348 is exactly 42.5, 127.5 and 212.5 at 64, 180, 296.
    const struct { int px, negro, blanco, x; } horizontal[] = {
        {64, 0, 255, 42}, {180, 0, 255, 128}, {296, 0, 255, 212}, {6, 0, 255, 0}, {354, 0, 255, 255},
        {-40, 0, 255, 0}, {400, 0, 255, 255},
        // Plot value 50 is input 0, 200 is 255; 127.5 -> (127.5 - 50) x 255 / 150 = 131.75.
        {XDeValor(50, 360), 50, 200, 0}, {XDeValor(200, 360), 50, 200, 255}, {20, 50, 200, 0}, {180, 50, 200, 132},
        // Equal levels divide by 1.
        {XDeValor(100, 360), 100, 100, 0}, {XDeValor(102, 360), 100, 100, 255},
    };
    for (const auto &c : horizontal) EXPECT_EQ(PixelACurvaX(c.px, 360, c.negro, c.blanco), c.x) << c.px;

    // Vertical: 255 minus the output, 0 at the top.
    const struct { int py, negro, blanco, y; } vertical[] = {
        {296, 0, 255, 255 - 42}, {180, 0, 255, 255 - 128}, {64, 0, 255, 255 - 212}, {354, 0, 255, 255},
        {6, 0, 255, 0}, {0, 0, 255, 0}, {359, 0, 255, 255},
        {180, 90, 90, 255 - 128}, // equal output levels: no level mapping at all
        {180, 0, 127, 0},         // 127.5 maps to 255.99, clamped
    };
    for (const auto &c : vertical) EXPECT_EQ(PixelACurvaY(c.py, 360, c.negro, c.blanco), c.y) << c.py;

    // Without levels given, the current channel's own.
    Identidad();
    modEngine::CanalActual = 2, modEngine::EntradaNegro[2] = 50, modEngine::EntradaBlanco[2] = 200, modEngine::SalidaBlanco[2] = 127;
    EXPECT_EQ((std::pair{PixelACurvaX(180, 360), PixelACurvaY(180, 360)}), (std::pair{132, 0}));
    modEngine::CanalActual = 0;
    EXPECT_EQ((std::pair{PixelACurvaX(180, 360), PixelACurvaY(180, 360)}), (std::pair{128, 255 - 128}));
}

TEST(LienzoGeometria, PointsAreDrawnThroughTheLevels)
{
    Identidad();
    const auto centro = [](int k) {
        int x = 0, y = 0;
        CentroPunto(k, 360, 360, x, y);
        return QPoint(x, y);
    };
    EXPECT_EQ((std::pair{centro(0), centro(1)}), (std::pair{QPoint(6, 354), QPoint(354, 6)}));
    modEngine::EntradaNegro[0] = 50, modEngine::EntradaBlanco[0] = 200;
    EXPECT_EQ((std::pair{centro(0).x(), centro(1).x()}), (std::pair{XDeValor(50, 360), XDeValor(200, 360)}));
    // Equal input levels count as a range of 1: input 255 lands at 101.
    modEngine::EntradaNegro[0] = modEngine::EntradaBlanco[0] = modEngine::SalidaBlanco[0] = 100;
    EXPECT_EQ(centro(1), QPoint(XDeValor(101, 360), YDeValor(100, 360)));
}

TEST(LienzoDibujo, CanvasShowsGridDiagonalBarsCurveAndPoints)
{
    Identidad();
    modEngine::NumPuntos[0] = 3, modEngine::PuntoX[0][2] = 255;
    modEngine::PuntoX[0][1] = modEngine::PuntoY[0][1] = modEngine::PuntoY[0][2] = modEngine::PuntoY[0][0] = 128;
    for (uint8_t *t : {modEngine::LutR, modEngine::LutG, modEngine::LutB}) std::memset(t, 128, 256);
    int32_t fondo[256] = {};
    fondo[0] = 10, fondo[128] = 5;
    Superficie s(360, 360);
    DibujarCurva(s, fondo);

    const struct { int x, y; uint32_t color; } pixeles[] = {
        {1, 1, ColorFondo},
        // Grid at 93, 180, 267 both ways.
        {93, 30, ColorRejilla}, {267, 30, ColorRejilla}, {30, 93, ColorRejilla}, {30, 267, ColorRejilla},
        {92, 30, ColorFondo},
        {100, 260, ColorDiagonal}, // under the flat curve
        // Bin 128 at x 181, half the height of bin 0's bar (174 of 348 pixels).
        {181, 340, ColorBarras}, {181, 181, ColorBarras}, {181, 160, ColorFondo}, {6, 10, ColorBarras},
        {7, 340, ColorFondo},
        // The flat curve at y 179, white for the master channel; markers of radius 4.
        {60, 179, Blanco}, {300, 179, Blanco}, {181, 175, Blanco}, {181, 183, Blanco}, {181, 184, ColorBarras},
    };
    for (const auto &p : pixeles) EXPECT_EQ(s.Point(p.x, p.y), p.color) << p.x << "," << p.y;

    // Red channel, identity: its curve on the diagonal, no bars.
    Identidad();
    modEngine::CanalActual = 1, DibujarCurva(s, nullptr);
    EXPECT_EQ((std::array{s.Point(181, 340), s.Point(180, 180), s.Point(6, 350)}), (std::array{ColorFondo, ColorCanal(1), ColorCanal(1)}));
}

TEST(LienzoDibujo, SlidersAndRamp)
{
    Superficie s(176, 25);
    DibujarSlider(s, 0, 255);
    EXPECT_EQ(PosicionAsa(255, 176), 175);
    EXPECT_EQ((std::array{s.Point(88, 12), s.Point(0, 0), s.Point(175, 0)}), (std::array{ColorBanda, Blanco, Blanco}));
    // 50 / 255 x 175 = 34.3, 200 / 255 x 175 = 137.3
    DibujarSlider(s, 50, 200);
    EXPECT_EQ((std::array{s.Point(34, 0), s.Point(137, 0), s.Point(20, 12), s.Point(80, 12), s.Point(160, 12)}),
              (std::array{Blanco, Blanco, ColorFondo, ColorBanda, ColorFondo}));

    Superficie r(360, 11);
    DibujarRampa(r);
    // 180 / 359 x 255 = 127.86
    EXPECT_EQ((std::array{r.Point(0, 5), r.Point(359, 10), r.Point(180, 0)}),
              (std::array{ColorRef::Gris(0), ColorRef::Gris(255), ColorRef::Gris(128)}));
}

TEST(LienzoHistogramas, OutputCountsFollowTheTables)
{
    int32_t hist[5][256] = {};
    uint8_t id[256], cte[256], inv[256];
    int64_t total = 0;
    for (int i = 0; i < 256; ++i) {
        hist[1][i] = i + 1, hist[2][i] = 2 * i, hist[3][i] = 7, hist[4][i] = 1000 - i, total += hist[4][i];
        id[i] = uint8_t(i), cte[i] = 128, inv[i] = uint8_t(255 - i);
    }
    const HistogramasSalida a = CalcularHistogramasSalida(hist, id, id, id);
    for (int i = 0; i < 256; ++i) EXPECT_EQ((std::pair{a.rojo[i], a.luma[i]}), (std::pair{hist[1][i], hist[4][i]})) << i;
    // A constant curve moves every count into bin 128.
    const HistogramasSalida b = CalcularHistogramasSalida(hist, cte, cte, cte);
    EXPECT_EQ((std::array<int64_t, 3>{b.luma[128], b.azul[128], b.verde[127]}), (std::array<int64_t, 3>{total, 7 * 256, 0}));
    // Luma of a grey through unequal tables: 0.2126 x 255 = 54.2, 0.7874 x 255 = 200.8.
    const HistogramasSalida c = CalcularHistogramasSalida(hist, inv, id, id);
    EXPECT_EQ((std::pair{BinLuma(255, 0, 0), BinLuma(0, 255, 255)}), (std::pair{54, 201}));
    EXPECT_EQ((std::array{c.rojo[255], c.luma[54], c.luma[201]}), (std::array{hist[1][0], hist[4][0], hist[4][255]}));
    // No sample: nothing counted.
    const HistogramasSalida d = CalcularHistogramasSalida(nullptr, id, id, id);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(d.luma[i] + d.rojo[i] + d.verde[i] + d.azul[i], 0);
}

TEST(LienzoTablas, IdentityIsJudgedOnTheWholeCurve)
{
    // The tables play no part: the curve of every channel does, as output takes it.
    Identidad();
    modEngine::LutB[255] = 254;
    EXPECT_TRUE(EsCurvaIdentidad());
    // The master's points, a red level, a green point, a blue level: each
    // alone, whatever channel is being edited.
    for (int16_t *v : {&modEngine::PuntoY[0][1], &modEngine::EntradaNegro[1], &modEngine::PuntoY[2][1], &modEngine::SalidaNegro[3]}) {
        *v = 40;
        EXPECT_FALSE(EsCurvaIdentidad());
        Identidad();
    }
    EXPECT_EQ(NombreCanal(7), QStringLiteral("?"));
}
