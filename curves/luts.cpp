#include "curves/luts.h"

namespace modEngine {

uint8_t LutR[256];
uint8_t LutG[256];
uint8_t LutB[256];
int32_t VersionCurva = 0;

} // namespace modEngine
