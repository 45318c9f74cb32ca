#include "windows/evaluator/muestreo.h"

#include "platform/numbers.h"

#include <QLocale>
#include <algorithm>

namespace Evaluador {

using Numeros::CLng;

QString NormalizarMuestras(Muestras &m, int n)
{
    n = std::clamp(n, 1, NumParches);
    const double wR = std::max(1.0, m.MuestraR[0]);
    const double wG = std::max(1.0, m.MuestraG[0]);
    const double wB = std::max(1.0, m.MuestraB[0]);

    QString aviso;
    if (!(wR >= 128 && wG >= 128 && wB >= 128)) {
        aviso = QStringLiteral("Atencion: el color del papel medido es [") + QString::number(CLng(wR)) + u',' +
                QString::number(CLng(wG)) + u',' + QString::number(CLng(wB)) + QStringLiteral("]\r\n") +
                QStringLiteral("Es inusualmente oscuro. ¿escaneaste un negativo?");
    }

    m.MinCorregida = 999;
    m.MaxCorregida = -1;
    for (int i = 0; i < n; ++i) {
        // No lower clamp: only a channel lighter than the paper is cut.
        const double r = std::min(255.0, m.MuestraR[i] * 255 / wR);
        const double g = std::min(255.0, m.MuestraG[i] * 255 / wG);
        const double b = std::min(255.0, m.MuestraB[i] * 255 / wB);
        const double c = (r + g + b) / 3;
        m.MuestraCorregida[i] = c;
        if (c <= m.MinCorregida) m.MinCorregida = c;
        if (c >= m.MaxCorregida) m.MaxCorregida = c;
    }

    double rango = m.MaxCorregida - m.MinCorregida;
    if (rango < 1) rango = 1;
    for (int i = 0; i < n; ++i) {
        const int32_t v = CLng((m.MuestraCorregida[i] - m.MinCorregida) / rango * 255);
        m.MuestraNormalizada[i] = static_cast<int16_t>(std::clamp(v, 0, 255));
    }
    return aviso;
}

QString LineaMuestra(const Muestras &m, int i, int n)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    const int32_t q = n > 1 ? CLng(static_cast<double>(i) / (n - 1) * 100) : 0;
    return QStringLiteral("Muestra ") + QStringLiteral("%1").arg(q, 3, 10, QLatin1Char('0')) +
           QStringLiteral("%  Raw=") + loc.toString(m.MuestraBruta[i], 'f', 1) + QStringLiteral("  Corr=") +
           loc.toString(m.MuestraCorregida[i], 'f', 1) + QStringLiteral("  Norm=") +
           QString::number(m.MuestraNormalizada[i]);
}

namespace {

// Measures one patch into slot n; false when its square lies wholly outside
// the scan (nothing of the patch would be measured).
bool MedirUno(int n, Punto c, Punto h, int32_t W, int32_t H, int16_t metodo, const Medidor &medir,
              Muestras &m)
{
    const int64_t x1 = static_cast<int64_t>(c.x) - h.x, x2 = static_cast<int64_t>(c.x) + h.x;
    const int64_t y1 = static_cast<int64_t>(c.y) - h.y, y2 = static_cast<int64_t>(c.y) + h.y;
    if (x2 < 0 || y2 < 0 || x1 >= W || y1 >= H) return false;
    double r = 0, g = 0, b = 0;
    m.MuestraBruta[n] = medir(static_cast<int32_t>(x1), static_cast<int32_t>(y1), static_cast<int32_t>(x2),
                              static_cast<int32_t>(y2), r, g, b, metodo);
    m.MuestraR[n] = r;
    m.MuestraG[n] = g;
    m.MuestraB[n] = b;
    return true;
}

QString FueraDelEscaneo(int k)
{
    return QStringLiteral("La muestra del parche ") + QString::number(k) +
           QStringLiteral("% queda fuera del escaneo. Ajuste la rejilla.");
}

} // namespace

ResultadoMuestreo MuestrearParches(const Rejilla &r, int32_t W, int32_t H, const Vista &v, int16_t metodo,
                                   int p0, int p1, const Medidor &medir, const Informador &informar,
                                   const Avisador &avisar, Muestras &m)
{
    ResultadoMuestreo res;
    if (W < 10 || H < 10) {
        res.error = QStringLiteral("Imagen demasiado pequena para muestrear.");
        return res;
    }
    const GeometriaRejilla g = CalcularGeometriaRejilla(r, W, H);
    if (v.Vacia()) {
        res.error = QStringLiteral("No se ve el escaneo: no se puede calcular el tamaño de las muestras.");
        return res;
    }
    const Punto h = MitadLadoEnEscaneo(r.MitadLadoMuestra, v, W, H);
    if (h.x < 1 || h.y < 1) {
        res.error = QStringLiteral("La imagen es demasiado pequena para detectar parches.");
        return res;
    }

    const int span = p1 - p0;
    // Work on a copy so that a stopped run leaves the last results whole.
    Muestras nuevas = m;
    int n = 0;
    for (int fila = 0; fila < 10; ++fila) {
        for (int col = 0; col < 10; ++col) {
            const int k = 10 * fila + col;
            if (!MedirUno(n, CentroMuestra(r, g, W, H, k), h, W, H, metodo, medir, nuevas)) {
                res.error = FueraDelEscaneo(k);
                return res;
            }
            ++n;
        }
        const int p = p0 + CLng(static_cast<double>(fila + 1) / 11 * span * 0.9);
        if (informar) informar(p, QStringLiteral("Muestreando... ") + QString::number(p) + u'%');
    }
    if (!MedirUno(100, CentroMuestra(r, g, W, H, 100), h, W, H, metodo, medir, nuevas)) {
        res.error = FueraDelEscaneo(100);
        return res;
    }
    n = NumParches;
    if (informar) informar(p0 + CLng(span * 0.92), QStringLiteral("Muestreando parche blanco..."));

    const QString aviso = NormalizarMuestras(nuevas, n);
    m = nuevas;
    if (!aviso.isEmpty() && avisar) avisar(aviso);
    if (informar) informar(p0 + CLng(span * 0.96), QStringLiteral("Normalizando muestras..."));

    res.lineas.reserve(n);
    for (int i = 0; i < n; ++i) res.lineas.append(LineaMuestra(m, i, n));
    if (informar) informar(p1, QStringLiteral("Procesando muestras..."));
    res.ok = true;
    return res;
}

} // namespace Evaluador
