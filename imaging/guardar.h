#pragma once
// Saving the processed sample: the current curve applied to the working sample
// at full resolution, written through the image library with exactly the
// format identifier and save flags given. The file carries the sample's
// resolution and its embedded ICC profile where the format holds them (a
// profile only when it describes RGB data). It is written by the program's
// writing rule (modFreeImage::GuardarImagen): a failed save leaves an existing
// file whole and its box gives the system's reason.

#include <QString>

namespace modImage {

// True when the file was written. False without a sample (nothing shown) or
// after one exclamation box with the reason, titled titulo (the print's
// temporary bitmap is "Imprimir"; the save's box has none). The tables and
// output flags are taken once at the start; the sample buffers are never
// written.
bool GuardarImagenProcesada(const QString &ruta, int fif, int flags, const QString &titulo = QString());

} // namespace modImage
