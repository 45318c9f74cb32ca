#pragma once
// The three lookup tables every pixel operation reads, and the change counter
// renderers use as a cache key. Written only by the curve engine.

#include <cstdint>

namespace modEngine {

extern uint8_t LutR[256];
extern uint8_t LutG[256];
extern uint8_t LutB[256];

// 0 after a reset, +1 per channel rebuild, +5 per composition; compared for
// equality only.
extern int32_t VersionCurva;

} // namespace modEngine
