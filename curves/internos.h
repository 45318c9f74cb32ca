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

} // namespace modEngine
