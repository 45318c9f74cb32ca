// Curve application: the order of the per-pixel steps, the mirror, the
// progress reports, and the vector and threaded paths against the plain one.

#include "ayuda_imagen.h"

#include <gtest/gtest.h>

using namespace modImage;

namespace {

class Aplicar : public ::testing::Test {
protected:
    void SetUp() override { EstadoInicial(); }
    void TearDown() override { EstadoInicial(); }
};

// Pixel (b, g, r) of one buffer row of a 1-row image.
std::array<int, 3> Px(const Pixeles &p, int x) { return {p[3 * x], p[3 * x + 1], p[3 * x + 2]}; }

} // namespace

TEST_F(Aplicar, TablasLuegoInversionPorPixel)
{
    const Pixeles src = HacerBuffer(3, 1, [](int x, int, uint8_t *p) {
        p[0] = static_cast<uint8_t>(x * 100);
        p[1] = 128;
        p[2] = static_cast<uint8_t>(255 - x);
    });
    const int paso = static_cast<int>(PasoDeAncho(3));
    Pixeles dst(src.size(), 0xAA);

    // No tables, no options: an exact copy of the pixels.
    for (auto &v : modEngine::LutR) v = 7;
    AplicarCurvaBuffer(src, dst, 3, 1, paso, false, 0);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(dst, x), Px(src, x));
    // The row's alignment bytes are never written.
    for (int i = 9; i < paso; ++i) EXPECT_EQ(dst[i], 0xAA);

    // Identity tables and inversion: (0, 128, 255) -> (255, 127, 0).
    TablasIdentidad();
    InvertirTonos = true;
    const Pixeles uno = HacerBuffer(1, 1, [](int, int, uint8_t *p) { p[0] = 0, p[1] = 128, p[2] = 255; });
    Pixeles d1(uno.size());
    AplicarCurvaBuffer(uno, d1, 1, 1, 4, true, 0);
    EXPECT_EQ(Px(d1, 0), (std::array<int, 3>{255, 127, 0}));

    // A red table of zeros, then inversion: red becomes 255 (tables first).
    for (auto &v : modEngine::LutR) v = 0;
    AplicarCurvaBuffer(src, dst, 3, 1, paso, true, 0);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(dst[3 * x + 2], 255);
        EXPECT_EQ(dst[3 * x], 255 - src[3 * x]);
        EXPECT_EQ(dst[3 * x + 1], 127);
    }
    // Without inversion only byte 2 changes.
    InvertirTonos = false;
    AplicarCurvaBuffer(src, dst, 3, 1, paso, true, 0);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(dst, x), (std::array<int, 3>{src[3 * x], src[3 * x + 1], 0}));
}

TEST_F(Aplicar, EspejoInvierteColumnasYConservaFilas)
{
    // Wide enough for the 16-pixel chunks and a remainder.
    const int w = 37, h = 3;
    const Pixeles src = HacerBuffer(w, h, [](int x, int y, uint8_t *p) {
        p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = static_cast<uint8_t>(x + 100);
    });
    const int paso = static_cast<int>(PasoDeAncho(w));
    for (auto &v : modEngine::LutG) v = static_cast<uint8_t>(v + 10);
    InvertirHorizontal = true;
    for (bool escalar : {false, true}) {
        FijarRutaEscalar(escalar);
        Pixeles dst(src.size(), 0);
        AplicarCurvaBuffer(src, dst, w, h, paso, true, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t *s = src.data() + y * paso + 3 * x;
                const uint8_t *d = dst.data() + y * paso + 3 * (w - 1 - x);
                ASSERT_EQ(d[0], s[0]) << x << "," << y;
                ASSERT_EQ(d[1], static_cast<uint8_t>(s[1] + 10));
                ASSERT_EQ(d[2], s[2]);
            }
    }
}

TEST_F(Aplicar, RutasVectorialYEnHilosIgualAEscalar)
{
    // Random tables and pixels; widths around the 16-pixel chunk; a buffer
    // large enough for the threads. Every combination of the two options.
    std::mt19937 g(7);
    for (int v = 0; v < 256; ++v) {
        modEngine::LutR[v] = static_cast<uint8_t>(g());
        modEngine::LutG[v] = static_cast<uint8_t>(g());
        modEngine::LutB[v] = static_cast<uint8_t>(g());
    }
    const std::pair<int, int> tamanos[] = {{1, 5}, {15, 3}, {16, 2}, {17, 4}, {33, 7}, {1201, 900}};
    for (auto [w, h] : tamanos) {
        const Pixeles src = BufferAleatorio(w, h, static_cast<unsigned>(w * 31 + h));
        const int paso = static_cast<int>(PasoDeAncho(w));
        for (int opciones = 0; opciones < 8; ++opciones) {
            InvertirTonos = opciones & 1;
            InvertirHorizontal = opciones & 2;
            const bool tablas = opciones & 4;
            FijarRutaEscalar(true);
            FijarHilosImagen(1);
            Pixeles esperado(src.size(), 0);
            AplicarCurvaBuffer(src, esperado, w, h, paso, tablas, 0);
            FijarRutaEscalar(false);
            FijarHilosImagen(0);
            Pixeles rapido(src.size(), 0);
            AplicarCurvaBuffer(src, rapido, w, h, paso, tablas, 0);
            ASSERT_EQ(rapido, esperado) << w << "x" << h << " opciones " << opciones;
        }
    }
}

TEST_F(Aplicar, ProgresoCadaSesentaYCuatroFilas)
{
    ProgresoGrabado prog;
    const auto aplicar = [&](int w, int h, int16_t techo) {
        prog.informes.clear();
        const Pixeles src = BufferAleatorio(w, h, 1);
        Pixeles dst(src.size());
        AplicarCurvaBuffer(src, dst, w, h, static_cast<int>(PasoDeAncho(w)), true, techo);
    };
    const QString m = QStringLiteral("Aplicando curva...");
    aplicar(10, 100, 70);
    EXPECT_EQ(prog.informes, (QList<QPair<int, QString>>{{0, m}, {44, m}}));
    aplicar(10, 200, 70);
    EXPECT_EQ(prog.informes, (QList<QPair<int, QString>>{{0, m}, {22, m}, {44, m}, {67, m}}));
    aplicar(10, 200, 0);
    EXPECT_TRUE(prog.informes.isEmpty());

    // With the rows spread over threads the values and their order stay.
    aplicar(1100, 1000, 70);
    QList<QPair<int, QString>> esperado;
    for (int y = 0; y < 1000; y += 64) esperado.append({70 * y / 1000, m});
    EXPECT_EQ(prog.informes, esperado);
}

TEST_F(Aplicar, TamanosIncoherentesNoTocanNada)
{
    const Pixeles src = BufferAleatorio(4, 4, 2);
    Pixeles dst(src.size(), 9);
    AplicarCurvaBuffer(src, dst, 4, 4, 11, true, 0); // stride shorter than a row
    AplicarCurvaBuffer(src, dst, 4, 5, 12, true, 0); // more rows than the buffers
    Pixeles corto(src.size() - 1, 9);
    AplicarCurvaBuffer(src, corto, 4, 4, 12, true, 0);
    EXPECT_EQ(dst, Pixeles(src.size(), 9));
    EXPECT_EQ(corto, Pixeles(src.size() - 1, 9));
}

TEST_F(Aplicar, LumaDeLosColoresPuros)
{
    EXPECT_EQ(Luma(255, 0, 0), 54);
    EXPECT_EQ(Luma(0, 255, 0), 182);
    EXPECT_EQ(Luma(0, 0, 255), 18);
    EXPECT_EQ(Luma(255, 255, 255), 255);
    EXPECT_EQ(Luma(128, 128, 128), 128);
}

TEST_F(Aplicar, HistogramasDeLaMuestraSinVista)
{
    ProgresoGrabado prog;
    // No sample: all zero, nothing reported.
    HistMuestra[1][3] = 5;
    CalcularHistogramasVista();
    for (int s = 1; s <= 4; ++s)
        for (int v = 0; v < 256; ++v) ASSERT_EQ(HistMuestra[s][v], 0);
    EXPECT_TRUE(prog.informes.isEmpty());

    // Pure red, green, blue, white and grey, one each per row of 5.
    const int colores[5][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}, {128, 128, 128}};
    PonerMuestra(5, 2, HacerBuffer(5, 2, [&](int x, int, uint8_t *p) {
        p[0] = static_cast<uint8_t>(colores[x][0]);
        p[1] = static_cast<uint8_t>(colores[x][1]);
        p[2] = static_cast<uint8_t>(colores[x][2]);
    }));
    CalcularHistogramasVista(); // no preview yet: the full sample, silently
    EXPECT_TRUE(prog.informes.isEmpty());
    EXPECT_EQ(HistMuestra[4][54], 2);
    EXPECT_EQ(HistMuestra[4][182], 2);
    EXPECT_EQ(HistMuestra[4][18], 2);
    EXPECT_EQ(HistMuestra[4][255], 2);
    EXPECT_EQ(HistMuestra[4][128], 2);
    EXPECT_EQ(HistMuestra[1][255], 4); // red byte: red and white
    EXPECT_EQ(HistMuestra[1][0], 4);
    EXPECT_EQ(HistMuestra[2][255], 4);
    EXPECT_EQ(HistMuestra[3][255], 4);
    EXPECT_EQ(HistMuestra[3][128], 2);
    EXPECT_EQ(HistMuestra[0][0], 0);
}

TEST_F(Aplicar, HistogramasEnHilosCuentanCadaPixel)
{
    const int w = 1500, h = 800;
    const Pixeles px = BufferAleatorio(w, h, 3);
    PonerMuestra(w, h, px);
    CalcularHistogramasMuestra();
    int64_t cuenta[5][256] = {};
    const int64_t paso = PasoDeAncho(w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t *p = px.data() + y * paso + 3 * x;
            ++cuenta[1][p[2]], ++cuenta[2][p[1]], ++cuenta[3][p[0]], ++cuenta[4][Luma(p[2], p[1], p[0])];
        }
    for (int s = 1; s <= 4; ++s)
        for (int v = 0; v < 256; ++v) ASSERT_EQ(HistMuestra[s][v], cuenta[s][v]) << s << " " << v;
}
