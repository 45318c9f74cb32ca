#include "windows/editor/conservado.h"

#include "curves/motor.h"

#include <algorithm>

Conservado &Conservado::Instancia()
{
    static Conservado k;
    return k;
}

void Conservado::RecibirCurva(const int *xs, const int *ys, int n)
{
    NumPuntosCurva = static_cast<int16_t>(n);
    for (int i = 0; i < n; ++i) {
        CurvaX[i] = modEngine::LimitarByte(xs[i]);
        CurvaY[i] = modEngine::LimitarByte(ys[i]);
    }
}

void Conservado::TomarCurvaDeMaestra()
{
    const modEngine::EstadoCurvas e = modEngine::TomarMotor().curvas;
    NumPuntosCurva = std::clamp<int16_t>(e.NumPuntos[0], 0, modEngine::MaxPuntos);
    std::copy(e.PuntoX[0], e.PuntoX[0] + NumPuntosCurva, CurvaX);
    std::copy(e.PuntoY[0], e.PuntoY[0] + NumPuntosCurva, CurvaY);
}

void Conservado::NegarCurva()
{
    for (int i = 0; i < NumPuntosCurva && i < modEngine::MaxPuntos; ++i)
        CurvaY[i] = static_cast<int16_t>(255 - CurvaY[i]);
}

void Conservado::PonerCurvaEnMaestra() const
{
    modEngine::EstadoMotor m = modEngine::TomarMotor();
    const int n = std::clamp<int>(NumPuntosCurva, 0, modEngine::MaxPuntos);
    m.curvas.NumPuntos[0] = NumPuntosCurva;
    std::copy(CurvaX, CurvaX + n, m.curvas.PuntoX[0]);
    std::copy(CurvaY, CurvaY + n, m.curvas.PuntoY[0]);
    modEngine::PonerMotor(m);
}
