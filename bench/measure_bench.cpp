// Measuring the 101 patches of a grey chart scanned at 600 ppi by each
// method (0 mean, 1 median, 2 trimmed mean), as the scan evaluator does.

#include "imaging/medicion.h"
#include "imaging/modimage.h"

#include <benchmark/benchmark.h>

using namespace modImage;

namespace {

// The chart at 600 ppi: about 4961 x 7016 pixels, patches about 450 pixels
// wide, sampled inside a margin.
constexpr int kAncho = 4961, kAlto = 7016, kLado = 451, kMuestra = 300;

void PrepararEscaneo()
{
    if (HayEscaneo) return;
    AnchoEscaneo = kAncho;
    AltoEscaneo = kAlto;
    PasoEscaneo = static_cast<int32_t>(PasoDeAncho(kAncho));
    Pixeles px(size_t(PasoEscaneo) * kAlto, 0);
    for (int y = 0; y < kAlto; ++y) {
        uint8_t *fila = px.data() + size_t(kAlto - 1 - y) * PasoEscaneo;
        for (int x = 0; x < kAncho; ++x) {
            const int v = ((x / kLado) + 10 * (y / kLado)) * 255 / 110 + ((x * 7 + y * 13) % 5);
            fila[3 * x] = fila[3 * x + 1] = fila[3 * x + 2] = uint8_t(v > 255 ? 255 : v);
        }
    }
    PixelesEscaneo = px;
    HayEscaneo = true;
}

void BM_Medir101Parches(benchmark::State &st)
{
    PrepararEscaneo();
    const int16_t metodo = static_cast<int16_t>(st.range(0));
    for (auto _ : st) {
        double total = 0;
        for (int p = 0; p < 101; ++p) {
            const int col = p < 100 ? p % 10 : 0, fila = p < 100 ? p / 10 : 10;
            const int x1 = col * kLado + (kLado - kMuestra) / 2, y1 = fila * kLado + (kLado - kMuestra) / 2;
            double r, g, b;
            total += MedirParche(x1, y1, x1 + kMuestra - 1, y1 + kMuestra - 1, r, g, b, metodo);
        }
        benchmark::DoNotOptimize(total);
    }
    st.SetItemsProcessed(st.iterations() * 101 * int64_t(kMuestra) * kMuestra);
}
BENCHMARK(BM_Medir101Parches)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
