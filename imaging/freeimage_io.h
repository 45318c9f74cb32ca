#pragma once
// The binding to the image library FreeImage.
//
//   modFreeImage::RutaCorta(path)     the path as the library opens it; Linux
//                                     has no short names, so it comes back
//                                     unchanged.
//   modFreeImage::Nativa(path)        the path as bytes for the library (UTF-8
//                                     through QFile::encodeName).
//   modFreeImage::Iniciar()           routes the library's messages (and the
//                                     TIFF codec's) to UltimoMensaje() instead
//                                     of the terminal; called by every entry
//                                     point, cheap after the first time.
//   modFreeImage::UltimoMensaje()     the last message since LimpiarMensaje();
//                                     ErrorDeCodec(), LecturaCorta(),
//                                     FaltoMemoria(), SinContenedor() what
//                                     it meant.
//   modFreeImage::Formato(full, short) format by name, full path first.
//   modFreeImage::IO(cierreGIF)       the library's I/O over an open file
//                                     (handle: an Archivos::Flujo), so that
//                                     every read and write is checked; with
//                                     cierreGIF the byte past the end reads
//                                     as a GIF's trailer, for GIFs that lack
//                                     only that (imaging/gif.h).
//   modFreeImage::LeerCabecera(fif, flujo) the image's header without its
//                                     pixels (a GIF's or a JPEG's whole
//                                     structure walked by us first,
//                                     imaging/gif.h, imaging/jpeg.h), with
//                                     what imaging/detalles.h reads beyond it.
//   modFreeImage::GuardarImagen(...)  the one way both image writers write.
//   Opening an image file for loading is imaging/apertura.h.
//   modFreeImage::A24Bits(bitmap)     24-bit bitmap (through 8 bits where the
//                                     direct conversion fails); takes the input.
//   modFreeImage::Bitmap              owning handle, unloads on destruction.

#include "platform/files.h"

#include <FreeImage.h>
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace modFreeImage {

struct Descargador {
    void operator()(FIBITMAP *b) const
    {
        if (b) FreeImage_Unload(b);
    }
};
using Bitmap = std::unique_ptr<FIBITMAP, Descargador>;

// Largest image we agree to hold: 2^30 pixels (3 GiB per 24-bit buffer); the
// histogram counts and every 32-bit size stay in range below it.
constexpr int64_t kMaxPixeles = int64_t(1) << 30;

// True when a width x height image fits the limits above.
bool TamanoAdmisible(int64_t ancho, int64_t alto);

void Iniciar();
QString UltimoMensaje();
// Starts a new decode's record: its last message, whether a codec reported
// an error or a warning that means lost pixels (harmless warnings are not
// counted), whether a read met the end of the file first, whether a codec
// said it ran out of memory, and whether the WebP plugin could not make its
// container (damage, or memory: which, the caller knows).
void LimpiarMensaje();
bool ErrorDeCodec();
bool LecturaCorta();
bool FaltoMemoria();
bool SinContenedor();

QString RutaCorta(const QString &ruta);
QByteArray Nativa(const QString &ruta);

// FIF_UNKNOWN when neither name gives a known format.
FREE_IMAGE_FORMAT Formato(const QString &ruta, const QString &corta);

// The format's short name ("PNG", "JPEG"), for messages.
QString NombreFormato(int formato);

// Read, write, seek and tell over an Archivos::Flujo; with cierreGIF, the
// one byte past the file's end reads as 0x3B.
FreeImageIO IO(bool cierreGIF = false);

// What a file's header declares, read from the stream's start without
// decoding a pixel.
struct Cabecera {
    // Without pixels, with the profile and resolution; null for GIF, whose
    // codec always decodes (its first frame's size is read by us, 8 bits).
    Bitmap bmp;
    int64_t ancho = 0, alto = 0;
    int bpp = 0;
    FREE_IMAGE_TYPE tipo = FIT_UNKNOWN;
    // From the file itself, for what its codec holds while decoding:
    // JPEG: components, and the coefficients of a frame decoded in several
    // scans;
    int componentes = 0;
    int64_t coeficientes = 0;
    // TIFF: the bytes of the strip or tiles in hand, or a whole RGBA raster;
    int64_t bloque = 0;
    bool rasterRGBA = false;
    // WebP: lossless, alpha.
    bool sinPerdida = false, alfa = false;
};
// false when the header does not read, names a colour model no reader knows
// (a TIFF's photometric interpretation), or the walk of the file's own
// structure finds it damaged. 'antes', when given, is asked as soon as that
// walk gives the size (JPEG), before the library decodes anything: false
// ends the read there, the header filled in without its bitmap.
bool LeerCabecera(FREE_IMAGE_FORMAT fif, Archivos::Flujo &f, Cabecera &c,
                  const std::function<bool(const Cabecera &)> &antes = nullptr);

// Writes the bitmap to an image file by Archivos::EscribirSeguro: streamed
// through IO() into the temporary file (never encoded into memory), every
// write checked, then the written file's size and header read back and
// compared before it replaces anything. false with *motivo on failure; the
// old file is then as it was.
// 'formato' is the library's format number, as callers receive it.
bool GuardarImagen(int formato, FIBITMAP *dib, int flags, const QString &ruta, QString *motivo);

// 24 bits per pixel: the bitmap itself when it already is, else a converted
// copy (the input is released either way); null on failure.
Bitmap A24Bits(Bitmap b);

// Resolution in dots per inch, both 0 unless both axes report more than 0
// dots per metre.
void Resolucion(FIBITMAP *b, double &dpiX, double &dpiY);

} // namespace modFreeImage
