// The editor's canvas geometry, drawings and output histograms on bare
// surfaces, against values worked out by hand for the 360-pixel canvas.

#include "windows/editor/lienzo.h"

#include "curves/curvas.h"
#include "platform/colorref.h"
#include "platform/picturebox.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace LienzoCurva;

namespace {

void Identidad()
{
    modEngine::ReiniciarCurvas();
    modEngine::CurvasIniciadas = true;
}

void TablasConstantes(uint8_t v)
{
    std::memset(modEngine::LutR, v, 256);
    std::memset(modEngine::LutG, v, 256);
    std::memset(modEngine::LutB, v, 256);
}

} // namespace

TEST(LienzoGeometria, ValuesLandOnTheSixPixelMarginedPlot)
{
    EXPECT_EQ(XDeValor(0, 360), 6);
    EXPECT_EQ(XDeValor(255, 360), 354);
    EXPECT_EQ(YDeValor(0, 360), 354);
    EXPECT_EQ(YDeValor(255, 360), 6);
    // 128 / 255 x 348 = 174.68
    EXPECT_EQ(XDeValor(128, 360), 181);
    EXPECT_EQ(YDeValor(128, 360), 179);
    // 50 / 255 x 348 = 68.24; 200 / 255 x 348 = 272.94
    EXPECT_EQ(XDeValor(50, 360), 74);
    EXPECT_EQ(XDeValor(200, 360), 279);
}

TEST(LienzoGeometria, PixelToCurveRoundsHalvesToEvenAndClamps)
{
    Identidad();
    // (px - 6) x 255 / 348 is exactly 42.5, 127.5 and 212.5 here.
    EXPECT_EQ(PixelACurvaX(64, 360), 42);
    EXPECT_EQ(PixelACurvaX(180, 360), 128);
    EXPECT_EQ(PixelACurvaX(296, 360), 212);
    EXPECT_EQ(PixelACurvaX(6, 360), 0);
    EXPECT_EQ(PixelACurvaX(354, 360), 255);
    EXPECT_EQ(PixelACurvaX(-40, 360), 0);
    EXPECT_EQ(PixelACurvaX(400, 360), 255);
    // Vertical: 255 minus the output, 0 at the top.
    EXPECT_EQ(PixelACurvaY(296, 360), 255 - 42);
    EXPECT_EQ(PixelACurvaY(180, 360), 255 - 128);
    EXPECT_EQ(PixelACurvaY(64, 360), 255 - 212);
    EXPECT_EQ(PixelACurvaY(354, 360), 255);
    EXPECT_EQ(PixelACurvaY(6, 360), 0);
    EXPECT_EQ(PixelACurvaY(0, 360), 0);
    EXPECT_EQ(PixelACurvaY(359, 360), 255);
}

TEST(LienzoGeometria, PixelToCurveGoesThroughTheCurrentChannelsLevels)
{
    Identidad();
    modEngine::CanalActual = 2;
    modEngine::EntradaNegro[2] = 50;
    modEngine::EntradaBlanco[2] = 200;
    // Plot value 50 is curve input 0, 200 is 255; outside clamps.
    EXPECT_EQ(PixelACurvaX(XDeValor(50, 360), 360), 0);
    EXPECT_EQ(PixelACurvaX(XDeValor(200, 360), 360), 255);
    EXPECT_EQ(PixelACurvaX(20, 360), 0);
    // px 180: t = 127.5, (127.5 - 50) x 255 / 150 = 131.75
    EXPECT_EQ(PixelACurvaX(180, 360), 132);

    // Equal input levels divide by 1: (t - 100) x 255, clamped.
    modEngine::EntradaNegro[2] = 100;
    modEngine::EntradaBlanco[2] = 100;
    EXPECT_EQ(PixelACurvaX(XDeValor(100, 360), 360), 0);
    EXPECT_EQ(PixelACurvaX(XDeValor(102, 360), 360), 255);

    // Equal output levels: no level mapping at all on the vertical side.
    modEngine::SalidaNegro[2] = 90;
    modEngine::SalidaBlanco[2] = 90;
    EXPECT_EQ(PixelACurvaY(180, 360), 255 - 128);
    // Output levels 0 / 127: t = 127.5 maps to 255.99, clamped to 255.
    modEngine::SalidaNegro[2] = 0;
    modEngine::SalidaBlanco[2] = 127;
    EXPECT_EQ(PixelACurvaY(180, 360), 0);
    // The other channels keep their own levels.
    modEngine::CanalActual = 0;
    EXPECT_EQ(PixelACurvaX(180, 360), 128);
}

TEST(LienzoGeometria, PointsAreDrawnThroughTheLevels)
{
    Identidad();
    int x = 0, y = 0;
    CentroPunto(0, 360, 360, x, y);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(y, 354);
    CentroPunto(1, 360, 360, x, y);
    EXPECT_EQ(x, 354);
    EXPECT_EQ(y, 6);

    modEngine::EntradaNegro[0] = 50;
    modEngine::EntradaBlanco[0] = 200;
    CentroPunto(0, 360, 360, x, y);
    EXPECT_EQ(x, XDeValor(50, 360));
    CentroPunto(1, 360, 360, x, y);
    EXPECT_EQ(x, XDeValor(200, 360));

    // Equal input levels count as a range of 1: input 255 lands at 101.
    modEngine::EntradaNegro[0] = 100;
    modEngine::EntradaBlanco[0] = 100;
    CentroPunto(1, 360, 360, x, y);
    EXPECT_EQ(x, XDeValor(101, 360));
    // Output levels 0 / 100: output 255 at 100.
    modEngine::SalidaBlanco[0] = 100;
    CentroPunto(1, 360, 360, x, y);
    EXPECT_EQ(y, YDeValor(100, 360));
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
    TablasConstantes(128);
    int32_t fondo[256] = {};
    fondo[0] = 10;
    fondo[128] = 5;
    Superficie s(360, 360);
    DibujarCurva(s, fondo);

    EXPECT_EQ(s.Point(1, 1), ColorFondo);
    // Grid at 93, 180, 267 both ways.
    EXPECT_EQ(s.Point(93, 30), ColorRejilla);
    EXPECT_EQ(s.Point(267, 30), ColorRejilla);
    EXPECT_EQ(s.Point(30, 93), ColorRejilla);
    EXPECT_EQ(s.Point(30, 267), ColorRejilla);
    EXPECT_EQ(s.Point(92, 30), ColorFondo);
    // The diagonal under the flat curve.
    EXPECT_EQ(s.Point(100, 260), ColorDiagonal);
    // Bin 128: x 181, half the height of bin 0's bar (174 of 348 pixels).
    EXPECT_EQ(s.Point(181, 340), ColorBarras);
    EXPECT_EQ(s.Point(181, 181), ColorBarras);
    EXPECT_EQ(s.Point(181, 160), ColorFondo);
    EXPECT_EQ(s.Point(6, 10), ColorBarras);
    EXPECT_EQ(s.Point(7, 340), ColorFondo);
    // The flat curve at y 179, white for the master channel.
    EXPECT_EQ(s.Point(60, 179), Blanco);
    EXPECT_EQ(s.Point(300, 179), Blanco);
    // Point markers: radius 4 around (181, 179), radius 5 when selected.
    EXPECT_EQ(s.Point(181, 175), Blanco);
    EXPECT_EQ(s.Point(181, 183), Blanco);
    EXPECT_EQ(s.Point(181, 184), ColorBarras);

    Identidad();
    modEngine::CanalActual = 1;
    DibujarCurva(s, nullptr);
    // Red channel, identity: its curve on the diagonal, no bars.
    EXPECT_EQ(s.Point(181, 340), ColorFondo);
    EXPECT_EQ(s.Point(180, 180), ColorCanal(1));
    EXPECT_EQ(s.Point(6, 350), ColorCanal(1));
}

TEST(LienzoDibujo, SlidersBandAndHandles)
{
    Superficie s(176, 25);
    DibujarSlider(s, 0, 255);
    EXPECT_EQ(PosicionAsa(255, 176), 175);
    EXPECT_EQ(s.Point(88, 12), ColorBanda);
    EXPECT_EQ(s.Point(175, 12), ColorBanda);
    EXPECT_EQ(s.Point(0, 0), Blanco);
    EXPECT_EQ(s.Point(175, 0), Blanco);

    // 50 / 255 x 175 = 34.3, 200 / 255 x 175 = 137.3
    DibujarSlider(s, 50, 200);
    EXPECT_EQ(s.Point(34, 0), Blanco);
    EXPECT_EQ(s.Point(137, 0), Blanco);
    EXPECT_EQ(s.Point(20, 12), ColorFondo);
    EXPECT_EQ(s.Point(80, 12), ColorBanda);
    EXPECT_EQ(s.Point(160, 12), ColorFondo);
}

TEST(LienzoDibujo, RampRunsFromBlackToWhite)
{
    Superficie s(360, 11);
    DibujarRampa(s);
    EXPECT_EQ(s.Point(0, 5), ColorRef::Gris(0));
    EXPECT_EQ(s.Point(359, 10), ColorRef::Gris(255));
    // 180 / 359 x 255 = 127.86
    EXPECT_EQ(s.Point(180, 0), ColorRef::Gris(128));
}

TEST(LienzoHistogramas, OutputCountsFollowTheTables)
{
    int32_t hist[5][256] = {};
    for (int i = 0; i < 256; ++i) {
        hist[1][i] = i + 1;
        hist[2][i] = 2 * i;
        hist[3][i] = 7;
        hist[4][i] = 1000 - i;
    }
    uint8_t id[256], cte[256], inv[256];
    for (int i = 0; i < 256; ++i) {
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
    int64_t total = 0;
    for (int i = 0; i < 256; ++i) total += hist[4][i];
    EXPECT_EQ(b.luma[128], total);
    EXPECT_EQ(b.azul[128], 7 * 256);
    EXPECT_EQ(b.verde[127], 0);

    // Luma of a grey carried through unequal tables.
    const HistogramasSalida c = CalcularHistogramasSalida(hist, inv, id, id);
    EXPECT_EQ(c.rojo[255], hist[1][0]);
    // Level 0: 0.2126 x 255 = 54.2; level 255: 0.7874 x 255 = 200.8.
    EXPECT_EQ(BinLuma(255, 0, 0), 54);
    EXPECT_EQ(BinLuma(0, 255, 255), 201);
    EXPECT_EQ(c.luma[54], hist[4][0]);
    EXPECT_EQ(c.luma[201], hist[4][255]);

    const HistogramasSalida d = CalcularHistogramasSalida(nullptr, id, id, id);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(d.luma[i] + d.rojo[i] + d.verde[i] + d.azul[i], 0);
}

TEST(LienzoTablas, IdentityIsJudgedOnTheThreeTablesOnly)
{
    Identidad();
    // Levels and points play no part.
    modEngine::EntradaNegro[1] = 40;
    modEngine::PuntoY[0][1] = 10;
    EXPECT_TRUE(EsCurvaIdentidad());
    modEngine::LutB[255] = 254;
    EXPECT_FALSE(EsCurvaIdentidad());
    EXPECT_EQ(NombreCanal(7), QStringLiteral("?"));
}
