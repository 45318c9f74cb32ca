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
//   modFreeImage::IO()                the library's I/O over an open file
//                                     (handle: an Archivos::Flujo), so that
//                                     every read and write is checked.
//   modFreeImage::LeerCabecera(fif, flujo) the image's header without its
//                                     pixels (a GIF's or a JPEG's structure
//                                     walked by us first, imaging/gif.h,
//                                     imaging/jpeg.h; a BMP's header made
//                                     one the library reads, imaging/bmp.h;
//                                     a PNG's profile, imaging/perfilpng.h),
//                                     with what imaging/detalles.h reads
//                                     beyond it. What the decode then reads
//                                     is imaging/lector.h.
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
#include <vector>

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
// For our own readers (lector.h): a read met the end of the file first.
void AnotarLecturaCorta();

QString RutaCorta(const QString &ruta);
QByteArray Nativa(const QString &ruta);

// FIF_UNKNOWN when neither name gives a known format.
FREE_IMAGE_FORMAT Formato(const QString &ruta, const QString &corta);

// The format's short name ("PNG", "JPEG"), for messages.
QString NombreFormato(int formato);

// Read, write, seek and tell over an Archivos::Flujo.
FreeImageIO IO();

// A piece of what a codec reads in place of the file (lector.h): a stretch
// of the file, or bytes of our own when 'bytes' is not empty.
struct Pieza {
    static constexpr int64_t kResto = -1; // largo: up to the file's end
    int64_t desde = 0, largo = 0;
    QByteArray bytes;
    int64_t Largo() const { return bytes.isEmpty() ? largo : bytes.size(); }
};

// What a file's header declares, read from the stream's start without
// decoding a pixel.
struct Cabecera {
    // Without pixels, with the profile and resolution (a GIF's first frame's
    // size is read by us, 8 bits).
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
    // What the codec reads in place of the file, when the file itself will
    // not do (a GIF's stray byte or missing end, a BMP's newer header); empty:
    // the file.
    std::vector<Pieza> piezas;
    // Why the program cannot read this kind of file, when that is why the
    // header was refused (a BMP variant).
    QString noAdmitido;
};
// false when the header does not read, names a colour model no reader knows
// (a TIFF's photometric interpretation), or the walk of the file's own
// structure finds it damaged. With soloCabecera a GIF is walked only up to
// its size. 'antes', when given, is asked as soon as that walk gives the size
// (JPEG), before the library decodes anything: false ends the read there,
// the header filled in without its bitmap.
bool LeerCabecera(FREE_IMAGE_FORMAT fif, Archivos::Flujo &f, Cabecera &c, bool soloCabecera = false,
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
