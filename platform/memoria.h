#pragma once
// How much memory the program may still take: what the system reports as
// available (MemAvailable), and no more than the room left under the
// control group's limit when one is set.

#include <cstdint>

namespace Memoria {

// Bytes; -1 when the system does not say.
int64_t Disponible();

// Tests fix the figure (-1 goes back to the system's).
void FijarDisponible(int64_t bytes);

} // namespace Memoria
