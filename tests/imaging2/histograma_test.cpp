// Histogram drawing (column-to-bin mapping, bar heights, overlay colours)
// and statistics.

#include "imaging/histograma.h"
#include "platform/picturebox.h"

#include <gtest/gtest.h>

#include <array>

using namespace modHistograma;

namespace {

using H = std::array<int32_t, 256>;

// Height of the bar in column x: lit pixels counted up from the bottom.
int AlturaColumna(const Superficie &s, int x)
{
    int n = 0;
    for (int y = s.ScaleHeight() - 1; y >= 0 && s.Point(x, y) != 0; --y) ++n;
    return n;
}

} // namespace

TEST(Histograma, ColumnasABines)
{
    int a = 0, b = 0;
    // 128 columns: two bins each.
    for (int x = 0; x < 128; ++x) {
        BinesDeColumna(x, 128, a, b);
        ASSERT_EQ(a, 2 * x);
        ASSERT_EQ(b, 2 * x + 1);
    }
    // 512 columns: each bin over two columns (b raised to a).
    BinesDeColumna(3, 512, a, b);
    EXPECT_EQ(a, 2); // 1.5 rounds to 2
    EXPECT_EQ(b, 2);
    BinesDeColumna(5, 512, a, b);
    EXPECT_EQ(a, 2); // 2.5 rounds to 2
    EXPECT_EQ(b, 2);
    BinesDeColumna(511, 512, a, b);
    EXPECT_EQ(a, 255);
    EXPECT_EQ(b, 255);
    // 360 columns: column 1 covers 0.71 -> 1 .. 1.42 -> 1 - 1 = 0, raised to 1.
    BinesDeColumna(1, 360, a, b);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
    // 100 columns: column 0 covers bins 0..2 (2.56 -> 3, minus 1).
    BinesDeColumna(0, 100, a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 2);
}

TEST(Histograma, BarrasDeUnSoloColor)
{
    Superficie s(360, 100);
    H h{};
    // All zero: a black box.
    DibujarHistograma(s, h, 0xFF);
    for (int x = 0; x < 360; x += 7) ASSERT_EQ(AlturaColumna(s, x), 0);

    // One bin at 1000: full-height bars where that bin is shown, nothing else.
    h[100] = 1000;
    DibujarHistograma(s, h, 0xFFFFFF00u);
    for (int x = 0; x < 360; ++x) {
        int a = 0, b = 0;
        BinesDeColumna(x, 360, a, b);
        const bool muestra = a <= 100 && 100 <= b;
        ASSERT_EQ(AlturaColumna(s, x), muestra ? 100 : 0) << x;
        if (muestra) {
            EXPECT_EQ(s.Point(x, 0), 0xFFFF00u); // high byte dropped
        }
    }
    EXPECT_EQ(AlturaColumna(s, 140), 100); // 140/360*256 = 99.6 -> bin 100

    // Narrow box: a column shows the larger of its bins; 25 of 100 is 25 px.
    Superficie n(128, 100);
    H k{};
    k[10] = 100;
    k[20] = 10;
    k[21] = 25;
    DibujarHistograma(n, k, 0xFF);
    EXPECT_EQ(AlturaColumna(n, 5), 100);
    EXPECT_EQ(AlturaColumna(n, 10), 25);
    EXPECT_EQ(AlturaColumna(n, 11), 0);
    // 1 of 200 on a 100-pixel box is 0.5: rounds to an empty bar.
    k[10] = 200;
    k[30] = 1;
    k[40] = 3; // 1.5 -> 2
    DibujarHistograma(n, k, 0xFF);
    EXPECT_EQ(AlturaColumna(n, 15), 0);
    EXPECT_EQ(AlturaColumna(n, 20), 2);
}

TEST(Histograma, SuperposicionAditiva)
{
    Superficie s(256, 100);
    H r{}, g{}, b{};
    r[0] = 60, g[0] = 40, b[0] = 20;
    r[255] = 100; // the common peak
    g[1] = 50;    // green alone
    b[2] = 30, g[2] = 30;
    DibujarHistogramaRGB(s, r, g, b);
    for (int y = 0; y < 100; ++y) {
        const int desdeAbajo = 99 - y;
        const uint32_t c = s.Point(0, y);
        if (desdeAbajo < 20) ASSERT_EQ(c, 0xFFFFFFu) << desdeAbajo;
        else if (desdeAbajo < 40) ASSERT_EQ(c, 0x00FFFFu) << desdeAbajo;
        else if (desdeAbajo < 60) ASSERT_EQ(c, 0x0000FFu) << desdeAbajo;
        else ASSERT_EQ(c, 0u) << desdeAbajo;
    }
    EXPECT_EQ(AlturaColumna(s, 1), 50);
    EXPECT_EQ(s.Point(1, 99), 0x00FF00u);
    EXPECT_EQ(s.Point(2, 99), 0xFFFF00u); // cyan
    EXPECT_EQ(AlturaColumna(s, 255), 100);
    EXPECT_EQ(s.Point(255, 0), 0x0000FFu);
    EXPECT_EQ(s.Point(3, 99), 0u);
}

TEST(Histograma, Estadisticas)
{
    double media = -1, desv = -1;
    int32_t mediana = -1;
    H h{};
    h[10] = 5, h[20] = 5;
    EstadisticasHistograma(h, 10, media, desv, mediana);
    EXPECT_DOUBLE_EQ(media, 15);
    EXPECT_DOUBLE_EQ(desv, 5); // divided by the total, not total - 1
    EXPECT_EQ(mediana, 10);

    H u{};
    u[77] = 9;
    EstadisticasHistograma(u, 9, media, desv, mediana);
    EXPECT_DOUBLE_EQ(media, 77);
    EXPECT_DOUBLE_EQ(desv, 0);
    EXPECT_EQ(mediana, 77);

    // The median is where the running count reaches total \ 2 (3 \ 2 = 1).
    H t{};
    t[0] = 1, t[100] = 1, t[200] = 1;
    EstadisticasHistograma(t, 3, media, desv, mediana);
    EXPECT_EQ(mediana, 0);
    EXPECT_DOUBLE_EQ(media, 100);

    // A total of 0 gives zeros; a total larger than the counts never reaches
    // half and gives 255.
    EstadisticasHistograma(h, 0, media, desv, mediana);
    EXPECT_EQ(media, 0);
    EXPECT_EQ(desv, 0);
    EXPECT_EQ(mediana, 0);
    EstadisticasHistograma(u, 100, media, desv, mediana);
    EXPECT_EQ(mediana, 255);
}
