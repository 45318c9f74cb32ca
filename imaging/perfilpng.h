#pragma once
// The ICC profile of a PNG file. The image library reads none from PNG
// files, so the loader reads the iCCP chunk itself and gives its profile to
// the bitmap, where every other format's profile is (perfilicc.h): shown,
// used to print and kept on save the same way.
//
//   modICC::PerfilPNG(flujo, bitmap)  from the start of a PNG file, the
//       chunks before the image data: the first iCCP chunk whose CRC is
//       right and whose data inflate (at most 64 MiB) becomes the bitmap's
//       profile, byte for byte. Nothing changes when the bitmap already has
//       a profile, when there is no such chunk, or when it is broken (the
//       chunk is ancillary: the image loads without it, as other readers
//       load it). Only a failed read is left in the Flujo.
//   modICC::InflarPerfilPNG(datos)    an iCCP chunk's data (name, 0 byte,
//       method 0, zlib stream) inflated; empty when it is none.

#include "platform/files.h"

#include <FreeImage.h>
#include <QByteArray>

namespace modICC {

void PerfilPNG(Archivos::Flujo &f, FIBITMAP *bitmap);
QByteArray InflarPerfilPNG(const QByteArray &datos);

} // namespace modICC
