// Curve application: the order of the per-pixel steps, the mirror, progress,
// the vector and threaded paths against the plain one, a loop started inside
// another, and luma histograms.

#include "support/imagen.h"

#include "imaging/hilos.h"

#include <numeric>

using namespace modImage;

using Aplicar = Motor;

TEST_F(Aplicar, TablasLuegoInversionLuegoEspejo)
{
    // 37 pixels: 16-pixel chunks and a remainder; (b, g, r) = (x, y, x + 100).
    const int w = 37, h = 3, paso = int(PasoDeAncho(w));
    const Pixeles src = Buffer(w, h, [](int x, int y, uint8_t *p) { p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x + 100); });
    const struct { bool tablas, invertir, espejo; std::function<std::array<int, 3>(const uint8_t *)> px; } casos[] = {
        {false, false, false, [](const uint8_t *s) { return std::array<int, 3>{s[0], s[1], s[2]}; }}, // no tables: a copy
        {true, false, false, [](const uint8_t *s) { return std::array<int, 3>{s[0], s[1] + 10, 0}; }},
        // A zero red table, then inversion: red is 255.
        {true, true, false, [](const uint8_t *s) { return std::array<int, 3>{255 - s[0], 245 - s[1], 255}; }},
        {false, true, true, [](const uint8_t *s) { return std::array<int, 3>{255 - s[0], 255 - s[1], 155 - s[0]}; }},
        {true, false, true, [](const uint8_t *s) { return std::array<int, 3>{s[0], s[1] + 10, 0}; }},
    };
    for (bool escalar : {false, true})
        for (const auto &c : casos) {
            FijarRutaEscalar(escalar);
            const Instantanea curva = Curva([](int) { return 0; }, [](int v) { return v + 10; }, [](int v) { return v; }, c.invertir, c.espejo);
            Pixeles dst(src.size(), 0xAA);
            AplicarCurvaBuffer(curva, src.data(), dst.data(), w, h, paso, c.tablas, 0);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const uint8_t *d = dst.data() + y * paso + 3 * (c.espejo ? w - 1 - x : x);
                    ASSERT_EQ((std::array<int, 3>{d[0], d[1], d[2]}), c.px(src.data() + y * paso + 3 * x))
                        << x << "," << y << " tables " << c.tablas << " invert " << c.invertir << " flip " << c.espejo;
                }
                ASSERT_EQ(dst[y * paso + 3 * w], 0xAA); // alignment bytes never written
            }
        }
    // The curve state's identity and inversion: (0, 128, 255) -> (255, 127, 0).
    InvertirTonos = true;
    Pixeles d1(4);
    AplicarCurvaBuffer(Pixeles{0, 128, 255, 0}, d1, 1, 1, 4, true, 0);
    EXPECT_EQ(d1, (Pixeles{255, 127, 0, 0}));
}

TEST_F(Aplicar, RutasVectorialYEnHilosIgualAEscalar)
{
    std::mt19937 g(7);
    const auto azar = [&](int) { return int(g()); };
    const Instantanea curva = Curva(azar, azar, azar);
    const std::pair<int, int> tamanos[] = {{1, 5}, {15, 3}, {16, 2}, {17, 4}, {33, 7}, {1201, 900}}; // threads in the last
    for (auto [w, h] : tamanos) {
        const Pixeles src = Aleatorio(w, h, unsigned(w * 31 + h));
        for (int opciones = 0; opciones < 8; ++opciones) {
            Instantanea c = curva;
            c.invertirTonos = opciones & 1, c.invertirHorizontal = opciones & 2;
            Pixeles esperado(src.size(), 0), rapido(src.size(), 0);
            const int paso = int(PasoDeAncho(w));
            FijarRutaEscalar(true), FijarHilosImagen(1);
            AplicarCurvaBuffer(c, src.data(), esperado.data(), w, h, paso, opciones & 4, 0);
            FijarRutaEscalar(false), FijarHilosImagen(0);
            AplicarCurvaBuffer(c, src.data(), rapido.data(), w, h, paso, opciones & 4, 0);
            ASSERT_EQ(rapido, esperado) << w << "x" << h << " options " << opciones;
        }
    }
}

TEST_F(Aplicar, ProgresoCadaSesentaYCuatroFilasYTamanosIncoherentes)
{
    ProgresoGrabado prog;
    const auto aplicar = [&](int w, int h, int16_t techo) {
        prog.informes.clear();
        const Pixeles src = Aleatorio(w, h, 1);
        Pixeles dst(src.size());
        AplicarCurvaBuffer(src, dst, w, h, int(PasoDeAncho(w)), true, techo);
        return prog.informes;
    };
    const QString m = "Aplicando curva...";
    EXPECT_EQ(aplicar(10, 100, 70), (Informes{{0, m}, {44, m}}));
    EXPECT_EQ(aplicar(10, 200, 70), (Informes{{0, m}, {22, m}, {44, m}, {67, m}}));
    EXPECT_TRUE(aplicar(10, 200, 0).isEmpty());
    Informes esperado; // rows spread over threads: same values, same order
    for (int y = 0; y < 1000; y += 64) esperado.append({70 * y / 1000, m});
    EXPECT_EQ(aplicar(1100, 1000, 70), esperado);

    // Sizes that do not describe both buffers: nothing is written.
    const Pixeles src = Aleatorio(4, 4, 2);
    Pixeles dst(src.size(), 9), corto(src.size() - 1, 9);
    AplicarCurvaBuffer(src, dst, 4, 4, 11, true, 0); // stride shorter than a row
    AplicarCurvaBuffer(src, dst, 4, 5, 12, true, 0); // more rows than the buffers
    AplicarCurvaBuffer(src, corto, 4, 4, 12, true, 0);
    EXPECT_TRUE(dst == Pixeles(src.size(), 9) && corto == Pixeles(src.size() - 1, 9));
}

TEST_F(Aplicar, HistogramasDeLaMuestra)
{
    EXPECT_EQ(QList<int>({Luma(255, 0, 0), Luma(0, 255, 0), Luma(0, 0, 255), Luma(255, 255, 255), Luma(128, 128, 128)}),
              QList<int>({54, 182, 18, 255, 128}));
    ProgresoGrabado prog;
    HistMuestra[1][3] = 5; // no sample: all zero
    CalcularHistogramasVista();
    for (int s = 1; s <= 4; ++s) ASSERT_EQ(std::count(HistMuestra[s], HistMuestra[s] + 256, 0), 256);
    // Red, green, blue, white and grey in each of 2 rows; no preview yet: the full sample, silently.
    const uint8_t colores[5][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}, {128, 128, 128}};
    PonerMuestra(5, 2, Buffer(5, 2, [&](int x, int, uint8_t *p) { std::memcpy(p, colores[x], 3); }));
    CalcularHistogramasVista();
    EXPECT_TRUE(prog.informes.isEmpty());
    for (int v : {54, 182, 18, 255, 128}) EXPECT_EQ(HistMuestra[4][v], 2) << v;
    EXPECT_EQ(QList<int>({HistMuestra[1][255], HistMuestra[1][0], HistMuestra[2][255], HistMuestra[3][255], HistMuestra[3][128]}),
              QList<int>({4, 4, 4, 4, 2}));

    // Threaded counting against a plain count.
    const int w = 1500, h = 800;
    const Pixeles px = Aleatorio(w, h, 3);
    PonerMuestra(w, h, px);
    CalcularHistogramasMuestra();
    int64_t cuenta[5][256] = {};
    for (int y = 0; y < h; ++y)
        for (const uint8_t *p = px.data() + y * PasoDeAncho(w), *fin = p + 3 * w; p < fin; p += 3)
            ++cuenta[1][p[2]], ++cuenta[2][p[1]], ++cuenta[3][p[0]], ++cuenta[4][Luma(p[2], p[1], p[0])];
    for (int s = 1; s <= 4; ++s)
        for (int v = 0; v < 256; ++v) ASSERT_EQ(HistMuestra[s][v], cuenta[s][v]) << s << " " << v;
    // A stride shorter than a row does not describe the buffer: nothing is counted.
    PasoMuestra = 3 * w - 1;
    CalcularHistogramasMuestra();
    for (int s = 1; s <= 4; ++s) ASSERT_EQ(std::count(HistMuestra[s], HistMuestra[s] + 256, 0), 256) << s;
}

TEST_F(Aplicar, HistogramaDeUnMegapixelEnCuatroHilosComoEnUno)
{
    // 1024 x 1024 is the least the count is shared for: four threads of a
    // quarter megapixel each, whatever the machine has.
    PonerMuestra(1024, 1024, Aleatorio(1024, 1024, 11));
    FijarHilosImagen(1);
    CalcularHistogramasMuestra();
    std::vector<int32_t> uno(&HistMuestra[1][0], &HistMuestra[1][0] + 4 * 256);
    EXPECT_EQ(std::accumulate(uno.begin(), uno.begin() + 256, int64_t(0)), 1 << 20);
    FijarHilosImagen(4);
    ASSERT_EQ(std::pair(HilosPara((1 << 20) - 1), HilosPara(1 << 20)), std::pair(1, 4));
    std::memset(HistMuestra, 0x55, sizeof HistMuestra);
    CalcularHistogramasMuestra();
    EXPECT_EQ(std::vector<int32_t>(&HistMuestra[1][0], &HistMuestra[1][0] + 4 * 256), uno);
}

namespace {
// Progress reports run the event loop: this handler applies the curve to a second image while
// the pool works on the first; that loop runs on the calling thread, both give the one-thread result.
struct Anidado : ProgresoGrabado {
    std::function<void()> dentro;
    int veces = 0;
    void PonerProgreso(int p) override
    {
        ProgresoGrabado::PonerProgreso(p);
        if (veces++ < 3) dentro();
    }
};
} // namespace

TEST_F(Aplicar, UnBucleDentroDeOtroTerminaEnElHiloQueLoLlama)
{
    const int w = 1201, h = 1000, paso = int(PasoDeAncho(w)); // threaded: over a megapixel
    const Pixeles a = Aleatorio(w, h, 5), b = Aleatorio(w, h, 6);
    const Instantanea c = Curva([](int v) { return 255 - v; }, [](int v) { return v / 3; }, [](int v) { return v ^ 0x55; },
                                false, true);
    auto aplicar = [&](const Pixeles &o, Pixeles &d, int16_t techo) {
        AplicarCurvaBuffer(c, o.data(), d.data(), w, h, paso, true, techo);
    };
    Pixeles esperadoA(a.size(), 0), esperadoB(b.size(), 0), dA(a.size(), 0), dB(b.size(), 0);
    FijarHilosImagen(1);
    aplicar(a, esperadoA, 0);
    aplicar(b, esperadoB, 0);
    FijarHilosImagen(0);

    Anidado prog;
    prog.dentro = [&] {
        std::fill(dB.begin(), dB.end(), 0);
        aplicar(b, dB, 0);
        EXPECT_EQ(dB, esperadoB);
    };
    aplicar(a, dA, 70);
    EXPECT_EQ(dA, esperadoA);
    EXPECT_EQ(prog.veces, (h + 63) / 64); // every report, in order, none lost
    EXPECT_EQ(prog.informes.back(), (QPair<int, QString>{70 * 960 / h, QStringLiteral("Aplicando curva...")}));
}

namespace {
// At report k, block k's 64 rows must be written already, whichever thread
// wrote them.
struct Comprobador : ProgresoGrabado {
    const Pixeles *destino = nullptr;
    int64_t paso = 0, ancho = 0, alto = 0, informe = 0, faltan = 0;
    void PonerProgreso(int p) override
    {
        ProgresoGrabado::PonerProgreso(p);
        const int64_t desde = 64 * informe, hasta = std::min(alto, 64 * ++informe);
        // From the block's last byte back: a writer still at work is behind.
        for (int64_t y = hasta - 1; y >= desde; --y)
            for (int64_t i = 3 * ancho - 1; i >= 0; --i) faltan += (*destino)[size_t(y * paso + i)] != 0x5A;
    }
};
} // namespace

TEST_F(Aplicar, CadaInformeLlegaConSusFilasYaEscritas)
{
    // Four megapixels on eight threads, by the plain path: each block takes
    // long enough for the pool's threads to share the work.
    const int w = 1100, h = 4000, paso = int(PasoDeAncho(w));
    const Pixeles src = Aleatorio(w, h, 9);
    const Instantanea c = Curva([](int) { return 0x5A; }, [](int) { return 0x5A; }, [](int) { return 0x5A; });
    FijarHilosImagen(8), FijarRutaEscalar(true);
    for (int vuelta = 0; vuelta < 10; ++vuelta) {
        Pixeles dst(src.size(), 0xA5);
        Comprobador prog;
        prog.destino = &dst, prog.paso = paso, prog.ancho = w, prog.alto = h;
        AplicarCurvaBuffer(c, src.data(), dst.data(), w, h, paso, true, 70);
        ASSERT_EQ(prog.informe, (h + 63) / 64);
        ASSERT_EQ(prog.faltan, 0) << "round " << vuelta;
    }
}
