// Histogram drawing (column-to-bin mapping, bar heights, overlay colours)
// and statistics.

#include "imaging/histograma.h"
#include "platform/picturebox.h"

#include <gtest/gtest.h>

#include <array>

using namespace modHistograma;
using H = std::array<int32_t, 256>;

namespace {
// Lit pixels counted up from the bottom of column x.
int Altura(const Superficie &s, int x)
{
    int n = 0;
    for (int y = s.ScaleHeight() - 1; y >= 0 && s.Point(x, y) != 0; --y) ++n;
    return n;
}
H Con(std::initializer_list<std::pair<int, int>> bins)
{
    H h{};
    for (auto [v, c] : bins) h[v] = c;
    return h;
}
} // namespace

TEST(Histograma, ColumnasABines)
{
    for (int x = 0; x < 128; ++x) { // 128 columns: two bins each
        int a = -1, b = -1;
        BinesDeColumna(x, 128, a, b);
        ASSERT_EQ(std::pair(a, b), std::pair(2 * x, 2 * x + 1));
    }
    // 512: 1.5 and 2.5 both round to 2, b raised to a; 360: 0.71 -> 1 .. 1.42 -> 1 - 1, raised;
    // 100: column 0 covers 0 .. 2.56 -> 3, minus 1.
    const struct { int x, w, a, b; } casos[] = {{3, 512, 2, 2}, {5, 512, 2, 2}, {511, 512, 255, 255}, {1, 360, 1, 1}, {0, 100, 0, 2}};
    for (const auto &c : casos) {
        int a = -1, b = -1;
        BinesDeColumna(c.x, c.w, a, b);
        EXPECT_EQ(std::pair(a, b), std::pair(c.a, c.b)) << c.x << " of " << c.w;
    }
}

TEST(Histograma, AlturasDeLasBarras)
{
    Superficie s(360, 100);
    DibujarHistograma(s, H{}, 0xFF); // all zero: black
    for (int x = 0; x < 360; ++x) ASSERT_EQ(Altura(s, x), 0);
    // One bin at 1000: full height exactly where that bin is shown; high colour byte dropped.
    DibujarHistograma(s, Con({{100, 1000}}), 0xFFFFFF00u);
    for (int x = 0; x < 360; ++x) ASSERT_EQ(Altura(s, x), x == 140 || x == 141 ? 100 : 0) << x; // 140 * 256 / 360 = 99.6
    EXPECT_EQ(s.Point(140, 0), 0xFFFF00u);
    // A narrow box shows the larger of a column's bins; 25 of 100 is 25 px;
    // then 1 of 200 (0.5) rounds to nothing and 3 of 200 (1.5) to 2.
    Superficie n(128, 100);
    DibujarHistograma(n, Con({{10, 100}, {20, 10}, {21, 25}}), 0xFF);
    EXPECT_EQ(QList<int>({Altura(n, 5), Altura(n, 10), Altura(n, 11)}), QList<int>({100, 25, 0}));
    DibujarHistograma(n, Con({{10, 200}, {30, 1}, {40, 3}}), 0xFF);
    EXPECT_EQ(QList<int>({Altura(n, 15), Altura(n, 20)}), QList<int>({0, 2}));
}

TEST(Histograma, SuperposicionAditiva)
{
    Superficie s(256, 100);
    // Bin 0: red 60, green 40, blue 20; bin 1 green alone; bin 2 cyan; bin 255 the common peak.
    DibujarHistogramaRGB(s, Con({{0, 60}, {255, 100}}), Con({{0, 40}, {1, 50}, {2, 30}}), Con({{0, 20}, {2, 30}}));
    for (int y = 0; y < 100; ++y) {
        const int desdeAbajo = 99 - y;
        const uint32_t c = desdeAbajo < 20 ? 0xFFFFFFu : desdeAbajo < 40 ? 0x00FFFFu : desdeAbajo < 60 ? 0x0000FFu : 0u;
        ASSERT_EQ(s.Point(0, y), c) << desdeAbajo;
    }
    EXPECT_EQ(QList<int>({Altura(s, 1), Altura(s, 255), Altura(s, 3)}), QList<int>({50, 100, 0}));
    EXPECT_EQ(QList<uint32_t>({s.Point(1, 99), s.Point(2, 99), s.Point(255, 0)}), QList<uint32_t>({0x00FF00u, 0xFFFF00u, 0x0000FFu}));
}

TEST(Histograma, Estadisticas)
{
    // Population deviation; the median where the running count reaches total \ 2;
    // a total of 0 gives zeros; a total larger than the counts gives median 255.
    const struct { H h; int32_t total; double media, desviacion; int32_t mediana; } casos[] = {
        {Con({{10, 5}, {20, 5}}), 10, 15, 5, 10}, {Con({{77, 9}}), 9, 77, 0, 77},
        {Con({{0, 1}, {100, 1}, {200, 1}}), 3, 100, 81.64965809277261, 0}, {Con({{10, 5}, {20, 5}}), 0, 0, 0, 0},
        {Con({{77, 9}}), 100, 6.93, 21.021, 255},
    };
    for (const auto &c : casos) {
        double media = -1, desv = -1;
        int32_t mediana = -1;
        EstadisticasHistograma(c.h, c.total, media, desv, mediana);
        EXPECT_EQ((std::pair{media, mediana}), (std::pair{c.media, c.mediana})) << c.total;
        EXPECT_NEAR(desv, c.desviacion, 1e-9) << c.total;
    }
}
