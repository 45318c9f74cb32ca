// One render-timer tick of the curve editor with a 24-megapixel sample
// (6000 x 4000) loaded: the canvas over the sample's histogram, the output
// histograms through the tables, and the preview re-rendered through a curve
// that changed since the last tick, as during a drag. The window is the real
// one, on the offscreen platform.

#include "curves/curvas.h"
#include "imaging/aplicar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "windows/editor/frmeditaraplicarcurva.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <random>

namespace {

constexpr int32_t kAncho = 6000, kAlto = 4000;

// The sample as a load leaves it: pixels, sizes, preview and histograms.
void CargarMuestraSintetica(frmEditarAplicarCurva &w)
{
    using namespace modImage;
    PasoMuestra = static_cast<int32_t>(PasoDeAncho(kAncho));
    AnchoMuestra = kAncho;
    AltoMuestra = kAlto;
    Pixeles px(static_cast<size_t>(PasoMuestra) * kAlto, 0);
    std::mt19937 g(7);
    for (int32_t y = 0; y < kAlto; ++y) {
        uint8_t *f = px.data() + static_cast<size_t>(y) * PasoMuestra;
        for (int32_t x = 0; x < 3 * kAncho; x += 3) {
            const uint32_t v = g();
            // A soft gradient with noise, so every bin is used.
            const int base = (x / 3 + y) * 255 / (kAncho + kAlto);
            f[x] = static_cast<uint8_t>((base + (v & 31)) & 0xFF);
            f[x + 1] = static_cast<uint8_t>((base + ((v >> 8) & 31)) & 0xFF);
            f[x + 2] = static_cast<uint8_t>((base + ((v >> 16) & 31)) & 0xFF);
        }
    }
    PixelesMuestra = px;
    PixelesMuestraOriginal = PixelesMuestra;
    HayMuestra = true;
    ConstruirVistaPrevia(w.picMuestra());
    CalcularHistogramasVista();
}

// A drag step: the middle point moves, the current channel is rebuilt.
void Arrastrar(int paso)
{
    using namespace modEngine;
    PuntoY[0][1] = static_cast<int16_t>(96 + (paso & 63));
    RegenerarCurvaActual();
}

frmEditarAplicarCurva &Editor()
{
    static frmEditarAplicarCurva *w = [] {
        auto *e = new frmEditarAplicarCurva;
        CargarMuestraSintetica(*e);
        using namespace modEngine;
        NumPuntos[0] = 3;
        PuntoX[0][1] = 128;
        PuntoY[0][1] = 128;
        PuntoX[0][2] = 255;
        PuntoY[0][2] = 255;
        RegenerarCurvaActual();
        return e;
    }();
    return *w;
}

void BM_TickConPreview(benchmark::State &st)
{
    frmEditarAplicarCurva &w = Editor();
    int paso = 0;
    for (auto _ : st) {
        st.PauseTiming();
        Arrastrar(++paso);
        w.MarcarPreviewSucio();
        st.ResumeTiming();
        w.tmrRender_Timer();
    }
}
BENCHMARK(BM_TickConPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

// The tick without a dirty preview: canvas and histogram only.
void BM_TickSinPreview(benchmark::State &st)
{
    frmEditarAplicarCurva &w = Editor();
    for (auto _ : st) w.tmrRender_Timer();
}
BENCHMARK(BM_TickSinPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

// The drag step itself (rebuild of the current channel), for comparison.
void BM_ReconstruirCanal(benchmark::State &st)
{
    int paso = 0;
    for (auto _ : st) Arrastrar(++paso);
}
BENCHMARK(BM_ReconstruirCanal)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
