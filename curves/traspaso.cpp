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
    int32_t serie = 0;         // the ring's serie after the run last touched it
    int32_t paso = 0;          // the run's step, 0 while it has none
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
        t.serie = SerieDeshacer();
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
        t.paso = t.serie = SerieDeshacer();
    }
}

bool DevolverCurvaAnterior()
{
    Traspaso &t = Actual();
    const bool devolver = SinTocar(t);
    t.abierto = false;
    if (!devolver) return false;
    EstadoMotor m = t.antes;
    const bool anilloIntacto = t.serie == SerieDeshacer();
    if (!anilloIntacto) {
        // Steps taken since stay; only the curve goes back.
        const EstadoMotor ahora = TomarMotor();
        std::copy(std::begin(ahora.anillo), std::end(ahora.anillo), m.anillo);
        m.posAnillo = ahora.posAnillo;
        m.numAnillo = ahora.numAnillo;
    }
    PonerMotor(m);
    // The tables changed: whatever was drawn from them is stale.
    ++VersionCurva;
    if (anilloIntacto && t.paso) t.devuelto = t.paso;
    return true;
}

void CerrarTraspaso() { Actual().abierto = false; }

int32_t PasoGenerado()
{
    const Traspaso &t = Actual();
    return t.paso && t.paso == SerieDeshacer() ? t.paso : 0;
}

int32_t PasoDevuelto() { return Actual().devuelto; }

} // namespace modEngine
