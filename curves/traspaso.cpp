#include "curves/traspaso.h"

#include "curves/curvas.h"
#include "curves/luts.h"
#include "curves/motor.h"

#include <algorithm>
#include <iterator>

namespace modEngine {

namespace {

struct Traspaso {
    bool abierto = false;
    EstadoMotor antes;         // the engine as the run found it
    EstadoCurvas instalado{};  // what the last generation left
    int16_t modo = 0;
    int32_t paso = 0;          // the run's undo step, 0 while it has none
    int16_t numConPaso = 0;    // snapshots in the ring right after that step
    int32_t devuelto = 0;
};

Traspaso &Actual()
{
    static Traspaso t;
    return t;
}

bool SinTocar(const Traspaso &t)
{
    return t.abierto && ModoInterpolacion == t.modo && MismoEstado(TomarEstado(), t.instalado);
}

} // namespace

void InstalarCurvaGenerada(const int16_t *x, const int16_t *y, int n)
{
    if (!x || !y || n < 2 || n > MaxPuntos) return;
    AsegurarCurvasIniciadas();
    Traspaso &t = Actual();
    if (!SinTocar(t)) {
        t.abierto = true;
        t.antes = TomarMotor();
        t.paso = 0;
    }
    CanalActual = 0;
    NumPuntos[0] = static_cast<int16_t>(n);
    std::copy(x, x + n, PuntoX[0]);
    std::copy(y, y + n, PuntoY[0]);
    RegenerarCurvaActual();
    t.instalado = TomarEstado();
    t.modo = ModoInterpolacion;
    // One step per run, taken once the run really replaces the curve.
    if (!t.paso && !MismoEstado(t.antes.curvas, t.instalado)) {
        GuardarDeshacer(t.antes.curvas);
        t.paso = PasoDeshacer();
        t.numConPaso = NumeroDeshacer();
    }
}

bool DevolverCurvaAnterior()
{
    Traspaso &t = Actual();
    const bool devolver = SinTocar(t);
    t.abierto = false;
    if (!devolver) return false;
    EstadoMotor m = t.antes;
    // The run's step goes while it is the newest, whatever was pushed and
    // undone above it meanwhile.
    const bool conPaso = t.paso && PasoDeshacer() == t.paso;
    if (!conPaso || NumeroDeshacer() != t.numConPaso) {
        // The ring moved on (pushes above the step, or snapshots the ring
        // forgot since): it stays as it is now, less the run's step.
        if (conPaso) Deshacer();
        const EstadoMotor ahora = TomarMotor();
        std::copy(std::begin(ahora.anillo), std::end(ahora.anillo), m.anillo);
        m.posAnillo = ahora.posAnillo;
        m.numAnillo = ahora.numAnillo;
    }
    PonerMotor(m);
    // The tables changed: whatever was drawn from them is stale.
    ++VersionCurva;
    if (conPaso) t.devuelto = t.paso;
    return true;
}

// Nothing of the run is left: no step to name, none given back.
void CerrarTraspaso() { Actual() = Traspaso{}; }

int32_t PasoGenerado()
{
    const Traspaso &t = Actual();
    return t.paso && t.paso == PasoDeshacer() ? t.paso : 0;
}

int32_t PasoDevuelto() { return Actual().devuelto; }

} // namespace modEngine
