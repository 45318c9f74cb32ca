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
    // The ring through its own operations, so its serie moves on.
    LimpiarDeshacer();
    std::copy(std::begin(m.anillo), std::end(m.anillo), HistorialDeshacer);
    PosDeshacer = m.posAnillo;
    NumDeshacer = m.numAnillo;
}

} // namespace modEngine
