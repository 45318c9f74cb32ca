#include "windows/evaluator/generacion.h"

#include "curves/curvas.h"
#include "platform/numbers.h"

#include <algorithm>
#include <cstring>
#include <iterator>

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

CurvaAnterior InstalarCurvaMaestra(const PuntosCurva &p)
{
    using namespace modEngine;
    CurvaAnterior c;
    if (p.NumPuntosCurva < 2) return c;
    AsegurarCurvasIniciadas();
    c.hay = true;
    c.estado = TomarEstado();
    c.canal = CanalActual;
    c.seleccion = PuntoSel;
    c.modo = ModoInterpolacion;
    std::memcpy(c.lutR, LutR, 256);
    std::memcpy(c.lutG, LutG, 256);
    std::memcpy(c.lutB, LutB, 256);
    std::copy(std::begin(HistorialDeshacer), std::end(HistorialDeshacer), c.anillo);
    c.posAnillo = PosDeshacer;
    c.numAnillo = NumDeshacer;

    CanalActual = 0;
    NumPuntos[0] = p.NumPuntosCurva;
    for (int k = 0; k < p.NumPuntosCurva; ++k) {
        PuntoX[0][k] = p.PuntoCurvaX[k];
        PuntoY[0][k] = p.PuntoCurvaY[k];
    }
    RegenerarCurvaActual();
    c.instalado = TomarEstado();
    // The editor's curve is never lost: one Undo brings it back. The same
    // curve generated again needs no second step.
    if (!MismoEstado(c.estado, c.instalado)) GuardarDeshacer(c.estado);
    c.posInstalado = PosDeshacer;
    c.numInstalado = NumDeshacer;
    return c;
}

bool RestaurarCurvaAnterior(const CurvaAnterior &c)
{
    using namespace modEngine;
    if (!c.hay || !MismoEstado(TomarEstado(), c.instalado) || CanalActual != 0 || ModoInterpolacion != c.modo ||
        PosDeshacer != c.posInstalado || NumDeshacer != c.numInstalado)
        return false;
    PonerEstado(c.estado);
    CanalActual = c.canal;
    PuntoSel = c.seleccion;
    std::memcpy(LutR, c.lutR, 256);
    std::memcpy(LutG, c.lutG, 256);
    std::memcpy(LutB, c.lutB, 256);
    std::copy(std::begin(c.anillo), std::end(c.anillo), HistorialDeshacer);
    PosDeshacer = c.posAnillo;
    NumDeshacer = c.numAnillo;
    // The tables changed: whatever was drawn from them is stale.
    ++VersionCurva;
    return true;
}

} // namespace Evaluador
