#include "windows/evaluator/generacion.h"

#include "curves/curvas.h"
#include "platform/numbers.h"

#include <algorithm>

namespace Evaluador {

using Numeros::CLng;

int16_t NivelCurva(int i) { return static_cast<int16_t>(CLng(static_cast<double>(i) * 255 / 13)); }

int16_t CalcularPuntoCurva(const int16_t N[NumParches], int16_t x)
{
    int idx = -1;
    if (x != 0) {
        for (int i = 0; i < NumParches; ++i) {
            if (N[i] < x) {
                idx = i;
                break;
            }
        }
        if (idx < 0) return -1;
    } else {
        // The 100 % patch itself is not tested here.
        idx = 100;
        for (int i = 99; i >= 0; --i) {
            if (N[i] > 0) {
                idx = i + 1;
                break;
            }
        }
    }

    const int v = N[idx];
    double pos;
    if (x == v) {
        pos = idx;
    } else if (idx == 0) {
        return -1;
    } else {
        const int d = N[idx - 1] - v;
        pos = d == 0 ? idx : idx - static_cast<double>(x - v) / d;
    }
    const int32_t y = CLng((1 - pos / 100) * 255);
    // When the last two patches rise the 0 level could go far above 255.
    if (y < 0) return 0;
    if (y > 255) return 255;
    return static_cast<int16_t>(y);
}

PuntosCurva GenerarPuntosCurva(const int16_t N[NumParches], const Informador &informar)
{
    PuntosCurva p;
    for (int i = 0; i < NumNivelesCurva; ++i) {
        const int16_t x = NivelCurva(i);
        const int16_t y = CalcularPuntoCurva(N, x);
        if (y >= 0) {
            p.PuntoCurvaX[p.NumPuntosCurva] = x;
            p.PuntoCurvaY[p.NumPuntosCurva] = y;
            ++p.NumPuntosCurva;
        }
        const int pct = 80 + CLng(static_cast<double>(i + 1) / 14 * 20);
        if (informar) informar(pct, QStringLiteral("Generando curva... ") + QString::number(pct) + u'%');
    }
    return p;
}

modEngine::EstadoCurvas ConCurvaGenerada(const PuntosCurva &p)
{
    modEngine::EstadoCurvas e = modEngine::TomarEstado();
    const int n = std::clamp<int>(p.NumPuntosCurva, 0, modEngine::MaxPuntos);
    e.NumPuntos[0] = static_cast<int16_t>(n);
    std::copy(p.PuntoCurvaX, p.PuntoCurvaX + n, e.PuntoX[0]);
    std::copy(p.PuntoCurvaY, p.PuntoCurvaY + n, e.PuntoY[0]);
    return e;
}

} // namespace Evaluador
