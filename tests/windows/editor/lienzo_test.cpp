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

void Identidad()
{
    modEngine::ReiniciarCurvas();
    modEngine::CurvasIniciadas = true;
}

} // namespace

TEST(LienzoGeometria, ValuesLandOnTheSixPixelMarginedPlot)
{
    // 128 / 255 x 348 = 174.68; 50 -> 68.24; 200 -> 272.94
    const struct { int v, x, y; } casos[] = {
        {0, 6, 354}, {255, 354, 6}, {128, 181, 179}, {50, 74, 286}, {200, 279, 81},
    };
    for (const auto &c : casos) {
        EXPECT_EQ(XDeValor(c.v, 360), c.x) << c.v;
        EXPECT_EQ(YDeValor(c.v, 360), c.y) << c.v;
    }
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
    modEngine::CanalActual = 2;
    modEngine::EntradaNegro[2] = 50;
    modEngine::EntradaBlanco[2] = 200;
    modEngine::SalidaBlanco[2] = 127;
    EXPECT_EQ(PixelACurvaX(180, 360), 132);
    EXPECT_EQ(PixelACurvaY(180, 360), 0);
    modEngine::CanalActual = 0;
    EXPECT_EQ(PixelACurvaX(180, 360), 128);
    EXPECT_EQ(PixelACurvaY(180, 360), 255 - 128);
}

TEST(LienzoGeometria, PointsAreDrawnThroughTheLevels)
{
    Identidad();
    int x = 0, y = 0;
    CentroPunto(0, 360, 360, x, y);
    EXPECT_EQ(QPoint(x, y), QPoint(6, 354));
    CentroPunto(1, 360, 360, x, y);
    EXPECT_EQ(QPoint(x, y), QPoint(354, 6));

    modEngine::EntradaNegro[0] = 50;
    modEngine::EntradaBlanco[0] = 200;
    CentroPunto(0, 360, 360, x, y);
    EXPECT_EQ(x, XDeValor(50, 360));
    CentroPunto(1, 360, 360, x, y);
    EXPECT_EQ(x, XDeValor(200, 360));
    // Equal input levels count as a range of 1: input 255 lands at 101.
    modEngine::EntradaNegro[0] = 100;
    modEngine::EntradaBlanco[0] = 100;
    modEngine::SalidaBlanco[0] = 100;
    CentroPunto(1, 360, 360, x, y);
    EXPECT_EQ(QPoint(x, y), QPoint(XDeValor(101, 360), YDeValor(100, 360)));
}

TEST(LienzoDibujo, CanvasShowsGridDiagonalBarsCurveAndPoints)
{
    Identidad();
    modEngine::NumPuntos[0] = 3;
    modEngine::PuntoX[0][1] = 128;
    modEngine::PuntoY[0][1] = 128;
    modEngine::PuntoX[0][2] = 255;
    modEngine::PuntoY[0][2] = 128;
    modEngine::PuntoY[0][0] = 128;
    for (uint8_t *t : {modEngine::LutR, modEngine::LutG, modEngine::LutB}) std::memset(t, 128, 256);
    int32_t fondo[256] = {};
    fondo[0] = 10;
    fondo[128] = 5;
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
    modEngine::CanalActual = 1;
    DibujarCurva(s, nullptr);
    EXPECT_EQ(s.Point(181, 340), ColorFondo);
    EXPECT_EQ(s.Point(180, 180), ColorCanal(1));
    EXPECT_EQ(s.Point(6, 350), ColorCanal(1));
}

TEST(LienzoDibujo, SlidersAndRamp)
{
    Superficie s(176, 25);
    DibujarSlider(s, 0, 255);
    EXPECT_EQ(PosicionAsa(255, 176), 175);
    EXPECT_EQ(s.Point(88, 12), ColorBanda);
    EXPECT_EQ(s.Point(0, 0), Blanco);
    EXPECT_EQ(s.Point(175, 0), Blanco);
    // 50 / 255 x 175 = 34.3, 200 / 255 x 175 = 137.3
    DibujarSlider(s, 50, 200);
    EXPECT_EQ(s.Point(34, 0), Blanco);
    EXPECT_EQ(s.Point(137, 0), Blanco);
    EXPECT_EQ(s.Point(20, 12), ColorFondo);
    EXPECT_EQ(s.Point(80, 12), ColorBanda);
    EXPECT_EQ(s.Point(160, 12), ColorFondo);

    Superficie r(360, 11);
    DibujarRampa(r);
    EXPECT_EQ(r.Point(0, 5), ColorRef::Gris(0));
    EXPECT_EQ(r.Point(359, 10), ColorRef::Gris(255));
    EXPECT_EQ(r.Point(180, 0), ColorRef::Gris(128)); // 180 / 359 x 255 = 127.86
}

TEST(LienzoHistogramas, OutputCountsFollowTheTables)
{
    int32_t hist[5][256] = {};
    uint8_t id[256], cte[256], inv[256];
    int64_t total = 0;
    for (int i = 0; i < 256; ++i) {
        hist[1][i] = i + 1;
        hist[2][i] = 2 * i;
        hist[3][i] = 7;
        hist[4][i] = 1000 - i;
        total += hist[4][i];
        id[i] = static_cast<uint8_t>(i);
        cte[i] = 128;
        inv[i] = static_cast<uint8_t>(255 - i);
    }
    const HistogramasSalida a = CalcularHistogramasSalida(hist, id, id, id);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(a.rojo[i], hist[1][i]);
        EXPECT_EQ(a.luma[i], hist[4][i]);
    }
    // A constant curve moves every count into bin 128.
    const HistogramasSalida b = CalcularHistogramasSalida(hist, cte, cte, cte);
    EXPECT_EQ(b.luma[128], total);
    EXPECT_EQ(b.azul[128], 7 * 256);
    EXPECT_EQ(b.verde[127], 0);
    // Luma of a grey through unequal tables: 0.2126 x 255 = 54.2, 0.7874 x 255 = 200.8.
    const HistogramasSalida c = CalcularHistogramasSalida(hist, inv, id, id);
    EXPECT_EQ(c.rojo[255], hist[1][0]);
    EXPECT_EQ(BinLuma(255, 0, 0), 54);
    EXPECT_EQ(BinLuma(0, 255, 255), 201);
    EXPECT_EQ(c.luma[54], hist[4][0]);
    EXPECT_EQ(c.luma[201], hist[4][255]);
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
    modEngine::EntradaNegro[1] = 40; // a red level, red not being edited
    EXPECT_FALSE(EsCurvaIdentidad());
    modEngine::EntradaNegro[1] = 0;
    modEngine::PuntoY[0][1] = 10;
    EXPECT_FALSE(EsCurvaIdentidad());
    EXPECT_EQ(NombreCanal(7), QStringLiteral("?"));
}
