#pragma once
// What a file's header says beyond the image library's reading of it, for
// the memory its codec will hold and for checks before decoding. Each reads
// from the stream's current position (its start) into the header already
// filled by the library (size, depth).
//
//   DetallesTIFF   the strip or tiles in hand, or an RGBA raster; false for
//                  a colour model no reader knows, a sample layout the
//                  library cannot place, or strips that lie past the end.
//   DetallesWebP   lossless, alpha.

#include "imaging/freeimage_io.h"

namespace modFreeImage {

bool DetallesTIFF(Archivos::Flujo &f, Cabecera &c);
void DetallesWebP(Archivos::Flujo &f, Cabecera &c);

} // namespace modFreeImage
