#pragma once
// BMP files the image library does not read as they are. The installed
// library takes only the oldest info headers (12 and 40 bytes) and stops at
// the end-of-line code that ends an RLE8 image's last row, while most
// writers (ImageMagick's default) write the newer headers and that code.
//
//   CabeceraBMP(flujo, cab)  the header, read by the library: a newer header
//       (52, 56, 108 or 124 bytes, or OS/2's 64) is shown to it as the
//       40-byte one with the same fields, colour masks, palette and pixels
//       (cab.piezas, lector.h), and an RLE8 image's last end-of-line code is
//       left out; a file the library reads as it is goes as it is. An
//       embedded ICC profile is given to the bitmap (perfilbmp.h). A BMP of
//       a kind the program does not read (embedded JPEG or PNG, CMYK, 2 or
//       64 bits a pixel, OS/2's Huffman or RLE24 compression, colour masks
//       other than 5-5-5, 5-6-5 and 8-8-8) is refused with cab.noAdmitido
//       saying which; any other header that does not read is damage.

#include "imaging/freeimage_io.h"

namespace modFreeImage {

bool CabeceraBMP(Archivos::Flujo &f, Cabecera &c);

} // namespace modFreeImage
