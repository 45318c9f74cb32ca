#pragma once
// Undo ring of the curve state: the last ten snapshots of points, counts and
// levels of all four channels (never the tables, the mode, the current
// channel or the selection). No redo.
//
//   GuardarDeshacer()   push a snapshot; the eleventh overwrites the oldest
//   Deshacer()          pop the newest into the curve state; false when empty.
//                       Tables are NOT rebuilt: the caller rebuilds.
//   LimpiarDeshacer()   empty the ring (ReiniciarCurvas calls it)
//   NumeroDeshacer()    snapshots stored, 0..10
//
// TomarEstado/PonerEstado copy a snapshot out of and into the curve state;
// GuardarDeshacer(e) pushes a snapshot taken earlier (an edit known to have
// changed something only after the fact). PasoDeshacer() names the newest
// snapshot: an id given at its push and never given again, 0 when the ring
// is empty. Undoing later pushes makes a snapshot the newest again under the
// same id; a ring put back whole (PonerMotor) gets new ids.

#include "curves/curvas.h"

#include <cstdint>

namespace modEngine {

struct EstadoCurvas {
#define MODENGINE_CAMPO(nombre, resto) int16_t nombre[NumCanales] resto;
    MODENGINE_ARRAYS_CURVA(MODENGINE_CAMPO)
#undef MODENGINE_CAMPO
};

constexpr int TamDeshacer = 10;

extern EstadoCurvas HistorialDeshacer[TamDeshacer];
extern int16_t PosDeshacer; // slot the next push writes
extern int16_t NumDeshacer; // snapshots stored

void GuardarDeshacer();
void GuardarDeshacer(const EstadoCurvas &e);
bool Deshacer();
void LimpiarDeshacer();
int16_t NumeroDeshacer();
int32_t PasoDeshacer();

EstadoCurvas TomarEstado();
void PonerEstado(const EstadoCurvas &e);
bool MismoEstado(const EstadoCurvas &a, const EstadoCurvas &b);
// The newest snapshot, or nullptr when the ring is empty.
const EstadoCurvas *UltimoDeshacer();

} // namespace modEngine
