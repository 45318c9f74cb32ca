#pragma once
// Screen metrics: twips per pixel (1440 twips to the inch), 15 at 96 dpi.

namespace Pantalla {
double TwipsPerPixelX();
double TwipsPerPixelY();
} // namespace Pantalla
