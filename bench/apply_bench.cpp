// The image engine's hot paths on a 100-megapixel buffer (10000 x 10000):
// curve application on all cores and on one, next to a plain memcpy of the
// same buffer; histograms of the full sample; the preview redraw at the
// curve editor's box size (440 x 376).

#include "curves/luts.h"
#include "imaging/aplicar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/picturebox.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

using namespace modImage;

namespace {

constexpr int kAncho = 10000, kAlto = 10000;

struct Datos {
    int32_t paso = static_cast<int32_t>(PasoDeAncho(kAncho));
    Pixeles origen, destino;
    Instantanea curva;
    Datos()
    {
        const size_t n = static_cast<size_t>(paso) * kAlto;
        origen.resize(n);
        std::mt19937 g(1);
        for (size_t i = 0; i < n; i += 4) {
            const uint32_t v = g();
            std::memcpy(origen.data() + i, &v, std::min<size_t>(4, n - i));
        }
        destino.assign(n, 0); // touched once, so page faults are not timed
        for (int v = 0; v < 256; ++v) {
            curva.lutR[v] = static_cast<uint8_t>(255 - v);
            curva.lutG[v] = static_cast<uint8_t>(v / 2);
            curva.lutB[v] = static_cast<uint8_t>(v * v / 255);
        }
    }
};

Datos &D()
{
    static Datos d;
    return d;
}

void Bytes(benchmark::State &st)
{
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * static_cast<int64_t>(D().origen.size()));
}

void BM_Memcpy100MP(benchmark::State &st)
{
    Datos &d = D();
    for (auto _ : st) {
        std::memcpy(d.destino.data(), d.origen.data(), d.origen.size());
        benchmark::ClobberMemory();
    }
    Bytes(st);
}
BENCHMARK(BM_Memcpy100MP)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arguments: threads (0 = all cores), options (0 none, 1 invert, 2 flip,
// 3 both), vector path (1) or portable one (0).
void BM_Aplicar100MP(benchmark::State &st)
{
    Datos &d = D();
    FijarHilosImagen(static_cast<int>(st.range(0)));
    d.curva.invertirTonos = st.range(1) & 1;
    d.curva.invertirHorizontal = st.range(1) & 2;
    FijarRutaEscalar(st.range(2) == 0);
    for (auto _ : st) {
        AplicarCurvaBuffer(d.curva, d.origen.data(), d.destino.data(), kAncho, kAlto, d.paso, true, 0);
        benchmark::ClobberMemory();
    }
    Bytes(st);
    FijarHilosImagen(0);
    FijarRutaEscalar(false);
}
BENCHMARK(BM_Aplicar100MP)
    ->ArgNames({"hilos", "opciones", "vector"})
    ->Args({0, 0, 1})
    ->Args({0, 3, 1})
    ->Args({1, 0, 1})
    ->Args({1, 3, 1})
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({1, 3, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Images of 1 to 9 megapixels on 4 and on 8 threads: with a wake-up of
// sleeping workers as the only fixed cost, 8 must not be slower than 4.
// Arguments: width, height, threads.
void BM_AplicarPocosMP(benchmark::State &st)
{
    const int w = static_cast<int>(st.range(0)), h = static_cast<int>(st.range(1));
    const int32_t paso = static_cast<int32_t>(PasoDeAncho(w));
    const Pixeles origen(D().origen.begin(), D().origen.begin() + int64_t(paso) * h);
    Pixeles destino(origen.size(), 0);
    FijarHilosImagen(static_cast<int>(st.range(2)));
    for (auto _ : st) {
        AplicarCurvaBuffer(origen.data(), destino.data(), w, h, paso, true, 0);
        benchmark::ClobberMemory();
    }
    FijarHilosImagen(0);
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * static_cast<int64_t>(origen.size()));
}
BENCHMARK(BM_AplicarPocosMP)
    ->ArgNames({"w", "h", "hilos"})
    ->ArgsProduct({{1024}, {1024}, {4, 8}})
    ->ArgsProduct({{2048}, {1536}, {4, 8}})
    ->ArgsProduct({{3464}, {2598}, {4, 8}})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// Lends the 100-megapixel buffer to the engine as its sample (a view that
// does not own it); clearing the sample returns it.
Datos &PrestarMuestra()
{
    Datos &d = D();
    HayMuestra = true;
    AnchoMuestra = kAncho;
    AltoMuestra = kAlto;
    PasoMuestra = d.paso;
    PixelesMuestra = Bloque(nullptr, d.origen.data(), d.origen.size());
    return d;
}

void BM_Histogramas100MP(benchmark::State &st)
{
    PrestarMuestra();
    FijarHilosImagen(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        CalcularHistogramasMuestra();
        benchmark::DoNotOptimize(HistMuestra);
    }
    FijarHilosImagen(0);
    PixelesMuestra.clear();
    Bytes(st);
}
BENCHMARK(BM_Histogramas100MP)->ArgName("hilos")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One redraw of the preview with the curve: the counter changes every time so
// the cache never skips it.
void BM_VistaConCurva(benchmark::State &st)
{
    PrestarMuestra();
    Superficie caja(440, 376);
    ConstruirVistaPrevia(caja);
    PixelesMuestra.clear();
    InvertirTonos = st.range(0) & 1;
    InvertirHorizontal = st.range(0) & 2;
    for (auto _ : st) {
        ++modEngine::VersionCurva;
        DibujarVistaConCurva(caja);
        benchmark::DoNotOptimize(caja.Imagen().constBits());
    }
    InvertirTonos = InvertirHorizontal = false;
}
BENCHMARK(BM_VistaConCurva)->ArgName("opciones")->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

// Building the preview (once per sample load) from 100 megapixels.
void BM_ConstruirVista(benchmark::State &st)
{
    PrestarMuestra();
    Superficie caja(440, 376);
    for (auto _ : st) ConstruirVistaPrevia(caja);
    PixelesMuestra.clear();
}
BENCHMARK(BM_ConstruirVista)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
