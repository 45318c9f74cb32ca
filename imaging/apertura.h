#pragma once
// Opening an image file for loading, guarded against hostile and damaged
// files. Before the image library decodes anything:
//   - only a regular file is opened (a folder, a device or a named pipe is
//     refused without being opened, so a pipe named x.png cannot block);
//   - the name must give a format the library knows ("Formato no
//     reconocido" otherwise), and the content must be one of the formats
//     the load dialogs offer, recognised by its signature: BMP, JPEG, PNG,
//     TIFF, GIF, WebP. Any other kind is refused naming it, and its codec
//     never runs;
//   - the header is read alone: a frame of no pixels, a colour model no
//     reader knows, strips or tiles that cannot hold the image (detalles.h),
//     a GIF whose blocks or first frame's data fall short (gif.h) or a JPEG
//     whose markers or scan data do not hold together (jpeg.h) is damage, a
//     kind of BMP no reader here knows is named (bmp.h); the size must fit
//     the pixel limit, and the memory the load takes at its peak
//     (MemoriaCarga) must be available (platform/memoria.h). A JPEG's are
//     checked before the library reads its header, which already decodes a
//     progressive frame, so even a header-only read refuses one too large.
//     The header read alone stops there (a GIF's walk at its first frame's
//     size).
// Then the decode is refused as damaged when a codec reported an error (or a
// warning that means lost pixels), when the data ended before the header's
// promise, or when the size differs from the header's. A failed read or seek
// ends it at once with the system's reason; memory that runs out while the
// header is read or the image decoded (the system's ENOMEM, or a codec's
// own words for it) is named as such, with the size.
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
    SinMemoria,         // the memory ran out while decoding
};

struct Apertura {
    Bitmap bmp;
    Rechazo rechazo = Rechazo::Ninguno;
    QString motivo;       // why, in the user's words; empty when opened
    int64_t necesita = 0; // the load's memory estimate, once the header read
};

// True for the formats the load dialogs offer.
bool FormatoAdmitido(FREE_IMAGE_FORMAT fif);

// Decodes the image.
Apertura AbrirImagen(const QString &ruta);
// The header only (size, depth, profile, resolution), no pixels.
Apertura LeerCabeceraImagen(const QString &ruta);

// "No hay memoria suficiente para cargar la imagen: W x H px necesitan N MB."
// ("guardar" for a save), with " y hay M MB disponibles." in place of the
// full stop when the memory available is known.
QString MotivoSinMemoria(int64_t ancho, int64_t alto, int64_t necesita, int64_t disponible = -1,
                         const char *accion = "cargar");

// The most memory a load of that header holds at once, in bytes: the bitmap
// with what its codec keeps beside it while decoding (a row of MCUs for a
// JPEG, and every coefficient of one decoded in several scans; a TIFF strip
// or row of tiles, or an RGBA raster; the whole WebP file and its planes; the
// GIF string table), or the bitmap on its way to 24 bits (modImage::
// Bloque24Bits), whichever is more. Any header field, however large, gives a
// figure in range (INT64_MAX at most).
int64_t MemoriaCarga(FREE_IMAGE_FORMAT fif, const Cabecera &c, int64_t bytesFichero);
// The same for a file; -1 when its header does not read.
int64_t MemoriaCargaFichero(const QString &ruta);

} // namespace modFreeImage
