#include "curves/deshacer.h"

#include <cstring>

namespace modEngine {

EstadoCurvas HistorialDeshacer[TamDeshacer];
int16_t PosDeshacer = 0;
int16_t NumDeshacer = 0;

EstadoCurvas TomarEstado()
{
    EstadoCurvas e;
    std::memcpy(e.PuntoX, PuntoX, sizeof e.PuntoX);
    std::memcpy(e.PuntoY, PuntoY, sizeof e.PuntoY);
    std::memcpy(e.NumPuntos, NumPuntos, sizeof e.NumPuntos);
    std::memcpy(e.EntradaNegro, EntradaNegro, sizeof e.EntradaNegro);
    std::memcpy(e.EntradaBlanco, EntradaBlanco, sizeof e.EntradaBlanco);
    std::memcpy(e.SalidaNegro, SalidaNegro, sizeof e.SalidaNegro);
    std::memcpy(e.SalidaBlanco, SalidaBlanco, sizeof e.SalidaBlanco);
    return e;
}

void PonerEstado(const EstadoCurvas &e)
{
    std::memcpy(PuntoX, e.PuntoX, sizeof e.PuntoX);
    std::memcpy(PuntoY, e.PuntoY, sizeof e.PuntoY);
    std::memcpy(NumPuntos, e.NumPuntos, sizeof e.NumPuntos);
    std::memcpy(EntradaNegro, e.EntradaNegro, sizeof e.EntradaNegro);
    std::memcpy(EntradaBlanco, e.EntradaBlanco, sizeof e.EntradaBlanco);
    std::memcpy(SalidaNegro, e.SalidaNegro, sizeof e.SalidaNegro);
    std::memcpy(SalidaBlanco, e.SalidaBlanco, sizeof e.SalidaBlanco);
}

bool MismoEstado(const EstadoCurvas &a, const EstadoCurvas &b)
{
    // Only 16-bit arrays: no padding to compare.
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const EstadoCurvas *UltimoDeshacer()
{
    if (NumDeshacer <= 0 || PosDeshacer < 0 || PosDeshacer >= TamDeshacer) return nullptr;
    return &HistorialDeshacer[(PosDeshacer + TamDeshacer - 1) % TamDeshacer];
}

void GuardarDeshacer() { GuardarDeshacer(TomarEstado()); }

void GuardarDeshacer(const EstadoCurvas &e)
{
    if (PosDeshacer < 0 || PosDeshacer >= TamDeshacer) PosDeshacer = 0;
    HistorialDeshacer[PosDeshacer] = e;
    PosDeshacer = static_cast<int16_t>((PosDeshacer + 1) % TamDeshacer);
    if (NumDeshacer < TamDeshacer) ++NumDeshacer;
}

bool Deshacer()
{
    if (NumDeshacer <= 0) return false;
    --NumDeshacer;
    PosDeshacer = static_cast<int16_t>((PosDeshacer + TamDeshacer - 1) % TamDeshacer);
    PonerEstado(HistorialDeshacer[PosDeshacer]);
    return true;
}

void LimpiarDeshacer()
{
    PosDeshacer = 0;
    NumDeshacer = 0;
}

int16_t NumeroDeshacer() { return NumDeshacer; }

} // namespace modEngine
