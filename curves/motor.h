#pragma once
// The curve engine's whole state as one value: points and levels (the undo
// snapshot), interpolation mode, current channel, selection, drag flag, the
// three tables and the undo ring. TomarMotor and PonerMotor are the one way
// to take it out and put it back.
//
// The change counter VersionCurva is not part of it: whoever puts back
// tables that may differ from the ones last drawn raises it (never sets it
// back, which could match a stale drawing). Putting a state back replaces
// the undo ring: its snapshots get new ids (PasoDeshacer).

#include "curves/deshacer.h"

#include <cstdint>

namespace modEngine {

struct EstadoMotor {
    EstadoCurvas curvas{};
    int16_t modo = 0, canal = 0, seleccion = -1;
    bool arrastrando = false;
    uint8_t lutR[256]{}, lutG[256]{}, lutB[256]{};
    EstadoCurvas anillo[TamDeshacer]{};
    int16_t posAnillo = 0, numAnillo = 0;
};

EstadoMotor TomarMotor();
void PonerMotor(const EstadoMotor &m);

} // namespace modEngine
