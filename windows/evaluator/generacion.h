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

// The curve state with the generated points as its master curve: what
// "Grabar curva" writes, the other channels as they are.
modEngine::EstadoCurvas ConCurvaGenerada(const PuntosCurva &p);

} // namespace Evaluador
