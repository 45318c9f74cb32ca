#pragma once
// The curve engine: the one process-wide tone-curve state that every window
// reads and writes directly, and the procedures that turn it into the three
// lookup tables of curves/luts.h.
//
// State (all public, GUI thread only):
//   PuntoX[ch][k], PuntoY[ch][k]  control points, 0..255, channel 0 RGB master,
//                                 1 red, 2 green, 3 blue; k < NumPuntos[ch]
//   NumPuntos[ch]                 2..16 points in use
//   EntradaNegro/EntradaBlanco/SalidaNegro/SalidaBlanco[ch]  levels, stored
//                                 as given (black may exceed white)
//   ModoInterpolacion             1 natural spline, anything else monotone
//                                 cubic Hermite
//   CanalActual, PuntoSel, Arrastrando, CurvasIniciadas
//   LutR, LutG, LutB, VersionCurva (curves/luts.h)
//
// Rebuilds:
//   RegenerarCurvaActual()  sort, interpolate and apply the levels of the
//       current channel and store it: channel 0 into all three tables, a
//       colour channel into its own table only. VersionCurva + 1.
//   ComponerLUTs()  rebuilds all four channels and leaves each colour table as
//       colour curve after master curve. VersionCurva + 5.
//   FijarNivel(ch, cual, valor)  cual 0 input black, 1 input white, 2 output
//       black, 3 output white; rebuilds only when ch is the current channel.
//   ReiniciarCurvas()  defaults, identity tables, VersionCurva 0, empty undo.
//
// The tables hold the curve of the channel being edited (after a rebuild)
// or the composition (after ComponerLUTs), so nothing that shows or writes
// processed pixels reads them. Output takes the curve from the state:
//   TablaCanal(ch, t)        a channel's own curve with its levels;
//   CurvaCompuesta(r, g, b)  each colour's curve after the master curve,
//                            levels included (what ComponerLUTs would leave).
// Both change nothing: no sorting, no table, no counter.
//
// Point editing (current channel; x input level, y = 255 - output level):
//   BuscarPuntoCercano, CurvaMouseDown, CurvaMouseMove, CurvaMouseUp,
//   BorrarPuntoCercano. Pushing an undo snapshot first is the caller's job.
//
// The undo ring is in curves/deshacer.h, the curve files in
// curves/archivoscurva.h.
//
// A channel index outside 0..3 (or a CanalActual outside it) makes an
// operation do nothing; a count above 16 is read as 16, and a selection at
// or beyond the count is not dragged.

#include "curves/luts.h"

#include <cstdint>

namespace modEngine {

constexpr int NumCanales = 4;
constexpr int MaxPuntos = 16;

// The arrays of the curve state, each as X(name, extent after the channel's):
// one list for the globals, the undo snapshot and the copies between them.
#define MODENGINE_ARRAYS_CURVA(X)                                                                              \
    X(PuntoX, [MaxPuntos]) X(PuntoY, [MaxPuntos]) X(NumPuntos, ) X(EntradaNegro, ) X(EntradaBlanco, )           \
    X(SalidaNegro, ) X(SalidaBlanco, )

#define MODENGINE_DECLARAR(nombre, resto) extern int16_t nombre[NumCanales] resto;
MODENGINE_ARRAYS_CURVA(MODENGINE_DECLARAR)
#undef MODENGINE_DECLARAR

extern int16_t ModoInterpolacion;
extern int16_t CanalActual;
extern int16_t PuntoSel;
extern bool Arrastrando;
extern bool CurvasIniciadas;

// --- state, levels and tables ---
void ReiniciarCurvas();
// Every channel back to the two points (0,0)-(255,255) and full levels;
// tables, mode, channel and undo untouched.
void PuntosYNivelesIniciales();
void AsegurarCurvasIniciadas();
uint8_t LimitarByte(int32_t valor);
void OrdenarPuntos(int16_t canal);
void ConstruirLUTCanal(int16_t canal, uint8_t tabla[256]);
void AplicarNivelesLUT(int16_t canal, uint8_t tabla[256]);
void RegenerarCurvaActual();
void FijarNivel(int16_t canal, int16_t cual, int16_t valor);
void ComponerLUTs();
void TablaCanal(int16_t canal, uint8_t tabla[256]);
void CurvaCompuesta(uint8_t lutR[256], uint8_t lutG[256], uint8_t lutB[256]);

// --- interpolation of a channel's points into a table (before levels) ---
void InterpolarSplineNatural(int16_t canal, uint8_t tabla[256]);
void InterpolarPCHIP(int16_t canal, uint8_t tabla[256]);

// --- point editing by mouse, in curve coordinates ---
int16_t BuscarPuntoCercano(int32_t x, int32_t y); // index or -1
void CurvaMouseDown(int32_t x, int32_t y);
void CurvaMouseMove(int32_t x, int32_t y);
void CurvaMouseUp();
void BorrarPuntoCercano(int32_t x, int32_t y);

} // namespace modEngine
