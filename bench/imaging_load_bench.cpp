// Loading a 600 ppi A4 scan (4961 x 7016) saved as 16-bit greyscale TIFF, the
// usual scanner output, into the scan buffer; and the fitted view of it in a
// typical evaluator box.
// A 50 megapixel GIF of a photo (8660 x 5774, 32 MB of LZW data): its
// load as the scan, the editor's load of it as the sample (the header read,
// then the load), and the header read alone; the same photo as a 50
// megapixel JPEG, baseline and progressive, loaded as the sample.

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

// Soft gradients under a grain of noise, in 256 levels: a photo as a GIF
// holds it, with codes about as long as a photo's.
const QString &Gif50MP()
{
    static const QString ruta = [] {
        modFreeImage::Iniciar();
        const QString r = QDir::tempPath() + QStringLiteral("/halvora_bench_foto_50mp.gif");
        if (QFile::exists(r)) return r;
        constexpr int w = 8660, h = 5774;
        FIBITMAP *b = FreeImage_Allocate(w, h, 8);
        for (int i = 0; i < 256; ++i) FreeImage_GetPalette(b)[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        uint32_t s = 12345;
        for (int y = 0; y < h; ++y) {
            BYTE *fila = FreeImage_GetScanLine(b, y);
            for (int x = 0; x < w; ++x) {
                s ^= s << 13, s ^= s >> 17, s ^= s << 5;
                fila[x] = BYTE((x / 40 + y / 30 + ((x * y) >> 14)) + (s & 1));
            }
        }
        const bool ok = FreeImage_Save(FIF_GIF, b, QFile::encodeName(r).constData(), 0);
        FreeImage_Unload(b);
        return ok ? r : QString();
    }();
    return ruta;
}

void BM_CargarGIF50MP(benchmark::State &st)
{
    const QString r = Gif50MP();
    if (r.isEmpty()) {
        st.SkipWithError("could not write the test GIF");
        return;
    }
    for (auto _ : st) {
        HayEscaneo = false;
        CargarImagenEscaneo(r, nullptr);
        benchmark::DoNotOptimize(PixelesEscaneo.data());
    }
    if (!HayEscaneo || AnchoEscaneo != 8660) st.SkipWithError("load failed");
}
BENCHMARK(BM_CargarGIF50MP)->Unit(benchmark::kMillisecond)->UseRealTime();

// The editor's load of a sample: the header read, then the load.
void CargarComoMuestra(benchmark::State &st, const QString &r, int ancho)
{
    for (auto _ : st) {
        HayMuestra = false;
        LeerInfoImagen(r);
        CargarMuestra(r, nullptr);
        benchmark::DoNotOptimize(PixelesMuestra.data());
    }
    if (!HayMuestra || AnchoMuestra != ancho) st.SkipWithError("load failed");
}

void BM_CargarMuestraGIF50MP(benchmark::State &st) { CargarComoMuestra(st, Gif50MP(), 8660); }
BENCHMARK(BM_CargarMuestraGIF50MP)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CabeceraGIF50MP(benchmark::State &st)
{
    const QString r = Gif50MP();
    for (auto _ : st) {
        AnchoMuestra = 0;
        LeerInfoImagen(r);
        benchmark::DoNotOptimize(AnchoMuestra);
    }
    if (AnchoMuestra != 8660) st.SkipWithError("header failed");
}
BENCHMARK(BM_CabeceraGIF50MP)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same photo in colour as a JPEG, baseline (0) or progressive (1): the
// structure walk reads every byte of its scans before the decode does.
const QString &Jpeg50MP(bool progresivo)
{
    static QString rutas[2];
    QString &r = rutas[progresivo];
    if (!r.isEmpty()) return r;
    modFreeImage::Iniciar();
    r = QDir::tempPath() + (progresivo ? QStringLiteral("/halvora_bench_foto_50mp_p.jpg") : QStringLiteral("/halvora_bench_foto_50mp.jpg"));
    if (QFile::exists(r)) return r;
    constexpr int w = 8660, h = 5774;
    FIBITMAP *b = FreeImage_Allocate(w, h, 24);
    uint32_t s = 12345;
    for (int y = 0; y < h; ++y) {
        BYTE *fila = FreeImage_GetScanLine(b, y);
        for (int x = 0; x < w; ++x) {
            s ^= s << 13, s ^= s >> 17, s ^= s << 5;
            fila[3 * x] = BYTE(x / 40 + (s & 3)), fila[3 * x + 1] = BYTE(y / 30 + (s >> 2 & 3)), fila[3 * x + 2] = BYTE((x * y) >> 14);
        }
    }
    const bool ok = FreeImage_Save(FIF_JPEG, b, QFile::encodeName(r).constData(), JPEG_QUALITYGOOD | (progresivo ? JPEG_PROGRESSIVE : 0));
    FreeImage_Unload(b);
    if (!ok) r.clear();
    return r;
}

void BM_CargarMuestraJPEG50MP(benchmark::State &st)
{
    const QString r = Jpeg50MP(st.range(0) != 0);
    if (r.isEmpty()) {
        st.SkipWithError("could not write the test JPEG");
        return;
    }
    CargarComoMuestra(st, r, 8660);
}
BENCHMARK(BM_CargarMuestraJPEG50MP)->ArgName("progresivo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

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
