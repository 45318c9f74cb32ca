#pragma once
// Small helpers shared by the curve engine's sources; not for other folders.

#include "curves/curvas.h"

namespace modEngine {

inline bool CanalValido(int canal) { return canal >= 0 && canal < NumCanales; }

// Points in use of a channel, never more than the arrays hold.
inline int Cuenta(int canal)
{
    const int n = NumPuntos[canal];
    return n < 0 ? 0 : (n > MaxPuntos ? MaxPuntos : n);
}

// A table from n points given in ascending x (before levels), by the
// current interpolation mode.
void Interpolar(const int16_t *x, const int16_t *y, int n, uint8_t tabla[256]);

// Stable bubble sort of n points by x; *sel (when given) follows its point.
void OrdenarPares(int16_t *x, int16_t *y, int n, int16_t *sel);

} // namespace modEngine
