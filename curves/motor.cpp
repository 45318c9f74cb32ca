#include "curves/motor.h"

#include "curves/curvas.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace modEngine {

EstadoMotor TomarMotor()
{
    EstadoMotor m;
    m.curvas = TomarEstado();
    m.modo = ModoInterpolacion;
    m.canal = CanalActual;
    m.seleccion = PuntoSel;
    m.arrastrando = Arrastrando;
    std::memcpy(m.lutR, LutR, 256);
    std::memcpy(m.lutG, LutG, 256);
    std::memcpy(m.lutB, LutB, 256);
    std::copy(std::begin(HistorialDeshacer), std::end(HistorialDeshacer), m.anillo);
    m.posAnillo = PosDeshacer;
    m.numAnillo = NumDeshacer;
    return m;
}

void PonerMotor(const EstadoMotor &m)
{
    PonerEstado(m.curvas);
    ModoInterpolacion = m.modo;
    CanalActual = m.canal;
    PuntoSel = m.seleccion;
    Arrastrando = m.arrastrando;
    std::memcpy(LutR, m.lutR, 256);
    std::memcpy(LutG, m.lutG, 256);
    std::memcpy(LutB, m.lutB, 256);
    // The ring through its own operations, oldest first, so that each
    // snapshot gets a new id; the slots no undo reaches are copied as well.
    std::copy(std::begin(m.anillo), std::end(m.anillo), HistorialDeshacer);
    const int num = std::clamp<int>(m.numAnillo, 0, TamDeshacer);
    const int pos = std::clamp<int>(m.posAnillo, 0, TamDeshacer - 1);
    LimpiarDeshacer();
    PosDeshacer = static_cast<int16_t>((pos - num + TamDeshacer) % TamDeshacer);
    for (int i = 0; i < num; ++i) GuardarDeshacer(m.anillo[PosDeshacer]);
}

} // namespace modEngine
