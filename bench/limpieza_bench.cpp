// What the program's own cleanup costs where folders are full of other
// people's files (a shared temporary folder, a photo folder):
//  - the start-up, from making the main window to the first idle turn of the
//    event loop, with the temporary folder empty or holding 100,000
//    unrelated files; and the start-up cleanup alone;
//  - a 100 megapixel save into an empty folder and into one holding 100,000
//    unrelated files: 300 MB written by the program's writer and synced,
//    and a plain save of the editor's processed image as BMP.
// Each run's peak is the process's high-water mark (VmHWM), reset before the
// run after the heap has given back what it could, shown as its growth in MB.
// At the end the median time and the worst peak of each full case are set
// against the empty one.
//
// Run by hand, Release build, nothing else loading the machine if possible:
//   QT_QPA_PLATFORM=offscreen ./limpieza_bench
// The two folders (100,000 empty files) are made once under the temporary
// folder, in halvora-bench-limpieza/, and kept for later runs.

#include "intercalado.h"
#include "memoria.h"
#include "app/mdiform1.h"
#include "imaging/guardar.h"
#include "imaging/modimage.h"
#include "platform/files.h"

#include <benchmark/benchmark.h>

#include <FreeImage.h>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kAjenos = 100000;

QString &Raiz()
{
    static QString r;
    return r;
}
QString Carpeta(int ajenos) { return Raiz() + (ajenos ? QStringLiteral("/lleno") : QStringLiteral("/vacio")); }

// The two folders: one empty, one with kAjenos empty files named as a
// camera names its photos.
bool Preparar()
{
    QDir().mkpath(Carpeta(0));
    QDir().mkpath(Carpeta(kAjenos));
    if (QDir(Carpeta(kAjenos)).count() >= uint(kAjenos) + 2) return true;
    const QByteArray c = QFile::encodeName(Carpeta(kAjenos));
    char nombre[64];
    for (int i = 0; i < kAjenos; ++i) {
        std::snprintf(nombre, sizeof nombre, "/IMG_%06d.JPG", i);
        const int fd = ::open((c + nombre).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        ::close(fd);
    }
    return true;
}

void AnotarPico(benchmark::State &st, double baseMB)
{
    st.counters["pico_MB"] = CampoKB("VmHWM") / 1024 - baseMB;
    st.counters["residente_MB"] = CampoKB("VmRSS") / 1024;
}

// Until the event loop has nothing left to do.
void HastaOcioso()
{
    QEventLoop bucle;
    QTimer::singleShot(0, &bucle, &QEventLoop::quit);
    bucle.exec();
}

// The cleanup runs on its own thread: each run waits for it, untimed, and
// its peak includes it.
void BM_Arranque(benchmark::State &st)
{
    qputenv("TMPDIR", QFile::encodeName(Carpeta(int(st.range(0)))));
    for (auto _ : st) {
        const double base = EmpezarPico();
        {
            MDIForm1 m;
            m.FinPrograma = [] {};
            m.show();
            HastaOcioso();
            st.PauseTiming();
            Archivos::EsperarLimpieza();
            AnotarPico(st, base);
        }
        HastaOcioso();
        st.ResumeTiming();
    }
}

// The start-up cleanup itself, to its end.
void BM_Limpieza(benchmark::State &st)
{
    qputenv("TMPDIR", QFile::encodeName(Carpeta(int(st.range(0)))));
    for (auto _ : st) {
        const double base = EmpezarPico();
        Archivos::LimpiarTemporales();
        Archivos::EsperarLimpieza();
        AnotarPico(st, base);
    }
}

// 100 megapixels at 24 bits, written a row block at a time as the image
// library writes them.
void BM_Escribir(benchmark::State &st)
{
    const QString destino = Carpeta(int(st.range(0))) + QStringLiteral("/foto.bmp");
    const QByteArray bloque(8 << 20, 'x');
    const int64_t total = int64_t(10000) * 10000 * 3;
    for (auto _ : st) {
        const double base = EmpezarPico();
        QString error;
        const bool ok = Archivos::EscribirSeguro(destino, [&](Archivos::Flujo &f) {
            for (int64_t hecho = 0; hecho < total; hecho += bloque.size())
                if (!f.Escribir(bloque.constData(), std::min<int64_t>(bloque.size(), total - hecho))) return false;
            return true;
        }, &error);
        st.PauseTiming();
        Archivos::EsperarLimpieza();
        AnotarPico(st, base);
        st.ResumeTiming();
        if (!ok) st.SkipWithError(error.toLocal8Bit().constData());
    }
    QFile::remove(destino);
}

// A plain save of a 100 megapixel sample as the editor makes it: the curve
// applied, a BMP written by the image library.
void BM_GuardarImagen(benchmark::State &st)
{
    using namespace modImage;
    const QString destino = Carpeta(int(st.range(0))) + QStringLiteral("/foto.bmp");
    constexpr int kLado = 10000;
    HayMuestra = true, AnchoMuestra = AltoMuestra = kLado, PasoMuestra = int32_t(PasoDeAncho(kLado));
    Pixeles px(size_t(PasoMuestra) * kLado);
    for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 7 + i / 4099);
    PixelesMuestra = PixelesMuestraOriginal = px;
    px = Pixeles();
    // Once untimed: the buffers the save keeps are made outside the runs.
    GuardarImagenProcesada(destino, FIF_BMP, 0);
    Archivos::EsperarLimpieza();
    for (auto _ : st) {
        const double base = EmpezarPico();
        const bool ok = GuardarImagenProcesada(destino, FIF_BMP, 0);
        st.PauseTiming();
        Archivos::EsperarLimpieza();
        AnotarPico(st, base);
        st.ResumeTiming();
        if (!ok) st.SkipWithError("not saved");
    }
    PixelesMuestra = PixelesMuestraOriginal = Pixeles();
    HayMuestra = false;
    QFile::remove(destino);
}

constexpr int kRepeticiones = 9;

BENCHMARK(BM_Arranque)->ArgName("ajenos")->Arg(0)->Arg(kAjenos)
    ->Iterations(1)->Repetitions(3 * kRepeticiones)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Limpieza)->ArgName("ajenos")->Arg(0)->Arg(kAjenos)
    ->Iterations(1)->Repetitions(kRepeticiones)->Unit(benchmark::kMillisecond)->UseRealTime();
// The disk's write-back makes saves vary the most: more runs.
BENCHMARK(BM_Escribir)->ArgName("ajenos")->Arg(0)->Arg(kAjenos)
    ->Iterations(1)->Repetitions(2 * kRepeticiones)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GuardarImagen)->ArgName("ajenos")->Arg(0)->Arg(kAjenos)
    ->Iterations(1)->Repetitions(2 * kRepeticiones)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each case's median time and worst peak, and sets the full folder
// against the empty one at the end.
class Informe : public benchmark::ConsoleReporter {
public:
    Informe() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            // "BM_Guardar/ajenos:0", whatever follows.
            std::string caso = r.run_name.function_name + '/' + r.run_name.args;
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") medianas_[caso] = r.GetAdjustedRealTime();
            if (r.run_type == Run::RT_Iteration) {
                const auto p = r.counters.find("pico_MB");
                if (p != r.counters.end()) picos_[caso] = std::max(picos_[caso], double(p->second));
            }
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%d unrelated files / none: median time, worst peak growth\n", kAjenos);
        for (const char *caso : {"BM_Arranque", "BM_Limpieza", "BM_Escribir", "BM_GuardarImagen"}) {
            const std::string lleno = std::string(caso) + "/ajenos:" + std::to_string(kAjenos), vacio = std::string(caso) + "/ajenos:0";
            if (!medianas_.count(lleno) || !medianas_.count(vacio)) continue;
            std::printf("  %-22s %9.2f ms / %9.2f ms = %6.2fx   peak %+7.1f MB / %+7.1f MB\n", caso, medianas_[lleno],
                        medianas_[vacio], medianas_[lleno] / medianas_[vacio], picos_[lleno], picos_[vacio]);
        }
    }

private:
    std::map<std::string, double> medianas_, picos_;
};

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Raiz() = QDir::tempPath() + QStringLiteral("/halvora-bench-limpieza");
    // The program's settings and data apart from the user's.
    setenv("XDG_CONFIG_HOME", QFile::encodeName(Raiz() + QStringLiteral("/config")).constData(), 1);
    setenv("XDG_DATA_HOME", QFile::encodeName(Raiz() + QStringLiteral("/datos")).constData(), 1);
    QApplication app(argc, argv);
    if (!Preparar()) {
        std::fprintf(stderr, "cannot make the folders under %s\n", QFile::encodeName(Raiz()).constData());
        return 1;
    }
    // The first window pays for fonts and styles once, outside every run.
    {
        MDIForm1 m;
        m.FinPrograma = [] {};
        m.show();
        HastaOcioso();
    }
    HastaOcioso();
    Informe informe;
    return CorrerIntercalado(argc, argv, informe);
}
