// Patch measurement: sentinels, clipping, row addressing and the three methods.

#include "imagenes.h"

#include "imaging/medicion.h"
#include "imaging/modimage.h"

#include <gtest/gtest.h>

using namespace modImage;
using prueba::BGR;

namespace {
struct Medida {
    double r = -7, g = -7, b = -7, resultado = -7;
};
Medida Medir(int x1, int y1, int x2, int y2, int16_t metodo)
{
    Medida m;
    m.resultado = MedirParche(x1, y1, x2, y2, m.r, m.g, m.b, metodo);
    return m;
}
Histograma &Hist(std::initializer_list<std::pair<int, int>> bins)
{
    static Histograma h;
    std::fill(std::begin(h), std::end(h), 0);
    for (auto [v, c] : bins) h[v] = c;
    return h;
}
} // namespace

TEST(Medicion, CentinelasYRecorte)
{
    for (int16_t metodo : {0, 1, 2, 7}) {
        HayEscaneo = false;
        Medida m = Medir(0, 0, 3, 3, metodo);
        EXPECT_EQ(m.resultado, 128);
        EXPECT_EQ(m.r, 128);
        EXPECT_EQ(m.b, 128);

        prueba::FijarEscaneo(6, 4, [](int x, int y) { return BGR{10 * x, 20 * y, 100}; });
        m = Medir(6, 0, 9, 3, metodo); // wholly right of the scan
        EXPECT_EQ(m.resultado, -1);
        EXPECT_EQ(m.g, 128);
        m = Medir(3, 2, 2, 2, metodo); // inverted
        EXPECT_EQ(m.resultado, -1);
        // Past every edge: clipped to the whole scan.
        m = Medir(-5, -5, 50, 50, metodo);
        EXPECT_DOUBLE_EQ(m.r, 100);
        EXPECT_DOUBLE_EQ(m.g, 30); // 0, 20, 40, 60 six times each
        EXPECT_DOUBLE_EQ(m.b, 25);                                   // 0..50, mean and median 25
    }
}

TEST(Medicion, PixelUnicoYDireccionDeFilas)
{
    // Only the top row (y = 0, the last buffer row) is (10, 20, 30).
    prueba::FijarEscaneo(3, 5, [](int, int y) { return y == 0 ? BGR{10, 20, 30} : BGR{200, 200, 200}; });
    for (int16_t metodo : {0, 1, 2}) {
        const Medida m = Medir(1, 0, 1, 0, metodo);
        EXPECT_EQ(m.r, 30);
        EXPECT_EQ(m.g, 20);
        EXPECT_EQ(m.b, 10);
        EXPECT_EQ(m.resultado, 20);
    }
    EXPECT_EQ(PixelesEscaneo[size_t(4) * PasoEscaneo + 3], 10); // buffer row 4 holds the top
}

TEST(Medicion, MediaMedianaYMediaRecortada)
{
    // Ten pixels in a row, red 0 x9 and 255 x1.
    prueba::FijarEscaneo(10, 1, [](int x, int) { return BGR{x, 0, x == 9 ? 255 : 0}; });
    EXPECT_DOUBLE_EQ(Medir(0, 0, 9, 0, 0).r, 25.5);
    EXPECT_DOUBLE_EQ(Medir(0, 0, 9, 0, 1).r, 0);
    EXPECT_DOUBLE_EQ(Medir(0, 0, 9, 0, 2).r, 0);
    // Blue 0..9: mean 4.5, median 4.5, trimmed (ranks 2..9) 4.5.
    const Medida m = Medir(0, 0, 9, 0, 2);
    EXPECT_DOUBLE_EQ(m.b, 4.5);
    EXPECT_DOUBLE_EQ(m.resultado, (0 + 0 + 4.5) / 3);

    EXPECT_DOUBLE_EQ(MedianaHistograma(Hist({{10, 1}, {11, 1}}), 2), 10.5);
    EXPECT_DOUBLE_EQ(MedianaHistograma(Hist({{10, 1}, {11, 1}}), 0), 128);
    EXPECT_EQ(ValorEnRangoHistograma(Hist({{3, 2}, {7, 1}}), 0), 3);
    EXPECT_EQ(ValorEnRangoHistograma(Hist({{3, 2}, {7, 1}}), 3), 7);
    EXPECT_EQ(ValorEnRangoHistograma(Hist({{3, 2}, {7, 1}}), 4), 255);

    // 100 samples 0..99: ranks 11..90 kept, mean 49.5.
    Histograma &cien = Hist({});
    for (int v = 0; v < 100; ++v) cien[v] = 1;
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(cien, 100, 0.1), 49.5);
    cien[99] = 0;
    cien[200] = 1; // the outlier is dropped
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(cien, 100, 0.1), 49.5);
    // 9 samples: k = 0, all kept.
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(Hist({{0, 8}, {90, 1}}), 9, 0.1), 10);
    // A bin straddling both bounds: 20 samples, k = 2, ranks 3..18 of one bin.
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(Hist({{1, 1}, {50, 18}, {255, 1}}), 20, 0.1), 50);
    // Fewer samples than n says: falls back to the median.
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(Hist({{40, 2}}), 30, 0.1), 255);
    EXPECT_DOUBLE_EQ(MediaRecortadaHistograma(Hist({{40, 2}}), 0, 0.1), 128);
}

TEST(Medicion, RectanguloGrandeSinDesbordar)
{
    // 3000 x 3000 pixels of 255: sums beyond 32 bits in each channel.
    prueba::FijarEscaneo(3000, 3000, [](int, int) { return BGR{255, 254, 253}; });
    const Medida m = Medir(0, 0, 2999, 2999, 0);
    EXPECT_DOUBLE_EQ(m.b, 255);
    EXPECT_DOUBLE_EQ(m.g, 254);
    EXPECT_DOUBLE_EQ(m.r, 253);
    EXPECT_DOUBLE_EQ(Medir(0, 0, 2999, 2999, 2).resultado, 254);
}
