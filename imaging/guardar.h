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
// written. Before any work, the memory the save takes (MemoriaGuardado) must
// be available (platform/memoria.h), as for a load: else the box says how
// much it needs.
bool GuardarImagenProcesada(const QString &ruta, int fif, int flags, const QString &titulo = QString());

// The most memory a save of an ancho x alto sample (both at least 1) takes at
// once, in bytes:
// the output bitmap (unless the previous save's is still held, bloque.h),
// what the format's writer keeps beside it (WebP's whole picture in its own
// planes, and the encoded file, twice), and the written file's read-back.
int64_t MemoriaGuardado(int fif, int flags, int32_t ancho, int32_t alto);

} // namespace modImage
