#pragma once
// Measuring the 101 patches of a chart scan inside the sample squares, the
// balance against the paper white and the stretch to 0..255. No widgets: the
// measurement itself and the progress report come in as functions.

#include "windows/evaluator/rejilla.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace Evaluador {

// Methods of the patch measurement.
enum Metodo : int16_t { MetodoMedia = 0, MetodoMediana = 1, MetodoPercentiles = 2 };

struct Muestras {
    double MuestraBruta[NumParches] = {};
    double MuestraR[NumParches] = {};
    double MuestraG[NumParches] = {};
    double MuestraB[NumParches] = {};
    double MuestraCorregida[NumParches] = {};
    int16_t MuestraNormalizada[NumParches] = {};
    double MinCorregida = 0;
    double MaxCorregida = 0;
};

// Balances every sample against the paper white (patch 0), takes the mean of
// the channels and stretches it to 0..255 over the darkest and lightest
// sample. Returns the dark-paper warning, or "" when the paper looks white.
QString NormalizarMuestras(Muestras &m, int n);

// Measures the rectangle (inclusive scan pixels) with the given method and
// returns the channel mean, the channels through r, g, b.
using Medidor = std::function<double(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double &r, double &g,
                                     double &b, int16_t metodo)>;
// Reports a percentage with its text.
using Informador = std::function<void(int porcentaje, const QString &texto)>;
// Shows the dark-paper warning; the run goes on afterwards.
using Avisador = std::function<void(const QString &texto)>;

struct ResultadoMuestreo {
    bool ok = false;
    QString error; // why the run stopped (shown with the exclamation icon)
    QStringList lineas; // one line per patch for the list
};

// Measures, normalises and lists all 101 patches, reporting progress from p0
// to p1. The view is where the scan is shown, so the squares measured match
// those seen on screen.
ResultadoMuestreo MuestrearParches(const Rejilla &r, int32_t W, int32_t H, const Vista &v, int16_t metodo,
                                   int p0, int p1, const Medidor &medir, const Informador &informar,
                                   const Avisador &avisar, Muestras &m);

// "Muestra 007%  Raw=...  Corr=...  Norm=..." with the locale's decimal mark.
QString LineaMuestra(const Muestras &m, int i, int n);

} // namespace Evaluador
