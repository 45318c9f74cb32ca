#pragma once
// The ICC profile a BMP file carries. The image library reads none from BMP
// files; a file with the 124-byte info header (ImageMagick's default) may
// hold one after its pixels, which the loader gives to the bitmap as it does
// a PNG's (perfilpng.h): shown, used to print and kept on save.
//
//   modICC::PerfilBMP(flujo, bitmap)  from the start of a BMP file: when its
//       info header says the profile is embedded ('MBED'), the bytes where
//       it says become the bitmap's profile if they are one (the 'acsp'
//       signature, their own size field equal to the header's, at most
//       kMaximoPerfil). A linked profile (a file name) is not followed. Nothing
//       changes when the bitmap already has a profile or the data is not one;
//       only a failed read is left in the Flujo.

#include "platform/files.h"

#include <FreeImage.h>

namespace modICC {

void PerfilBMP(Archivos::Flujo &f, FIBITMAP *bitmap);

} // namespace modICC
