// The whole road at full size, time and peak resident memory:
//  - a photographer's job: read a 25 or 100 megapixel RGB TIFF as the
//    editor's sample, apply the curve, save an uncompressed TIFF; next to a
//    reference road made of the same library calls (load, one plain
//    256-entry lookup per channel in place, save). The curve is set as the
//    editor sets one (points, then the tables composed), and each run's
//    output is checked at one pixel against it, untimed: a road that writes
//    anything else stops with an error;
//  - a 600 ppi A4 scan saved as 16-bit grey, loaded as the chart scan, next
//    to a plain decode of the same file;
//  - the grey chart at 1200 ppp rendered and saved.
// Each run starts with nothing loaded; the peak is the process's high-water
// mark (VmHWM) reset before the run, shown as its growth over the resident
// memory at the start, in MB and as a multiple of the 24-bit image. At the
// end the median time of each road is set against its reference.
//
// Run by hand, Release build, nothing else loading the machine if possible:
//   QT_QPA_PLATFORM=offscreen ./road_bench
// The test images (about 450 MB) are written once to the temporary folder.

#include "intercalado.h"
#include "memoria.h"
#include "curves/curvas.h"
#include "imaging/aplicar.h"
#include "imaging/bloque.h"
#include "imaging/cargar.h"
#include "imaging/freeimage_io.h"
#include "imaging/guardar.h"
#include "imaging/modimage.h"
#include "platform/picturebox.h"
#include "windows/chart/dibujo.h"
#include "windows/chart/guardarcarta.h"

#include <benchmark/benchmark.h>

#include <FreeImage.h>
#include <QApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace modImage;

namespace {

// ---- memory -----------------------------------------------------------------

void AnotarPico(benchmark::State &st, double baseMB, double imagenBytes, double &peor)
{
    const double crecimiento = CampoKB("VmHWM") / 1024 - baseMB;
    peor = std::max(peor, crecimiento);
    st.counters["pico_MB"] = peor;
    st.counters["pico_x_imagen"] = peor * 1024 * 1024 / imagenBytes;
    st.counters["base_MB"] = baseMB;
}

// ---- test files -------------------------------------------------------------

QString Temporal(const char *nombre) { return QDir::tempPath() + u'/' + QString::fromLatin1(nombre); }

// A TIFF written once and kept; the generator fills the bitmap.
template <class Relleno>
QString Fichero(const char *nombre, FREE_IMAGE_TYPE tipo, int bpp, int w, int h, Relleno relleno)
{
    modFreeImage::Iniciar();
    const QString r = Temporal(nombre);
    if (QFile::exists(r)) return r;
    FIBITMAP *b = FreeImage_AllocateT(tipo, w, h, bpp);
    if (!b) return QString();
    for (int y = 0; y < h; ++y) relleno(FreeImage_GetScanLine(b, y), y);
    const QString parcial = r + QStringLiteral(".parcial");
    const bool ok = FreeImage_Save(FIF_TIFF, b, QFile::encodeName(parcial).constData(), TIFF_NONE);
    FreeImage_Unload(b);
    return ok && QFile::rename(parcial, r) ? r : QString();
}

// A photograph's worth of variety: smooth ramps and a little noise.
QString Foto(int w, int h)
{
    const std::string n = "halvora_road_rgb_" + std::to_string(w) + "x" + std::to_string(h) + ".tif";
    return Fichero(n.c_str(), FIT_BITMAP, 24, w, h, [w](BYTE *f, int y) {
        uint32_t s = 2463534242u + uint32_t(y);
        for (int x = 0; x < w; ++x, f += 3) {
            s ^= s << 13, s ^= s >> 17, s ^= s << 5;
            f[0] = BYTE(x * 255 / w + (s & 7));
            f[1] = BYTE(y / 40 + ((s >> 3) & 7));
            f[2] = BYTE((x + y) / 70 + ((s >> 6) & 7));
        }
    });
}

constexpr int kAnchoA4 = 4961, kAltoA4 = 7016;

QString EscaneoA4()
{
    return Fichero("halvora_road_a4_600_g16.tif", FIT_UINT16, 16, kAnchoA4, kAltoA4, [](BYTE *f, int y) {
        auto *p = reinterpret_cast<uint16_t *>(f);
        for (int x = 0; x < kAnchoA4; ++x)
            p[x] = uint16_t(((x / 451) * 6000 + (y / 451) * 500 + ((x * 31 + y * 17) & 255)) & 0xFFFF);
    });
}

// ---- the roads --------------------------------------------------------------

// A curve set as the editor sets an imported one: points on the master and
// on each colour channel, then the tables composed. The save takes its
// curve from the points (the composed curve), never from the tables alone.
void Curva()
{
    using namespace modEngine;
    ReiniciarCurvas();
    const int16_t puntos[NumCanales][3][2] = {
        {{0, 0}, {128, 170}, {255, 255}},
        {{0, 20}, {120, 110}, {255, 240}},
        {{0, 0}, {90, 100}, {255, 255}},
        {{0, 10}, {160, 150}, {255, 250}},
    };
    for (int ch = 0; ch < NumCanales; ++ch) {
        NumPuntos[ch] = 3;
        for (int k = 0; k < 3; ++k) PuntoX[ch][k] = puntos[ch][k][0], PuntoY[ch][k] = puntos[ch][k][1];
    }
    ComponerLUTs();
    InvertirTonos = InvertirHorizontal = false;
}

// One pixel of the road's output against the same pixel of its input through
// the curve: a road that writes something else (another curve, no curve, a
// black picture) must not pass for this one. Run untimed.
bool SalidaConCurva(const QString &entrada, const QString &salida)
{
    const Instantanea c = TomarInstantanea();
    FIBITMAP *e = FreeImage_Load(FIF_TIFF, QFile::encodeName(entrada).constData(), 0);
    FIBITMAP *s = FreeImage_Load(FIF_TIFF, QFile::encodeName(salida).constData(), 0);
    bool igual = false;
    if (e && s) {
        const unsigned x = FreeImage_GetWidth(e) / 3, y = FreeImage_GetHeight(e) / 2;
        RGBQUAD a{}, b{};
        igual = FreeImage_GetPixelColor(e, x, y, &a) && FreeImage_GetPixelColor(s, x, y, &b) &&
                b.rgbRed == c.lutR[a.rgbRed] && b.rgbGreen == c.lutG[a.rgbGreen] && b.rgbBlue == c.lutB[a.rgbBlue] &&
                (a.rgbRed != b.rgbRed || a.rgbGreen != b.rgbGreen || a.rgbBlue != b.rgbBlue);
    }
    if (e) FreeImage_Unload(e);
    if (s) FreeImage_Unload(s);
    return igual;
}

void SoltarMuestra()
{
    HayMuestra = false;
    AnchoMuestra = AltoMuestra = PasoMuestra = 0;
    PixelesMuestra.clear();
    PixelesMuestraOriginal.clear();
    SoltarSalida(); // what the next load would let go first
}

void SoltarEscaneo()
{
    HayEscaneo = false;
    AnchoEscaneo = AltoEscaneo = PasoEscaneo = 0;
    PixelesEscaneo.clear();
}

double BytesImagen(int w, int h) { return double(PasoDeAncho(w)) * h; }

// One run per iteration: antes() untimed, then cuerpo() timed (false stops
// with an error), then the run's peak set against the image size and the
// result checked by comprobar() untimed (false stops with an error).
template <class Antes, class Cuerpo, class Comprobar>
void Medir(benchmark::State &st, double imagenBytes, Antes antes, Cuerpo cuerpo, Comprobar comprobar)
{
    double peor = 0;
    for (auto _ : st) {
        st.PauseTiming();
        antes();
        const double base = EmpezarPico();
        st.ResumeTiming();
        if (!cuerpo()) return st.SkipWithError("run failed");
        st.PauseTiming();
        AnotarPico(st, base, imagenBytes, peor);
        if (!comprobar()) return st.SkipWithError("the output is not the input through the curve");
        st.ResumeTiming();
    }
}

template <class Antes, class Cuerpo>
void Medir(benchmark::State &st, double imagenBytes, Antes antes, Cuerpo cuerpo)
{
    Medir(st, imagenBytes, antes, cuerpo, [] { return true; });
}

// The program's road: what the curve editor does from Load to Save.
void BM_Camino(benchmark::State &st)
{
    const int w = int(st.range(0)), h = int(st.range(1));
    const QString entrada = Foto(w, h), salida = Temporal("halvora_road_salida.tif");
    if (entrada.isEmpty()) return st.SkipWithError("could not write the test image");
    Curva();
    Medir(
        st, BytesImagen(w, h),
        [&] {
            SoltarMuestra();
            QFile::remove(salida);
        },
        [&] {
            LeerInfoImagen(entrada);
            return CargarMuestra(entrada, nullptr) && GuardarImagenProcesada(salida, FIF_TIFF, TIFF_NONE);
        },
        [&] { return SalidaConCurva(entrada, salida); });
    SoltarMuestra();
    QFile::remove(salida);
}

// The same road from the same library calls, with nothing kept: load, a plain
// lookup in place, save.
void BM_CaminoReferencia(benchmark::State &st)
{
    const int w = int(st.range(0)), h = int(st.range(1));
    const QString entrada = Foto(w, h), salida = Temporal("halvora_road_salida_ref.tif");
    if (entrada.isEmpty()) return st.SkipWithError("could not write the test image");
    Curva();
    // The tables the program's road applies: the composed curve.
    const Instantanea c = TomarInstantanea();
    const QByteArray e = QFile::encodeName(entrada), s = QFile::encodeName(salida);
    Medir(
        st, BytesImagen(w, h), [&] { QFile::remove(salida); },
        [&] {
            FIBITMAP *b = FreeImage_Load(FIF_TIFF, e.constData(), 0);
            if (!b) return false;
            for (int y = 0; y < h; ++y) {
                BYTE *f = FreeImage_GetScanLine(b, y);
                for (int x = 0; x < w; ++x, f += 3) {
                    f[FI_RGBA_BLUE] = c.lutB[f[FI_RGBA_BLUE]];
                    f[FI_RGBA_GREEN] = c.lutG[f[FI_RGBA_GREEN]];
                    f[FI_RGBA_RED] = c.lutR[f[FI_RGBA_RED]];
                }
            }
            const bool ok = FreeImage_Save(FIF_TIFF, b, s.constData(), TIFF_NONE);
            FreeImage_Unload(b);
            return ok;
        },
        [&] { return SalidaConCurva(entrada, salida); });
    QFile::remove(salida);
}

// The scan as the evaluator loads it (to 24 bits), from nothing loaded.
void BM_EscaneoA4(benchmark::State &st)
{
    const QString r = EscaneoA4();
    if (r.isEmpty()) return st.SkipWithError("could not write the test scan");
    Medir(st, BytesImagen(kAnchoA4, kAltoA4), SoltarEscaneo, [&] { return CargarImagenEscaneo(r, nullptr); });
    SoltarEscaneo();
}

// A plain decode of the same file, released at once.
void BM_EscaneoA4Referencia(benchmark::State &st)
{
    const QString r = EscaneoA4();
    if (r.isEmpty()) return st.SkipWithError("could not write the test scan");
    const QByteArray n = QFile::encodeName(r);
    Medir(st, BytesImagen(kAnchoA4, kAltoA4), [] {}, [&] {
        FIBITMAP *b = FreeImage_Load(FIF_TIFF, n.constData(), 0);
        FreeImage_Unload(b);
        return b != nullptr;
    });
}

// The chart at 1200 ppp rendered into a fresh full-size picture and saved.
void BM_Carta1200(benchmark::State &st)
{
    const int formato = int(st.range(0));
    const CartaGrises::Geometria g = CartaGrises::GeometriaDe(1200);
    const QString ruta = Temporal("halvora_road_carta.") + CartaGrises::FormatoDeIndice(formato).extension;
    CartaGrises::Opciones o;
    o.negativo = true;
    o.numeros = true;
    o.titulo = QStringLiteral("ZOLV Carta de grises");
    Medir(st, BytesImagen(g.AnchoPx, g.AltoPx), [&] { QFile::remove(ruta); }, [&] {
        Superficie s;
        QString error;
        return CartaGrises::RenderizarCompleta(s, g, o) &&
               CartaGrises::GuardarImagenCarta(s.Imagen(), ruta, formato, 1200, &error);
    });
    QFile::remove(ruta);
}

constexpr int kRepeticiones = 5;

BENCHMARK(BM_Camino)->ArgNames({"w", "h"})->Args({5000, 5000})->Args({10000, 10000})
    ->Iterations(1)->Repetitions(kRepeticiones)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaminoReferencia)->ArgNames({"w", "h"})->Args({5000, 5000})->Args({10000, 10000})
    ->Iterations(1)->Repetitions(kRepeticiones)->Unit(benchmark::kMillisecond)->UseRealTime();
// A tenth of the road's time: more runs for a steady median.
BENCHMARK(BM_EscaneoA4)->Iterations(1)->Repetitions(3 * kRepeticiones)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EscaneoA4Referencia)->Iterations(1)->Repetitions(3 * kRepeticiones)->Unit(benchmark::kMillisecond)->UseRealTime();
// Formats: 0 JPEG (the default), 1 PNG, 2 BMP, 3 GIF, 4 TIFF.
BENCHMARK(BM_Carta1200)->ArgName("formato")->DenseRange(0, 4)
    ->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each run's median (and the worst peak) and sets each road against
// its reference at the end.
class Informe : public benchmark::ConsoleReporter {
public:
    Informe() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                medianas_[r.run_name.str()] = r.GetAdjustedRealTime();
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const std::pair<const char *, const char *> pares[] = {
            {"BM_Camino/w:5000/h:5000", "BM_CaminoReferencia/w:5000/h:5000"},
            {"BM_Camino/w:10000/h:10000", "BM_CaminoReferencia/w:10000/h:10000"},
            {"BM_EscaneoA4/", "BM_EscaneoA4Referencia/"}};
        std::printf("\nmedian time, ours / reference:\n");
        for (const auto &[a, b] : pares) {
            const auto ia = Buscar(a), ib = Buscar(b);
            if (ia > 0 && ib > 0) std::printf("  %-28s %9.1f ms / %9.1f ms = %.2fx\n", a, ia, ib, ia / ib);
        }
    }

private:
    double Buscar(const std::string &prefijo) const
    {
        for (const auto &[n, t] : medianas_)
            if (n.rfind(prefijo, 0) == 0) return t;
        return 0;
    }
    std::map<std::string, double> medianas_;
};

} // namespace

int main(int argc, char **argv)
{
    // Text needs a GUI application; the offscreen platform needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    Informe informe;
    return CorrerIntercalado(argc, argv, informe);
}
