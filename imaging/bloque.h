#pragma once
// The image memory after decoding: the 24-bit blocks the loads keep, and the
// bitmap the processed-image save writes.
//
//   modImage::Bloque24Bits(bitmap, destino, paso)
//       the decoded bitmap as the 24-bit block the engine keeps, and its
//       stride. A 24-bit bitmap is kept as it is (no copy). 16-bit grey and
//       16-bit-per-channel colour are converted on every core straight into
//       memory of our own, each sample's high byte (the image library's own
//       rule, so the pixels are the same as through it), and each band of the
//       bitmap is handed back to the system once converted: the two images
//       never sit whole in memory together. Anything else goes through the
//       library's conversion (modFreeImage::A24Bits) and the result is kept.
//       False (destino untouched) when there is no 24-bit form or no memory;
//       *sinMemoria (when given) tells which.
//   modImage::BitmapSalida(ancho, alto)
//       a 24-bit bitmap of that size for a save, its pixels in memory kept
//       from the previous save of the same size (a save and the print's
//       temporary copy, or several formats in a row, fault no new memory in).
//       The header is new every time, so no metadata passes from one file to
//       the next; the alignment bytes are zero. Null when there is no memory.
//   modImage::SalidaEnMano(ancho, alto)
//       whether that memory is already held for a bitmap of that size.
//   modImage::SoltarSalida()
//       lets that memory go; a sample load calls it first, so a new sample
//       never meets the old output in memory.

#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"

#include <cstdint>

namespace modImage {

bool Bloque24Bits(modFreeImage::Bitmap bmp, Bloque &destino, int32_t &paso, bool *sinMemoria = nullptr);

modFreeImage::Bitmap BitmapSalida(int32_t ancho, int32_t alto);
bool SalidaEnMano(int32_t ancho, int32_t alto);
void SoltarSalida();

} // namespace modImage
