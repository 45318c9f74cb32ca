#include "windows/editor/conservado.h"

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
    NumPuntosCurva = std::min<int16_t>(modEngine::NumPuntos[0], modEngine::MaxPuntos);
    for (int i = 0; i < NumPuntosCurva; ++i) {
        CurvaX[i] = modEngine::PuntoX[0][i];
        CurvaY[i] = modEngine::PuntoY[0][i];
    }
}

void Conservado::NegarCurva()
{
    for (int i = 0; i < NumPuntosCurva && i < modEngine::MaxPuntos; ++i)
        CurvaY[i] = static_cast<int16_t>(255 - CurvaY[i]);
}

void Conservado::PonerCurvaEnMaestra() const
{
    modEngine::NumPuntos[0] = NumPuntosCurva;
    for (int i = 0; i < NumPuntosCurva && i < modEngine::MaxPuntos; ++i) {
        modEngine::PuntoX[0][i] = CurvaX[i];
        modEngine::PuntoY[0][i] = CurvaY[i];
    }
}
