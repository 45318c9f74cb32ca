#pragma once
// Geometry and pixels shared by every view of an image in a box.
//
//   modImage::CalcularRectanguloAjustado(boxW, boxH, imgW, imgH, l, t, w, h)
//       the image scaled by min(boxW/imgW, boxH/imgH) (enlarged when smaller
//       than the box), sizes rounded to nearest with ties to even, centred
//       with truncated halves. Empty (all 0) when a size is not positive.
//   modImage::ImagenAjustada(buffer, bytes, imgW, imgH, stride, w, h)
//       a w x h picture of a 24-bit bottom-up buffer: area average when
//       shrinking, nearest pixel when enlarging; null image on failure.
//   modImage::ActualizarProgreso(pct, text)
//       reports into the progress window only while it is visible, then
//       yields once (user input dropped). Never shows or creates it.
//   modImage::BufferABitmap
//       a block copy of a buffer into a new 24-bit library bitmap.

#include "imaging/modimage.h"

#include <FreeImage.h>
#include <QImage>
#include <QString>
#include <cstdint>

namespace modImage {

void CalcularRectanguloAjustado(int32_t anchoCaja, int32_t altoCaja, int32_t anchoImagen,
                                int32_t altoImagen, int32_t &izquierda, int32_t &arriba,
                                int32_t &ancho, int32_t &alto);

QImage ImagenAjustada(const uint8_t *px, size_t bytes, int32_t ancho, int32_t alto, int32_t paso,
                      int32_t anchoDestino, int32_t altoDestino);

void ActualizarProgreso(int16_t porcentaje, const QString &mensaje);

// A new 24-bit bitmap holding the buffer (stride x height bytes copied in one
// block); null when it cannot be allocated or the buffer is too short.
FIBITMAP *BufferABitmap(const Pixeles &px, int32_t ancho, int32_t alto, int32_t paso);

} // namespace modImage
