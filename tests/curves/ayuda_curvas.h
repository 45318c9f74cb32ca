#pragma once
// Helpers for the curve engine tests.

#include "support/texto.h"
#include "fuzz/arnes_curvas.h"
#include "support/curvas.h"

#include <ostream>

using V = std::vector<int>;

// The channel's table before levels, in the given mode (0 Hermite, 1 spline).
inline Tabla256 Tabla(int ch, int modo)
{
    modEngine::ModoInterpolacion = static_cast<int16_t>(modo);
    Tabla256 t{};
    modEngine::ConstruirLUTCanal(static_cast<int16_t>(ch), t.data());
    return t;
}

// One AMP line: 256 values (i + desplazamiento) mod 256.
inline QByteArray LineaAMP(int desplazamiento = 0, const char *sep = " ")
{
    QByteArray l;
    for (int i = 0; i < 256; ++i) l += (i ? sep : "") + QByteArray::number((i + desplazamiento) % 256);
    return l;
}

