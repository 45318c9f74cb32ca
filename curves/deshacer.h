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
// changed something only after the fact). SerieDeshacer() changes with every
// push, pop, clearing or replacement of the ring: a step taken at serie s is
// still the newest while the serie is s.

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
int32_t SerieDeshacer();

EstadoCurvas TomarEstado();
void PonerEstado(const EstadoCurvas &e);
bool MismoEstado(const EstadoCurvas &a, const EstadoCurvas &b);
// The newest snapshot, or nullptr when the ring is empty.
const EstadoCurvas *UltimoDeshacer();

} // namespace modEngine
