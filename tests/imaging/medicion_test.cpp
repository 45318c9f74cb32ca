// Patch measurement: sentinels, clipping, row addressing and the three methods.

#include "support/imagen.h"

#include "imaging/medicion.h"

#include <gtest/gtest.h>

using namespace modImage;

namespace {
// Result, red, green, blue.
QList<double> Medir(int x1, int y1, int x2, int y2, int16_t metodo)
{
    double r = -7, g = -7, b = -7;
    const double res = MedirParche(x1, y1, x2, y2, r, g, b, metodo);
    return {res, r, g, b};
}
Histograma &Hist(std::initializer_list<std::pair<int, int>> bins)
{
    static Histograma h;
    std::fill(std::begin(h), std::end(h), 0);
    for (auto [v, c] : bins) h[v] = c;
    return h;
}
} // namespace

TEST(Medicion, CentinelasRecorteFilasYMetodos)
{
    for (int16_t metodo : {0, 1, 2, 7}) {
        SCOPED_TRACE(metodo);
        HayEscaneo = false;
        EXPECT_EQ(Medir(0, 0, 3, 3, metodo), QList<double>({128, 128, 128, 128}));
        prueba::FijarEscaneo(6, 4, [](int x, int y) { return uint32_t(100 << 16 | 20 * y << 8 | 10 * x); });
        EXPECT_EQ(Medir(6, 0, 9, 3, metodo), QList<double>({-1, 128, 128, 128})); // wholly outside
        EXPECT_EQ(Medir(3, 2, 2, 2, metodo), QList<double>({-1, 128, 128, 128})); // inverted
        // Clipped to the whole scan: green 0, 20, 40, 60 six times each, blue 0..50.
        EXPECT_EQ(Medir(-5, -5, 50, 50, metodo), QList<double>({(100 + 30 + 25) / 3.0, 100, 30, 25}));
        // Only the top row (the last buffer row) is (30, 20, 10).
        prueba::FijarEscaneo(3, 5, [](int, int y) { return y ? 0xC8C8C8u : 0x1E140Au; });
        EXPECT_EQ(Medir(1, 0, 1, 0, metodo), QList<double>({20, 30, 20, 10}));
    }
    // Ten pixels, red 0 x9 and 255 x1, blue 0..9: mean, median, trimmed mean.
    prueba::FijarEscaneo(10, 1, [](int x, int) { return uint32_t((x == 9 ? 255 : 0) << 16 | x); });
    EXPECT_EQ(Medir(0, 0, 9, 0, 0), QList<double>({10, 25.5, 0, 4.5}));
    for (int16_t m : {1, 2}) EXPECT_EQ(Medir(0, 0, 9, 0, m), QList<double>({1.5, 0, 0, 4.5})) << m;
    // 3000 x 3000: sums beyond 32 bits.
    prueba::FijarEscaneo(3000, 3000, [](int, int) { return 0xFDFEFFu; });
    EXPECT_EQ(Medir(0, 0, 2999, 2999, 0), QList<double>({254, 253, 254, 255}));
    EXPECT_EQ(Medir(0, 0, 2999, 2999, 2)[0], 254);
}

TEST(Medicion, MedianaRangoYMediaRecortadaDelHistograma)
{
    EXPECT_DOUBLE_EQ(MedianaHistograma(Hist({{10, 1}, {11, 1}}), 2), 10.5);
    EXPECT_DOUBLE_EQ(MedianaHistograma(Hist({{10, 1}, {11, 1}}), 0), 128);
    for (auto [k, v] : {std::pair{0, 3}, std::pair{3, 7}, std::pair{4, 255}}) EXPECT_EQ(ValorEnRangoHistograma(Hist({{3, 2}, {7, 1}}), k), v);
    Histograma &cien = Hist({}); // 0..99: ranks 11..90 kept, mean 49.5
    for (int v = 0; v < 100; ++v) cien[v] = 1;
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(cien, 100, 0.1), 49.5);
    cien[99] = 0, cien[200] = 1; // the outlier is dropped
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(cien, 100, 0.1), 49.5);
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(Hist({{0, 8}, {90, 1}}), 9, 0.1), 10); // k = 0
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(Hist({{1, 1}, {50, 18}, {255, 1}}), 20, 0.1), 50); // one bin, both bounds
    // Fewer samples than n says: the median's fallbacks.
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(Hist({{40, 2}}), 30, 0.1), 255);
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(Hist({{40, 2}}), 0, 0.1), 128);
}
