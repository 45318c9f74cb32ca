// Grey chart: full-size render and render plus save.
// Run by hand: QT_QPA_PLATFORM=offscreen ./chart_bench

#include "platform/picturebox.h"
#include "windows/chart/dibujo.h"
#include "windows/chart/guardarcarta.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

using namespace CartaGrises;

namespace {

Opciones Modo()
{
    Opciones o;
    o.negativo = true;
    o.numeros = true;
    o.titulo = QStringLiteral("ZOLV Carta de grises");
    return o;
}

void BM_RenderCompleto(benchmark::State &state)
{
    const Geometria g = GeometriaDe(static_cast<int>(state.range(0)));
    Superficie s;
    for (auto _ : state) {
        if (!RenderizarCompleta(s, g, Modo())) state.SkipWithError("sin memoria");
        benchmark::DoNotOptimize(s.Imagen().constBits());
    }
    state.counters["Mpx"] = g.AnchoPx * static_cast<double>(g.AltoPx) / 1e6;
}
BENCHMARK(BM_RenderCompleto)->ArgName("ppp")->Arg(200)->Arg(1200)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderYGuardar(benchmark::State &state)
{
    const int ppp = static_cast<int>(state.range(0));
    const int formato = static_cast<int>(state.range(1));
    const Geometria g = GeometriaDe(ppp);
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("carta.") + FormatoDeIndice(formato).extension);
    Superficie s;
    for (auto _ : state) {
        QString error;
        if (!RenderizarCompleta(s, g, Modo()) || !GuardarImagenCarta(s.Imagen(), ruta, formato, ppp, &error))
            state.SkipWithError("no se pudo guardar");
    }
}
// Formats: 0 JPEG, 1 PNG, 3 GIF, 4 TIFF.
BENCHMARK(BM_RenderYGuardar)
    ->ArgNames({"ppp", "formato"})
    ->Args({200, 0})
    ->Args({200, 1})
    ->Args({1200, 0})
    ->Args({1200, 1})
    ->Args({1200, 3})
    ->Args({1200, 4})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    // Text needs a GUI application; the offscreen platform needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
