// Loading a 600 ppi A4 scan (4961 x 7016) saved as 16-bit greyscale TIFF, the
// usual scanner output, into the scan buffer; and the fitted view of it in a
// typical evaluator box.

#include "imaging/cargar.h"
#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"
#include "platform/picturebox.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

using namespace modImage;

namespace {

constexpr int kAncho = 4961, kAlto = 7016;

const QString &Escaneo16()
{
    static const QString ruta = [] {
        modFreeImage::Iniciar();
        const QString r = QDir::tempPath() + QStringLiteral("/halvora_bench_a4_600_g16.tif");
        if (QFile::exists(r)) return r;
        FIBITMAP *b = FreeImage_AllocateT(FIT_UINT16, kAncho, kAlto, 16);
        for (int y = 0; y < kAlto; ++y) {
            auto *fila = reinterpret_cast<uint16_t *>(FreeImage_GetScanLine(b, y));
            // Patches of grey with a little noise, as a scan would have.
            for (int x = 0; x < kAncho; ++x)
                fila[x] = uint16_t(((x / 451) * 6000 + (y / 451) * 500 + ((x * 31 + y * 17) & 255)) & 0xFFFF);
        }
        FreeImage_SetDotsPerMeterX(b, 23622);
        FreeImage_SetDotsPerMeterY(b, 23622);
        const bool ok = FreeImage_Save(FIF_TIFF, b, QFile::encodeName(r).constData(), TIFF_NONE);
        FreeImage_Unload(b);
        return ok ? r : QString();
    }();
    return ruta;
}

void BM_CargarEscaneo16BitsA4(benchmark::State &st)
{
    const QString r = Escaneo16();
    if (r.isEmpty()) {
        st.SkipWithError("could not write the test scan");
        return;
    }
    for (auto _ : st) {
        CargarImagenEscaneo(r, nullptr);
        benchmark::DoNotOptimize(PixelesEscaneo.data());
    }
    if (!HayEscaneo || AnchoEscaneo != kAncho) st.SkipWithError("load failed");
    st.SetItemsProcessed(st.iterations() * int64_t(kAncho) * kAlto);
}
BENCHMARK(BM_CargarEscaneo16BitsA4)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PintarEscaneoAjustado(benchmark::State &st)
{
    CargarImagenEscaneo(Escaneo16(), nullptr);
    Superficie s(600, 480);
    for (auto _ : st) {
        MostrarEscaneoEnPicture(nullptr); // drops the cached view
        PintarEscaneo(s);
        benchmark::DoNotOptimize(s.Imagen().constBits());
    }
}
BENCHMARK(BM_PintarEscaneoAjustado)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
