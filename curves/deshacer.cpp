#include "curves/deshacer.h"

#include <cstring>

namespace modEngine {

EstadoCurvas HistorialDeshacer[TamDeshacer];
int16_t PosDeshacer = 0;
int16_t NumDeshacer = 0;

namespace {
// The id of each slot's snapshot, and the last id given.
int32_t idPaso[TamDeshacer] = {};
int32_t ultimoId = 0;
} // namespace

int32_t PasoDeshacer()
{
    if (NumDeshacer <= 0 || PosDeshacer < 0 || PosDeshacer >= TamDeshacer) return 0;
    return idPaso[(PosDeshacer + TamDeshacer - 1) % TamDeshacer];
}

EstadoCurvas TomarEstado()
{
    EstadoCurvas e;
#define TOMAR(nombre, resto) std::memcpy(e.nombre, nombre, sizeof e.nombre);
    MODENGINE_ARRAYS_CURVA(TOMAR)
#undef TOMAR
    return e;
}

void PonerEstado(const EstadoCurvas &e)
{
#define PONER(nombre, resto) std::memcpy(nombre, e.nombre, sizeof e.nombre);
    MODENGINE_ARRAYS_CURVA(PONER)
#undef PONER
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
    idPaso[PosDeshacer] = ++ultimoId;
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
