#pragma once
// The correction curve from the normalised patch measurements: the measured
// response is inverted at 14 fixed input levels. Patch k stands for the input
// level 255 x (1 - k/100); N(k) tells how light it printed.

#include "curves/deshacer.h"
#include "windows/evaluator/muestreo.h"

#include <cstdint>

namespace Evaluador {

constexpr int NumNivelesCurva = 14;
constexpr int MaxPuntosCurva = 16;

// The input level i of the curve, round(i x 255 / 13): 0, 20, 39, ... 255.
int16_t NivelCurva(int i);

// The output for the wanted level x (0..255), found by inverse lookup in N
// (101 values); -1 when the measurements give no point for x. The output is
// kept within 0..255.
int16_t CalcularPuntoCurva(const int16_t N[NumParches], int16_t x);

struct PuntosCurva {
    int16_t PuntoCurvaX[MaxPuntosCurva] = {};
    int16_t PuntoCurvaY[MaxPuntosCurva] = {};
    int16_t NumPuntosCurva = 0;
};

// Looks up the 14 levels in order and keeps those that give a point. After
// each level reports 80 + round((i + 1) / 14 x 20) with its text.
PuntosCurva GenerarPuntosCurva(const int16_t N[NumParches], const Informador &informar = {});

// The shared curve as a generation found it (points, levels, channel,
// selection, tables and the undo ring), and what the generation left, to tell
// whether anyone has touched the curve since.
struct CurvaAnterior {
    bool hay = false;
    modEngine::EstadoCurvas estado{}, instalado{};
    int16_t canal = 0, seleccion = -1, modo = 0;
    uint8_t lutR[256]{}, lutG[256]{}, lutB[256]{};
    modEngine::EstadoCurvas anillo[modEngine::TamDeshacer]{};
    int16_t posAnillo = 0, numAnillo = 0, posInstalado = 0, numInstalado = 0;
};

// Writes the points into the master channel, makes it current and rebuilds
// it; the colour channels, the levels and the mode stay. The curve it
// replaced goes into the undo ring (unless it was the same), so the editor's
// Undo brings it back.
// With fewer than two points nothing changes and the result is empty.
CurvaAnterior InstalarCurvaMaestra(const PuntosCurva &p);

// Puts back the curve a generation replaced, exactly as it stood (the undo
// ring included), when nothing has changed it since; true when it did.
bool RestaurarCurvaAnterior(const CurvaAnterior &c);

} // namespace Evaluador
