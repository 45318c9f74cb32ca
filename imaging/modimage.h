#pragma once
// The image engine's process-wide state: the chart scan, the sample image
// (as loaded, and a working copy never modified), the output flags and the
// sample's histograms. Buffers are 24-bit blue-green-red, rows bottom-up,
// stride = width * 3 rounded up to a multiple of 4.

#include <QString>
#include <cstdint>
#include <vector>

namespace modImage {

using Pixeles = std::vector<uint8_t>;

// Stride of a 24-bit row of the given width (64-bit: no overflow).
inline int64_t PasoDeAncho(int64_t ancho) { return (ancho * 3 + 3) / 4 * 4; }

// Chart scan.
extern bool HayEscaneo;
extern int32_t AnchoEscaneo, AltoEscaneo;
extern int32_t PasoEscaneo;
extern Pixeles PixelesEscaneo;

// Sample image.
extern bool HayMuestra;
extern int32_t AnchoMuestra, AltoMuestra;
extern int32_t PasoMuestra;
extern QString RutaMuestra;
extern Pixeles PixelesMuestraOriginal;
extern Pixeles PixelesMuestra;
extern QString DescPerfilICC, DescPerfilOrigen;
extern QString RutaICCTemporal;
extern double DpiMuestraX, DpiMuestraY;

// Output options of the curve editor.
extern bool InvertirTonos;
extern bool InvertirHorizontal;

// Histograms of the sample's unprocessed pixels: [1] red, [2] green,
// [3] blue, [4] luma; index 0 unused.
extern int32_t HistMuestra[5][256];

} // namespace modImage
