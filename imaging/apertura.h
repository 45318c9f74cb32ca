#pragma once
// Opening an image file for loading, guarded against hostile files. Before
// the image library decodes anything:
//   - only a regular file is opened (a folder, a device or a named pipe is
//     refused without being opened, so a pipe named x.png cannot block);
//   - the name must give a format the library knows ("Formato no
//     reconocido" otherwise), and the content must be one of the formats
//     the load dialogs offer, recognised by its signature: BMP, JPEG, PNG,
//     TIFF, GIF, WebP. Any other kind is refused naming it, and its codec
//     never runs;
//   - the header's size is read alone and must fit the pixel limit and the
//     memory the load would take at its peak (MemoriaCarga) must be
//     available (platform/memoria.h).
// Everything is read through one descriptor, opened once.

#include "imaging/freeimage_io.h"

#include <QString>
#include <cstdint>

namespace modFreeImage {

enum class Rechazo {
    Ninguno,
    NoEsFichero,        // a folder, a device, a pipe
    NoLegible,          // missing, no permission, read error
    FormatoDesconocido, // the name gives no format
    FormatoNoAdmitido,  // a kind of image the program does not open
    Danado,             // not an image of its kind, or damaged
    DemasiadoGrande,    // over the pixel limit or the memory available
};

struct Apertura {
    Bitmap bmp;
    Rechazo rechazo = Rechazo::Ninguno;
    QString motivo; // why, in the user's words; empty when opened
};

// True for the formats the load dialogs offer.
bool FormatoAdmitido(FREE_IMAGE_FORMAT fif);

// Decodes the image; 'copias' is the number of 24-bit buffers of it the
// caller keeps (one: the sample's two names share one block), for the
// memory estimate.
Apertura AbrirImagen(const QString &ruta, int copias);
// The header only (size, depth, profile, resolution), no pixels.
Apertura LeerCabeceraImagen(const QString &ruta);

// The most memory a load of a width x height image of that format, depth
// and type holds at once, in bytes: the codec's bitmap with what the codec
// keeps beside it while decoding (a progressive JPEG keeps every
// coefficient, 2 bytes a sample; TIFF and WebP may decode through an RGBA
// raster), then the bitmap with its 24-bit conversion, then the 24-bit
// bitmap with the first kept copy, or the kept copies.
int64_t MemoriaCarga(FREE_IMAGE_FORMAT fif, int64_t ancho, int64_t alto, int bpp, bool es24, int copias);

} // namespace modFreeImage
