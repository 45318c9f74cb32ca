#include "windows/chart/guardarcarta.h"

#include "imaging/freeimage_io.h"
#include "platform/numbers.h"

#include <FreeImage.h>
#include <cstring>
#include <memory>

namespace CartaGrises {

namespace {

const FormatoCarta kFormatos[kNumFormatos] = {
    {QStringLiteral("JPEG (*.jpg)"), QStringLiteral("*.jpg;*.jpeg"), QStringLiteral("jpg"), FIF_JPEG},
    {QStringLiteral("PNG (*.png)"), QStringLiteral("*.png"), QStringLiteral("png"), FIF_PNG},
    {QStringLiteral("BMP (*.bmp)"), QStringLiteral("*.bmp"), QStringLiteral("bmp"), FIF_BMP},
    {QStringLiteral("GIF (*.gif)"), QStringLiteral("*.gif"), QStringLiteral("gif"), FIF_GIF},
    {QStringLiteral("TIFF (*.tif)"), QStringLiteral("*.tif;*.tiff"), QStringLiteral("tif"), FIF_TIFF},
};

// GIF wants 8-bit grey. A neutral 24-bit picture (the chart, red = green =
// blue) is folded to that in its own memory, rows top-down at the 8-bit
// stride, and unfolded after the write: no second picture in memory.
qsizetype Paso8(const QImage &img) { return (qsizetype(img.width()) + 3) / 4 * 4; }

bool Neutra(const QImage &img)
{
    const int w = img.width();
    for (int y = 0; y < img.height(); ++y) {
        const uchar *o = img.constScanLine(y), *fin = o + 3 * qsizetype(w);
        for (; o < fin; o += 3)
            if (o[0] != o[1] || o[1] != o[2]) return false;
    }
    return true;
}

// Forwards: each byte lands at or before the place it is read from.
void Plegar(uchar *b, const QImage &img)
{
    const qsizetype p24 = img.bytesPerLine(), p8 = Paso8(img), w = img.width();
    for (qsizetype y = 0; y < img.height(); ++y) {
        const uchar *o = b + y * p24;
        uchar *d = b + y * p8;
        for (qsizetype x = 0; x < w; ++x, o += 3) d[x] = *o;
        std::memset(d + w, 0, size_t(p8 - w));
    }
}

// Backwards, for the same reason.
void Desplegar(QImage &img)
{
    uchar *b = img.bits();
    const qsizetype p24 = img.bytesPerLine(), p8 = Paso8(img), w = img.width();
    for (qsizetype y = img.height() - 1; y >= 0; --y) {
        const uchar *o = b + y * p8;
        uchar *d = b + y * p24;
        std::memset(d + 3 * w, 0, size_t(p24 - 3 * w));
        for (qsizetype x = w - 1; x >= 0; --x) d[3 * x] = d[3 * x + 1] = d[3 * x + 2] = o[x];
    }
}

// Releases a bitmap; one that borrows a picture's memory first turns its
// rows back, then unfolds the picture if it was folded.
struct LiberarDib {
    bool devolverFilas = false;
    QImage *desplegar = nullptr;
    void operator()(FIBITMAP *d) const
    {
        if (devolverFilas) FreeImage_FlipVertical(d);
        FreeImage_Unload(d);
        if (desplegar) Desplegar(*desplegar);
    }
};
using Dib = std::unique_ptr<FIBITMAP, LiberarDib>;

QString SinMemoria(const QImage &img) { return TextoSinMemoria(img.width(), img.height()); }

// A picture at 24 bits in the library's byte order is written from its own
// memory: the bitmap wraps it (folded to 8-bit grey for GIF), its rows
// turned over in place (the library keeps them bottom-up) until the bitmap is
// released. Null for a GIF of a picture that is not neutral.
Dib Prestar(QImage &img, bool gris)
{
    if (gris && !Neutra(img)) return nullptr;
    uchar *bits = img.bits(); // a copy only if someone else shares the picture
    if (!bits) return nullptr;
    qsizetype paso = img.bytesPerLine();
    if (gris) {
        Plegar(bits, img);
        paso = Paso8(img);
    } else {
        // The alignment bytes reach BMP files: zero, as in a bitmap of the
        // library's own.
        const qsizetype usados = qsizetype(img.width()) * 3;
        for (int y = 0; y < img.height() && paso > usados; ++y) std::memset(bits + y * paso + usados, 0, size_t(paso - usados));
    }
    Dib dib(FreeImage_ConvertFromRawBitsEx(FALSE, bits, FIT_BITMAP, img.width(), img.height(), static_cast<int>(paso),
                                           gris ? 8 : 24, 0, 0, 0, TRUE));
    if (!dib) {
        if (gris) Desplegar(img);
        return nullptr;
    }
    dib.get_deleter().devolverFilas = true;
    if (gris) {
        dib.get_deleter().desplegar = &img;
        RGBQUAD *pal = FreeImage_GetPalette(dib.get());
        for (int i = 0; i < 256; ++i) pal[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    }
    return dib;
}

// The picture as a new FreeImage bitmap: 8-bit grey for GIF (the chart holds
// only neutral greys, so the red channel is the grey), 24-bit otherwise.
Dib Convertir(const QImage &origen, bool gris)
{
    const bool bgr = origen.format() == QImage::Format_BGR888;
    const QImage img = bgr || origen.format() == QImage::Format_RGB32 || origen.format() == QImage::Format_ARGB32
                           ? origen
                           : origen.convertToFormat(QImage::Format_RGB32);
    if (img.isNull() || (bgr && !gris)) return nullptr;
    const int w = img.width(), h = img.height();
    Dib dib(FreeImage_Allocate(w, h, gris ? 8 : 24));
    if (!dib) return nullptr;
    if (gris) {
        RGBQUAD *pal = FreeImage_GetPalette(dib.get());
        for (int i = 0; i < 256; ++i) {
            pal[i].rgbRed = pal[i].rgbGreen = pal[i].rgbBlue = static_cast<BYTE>(i);
            pal[i].rgbReserved = 0;
        }
    }
    for (int y = 0; y < h; ++y) {
        const QRgb *src = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        // FreeImage keeps its rows bottom-up.
        BYTE *dst = FreeImage_GetScanLine(dib.get(), h - 1 - y);
        if (gris && bgr) {
            const uchar *o = img.constScanLine(y);
            for (int x = 0; x < w; ++x) dst[x] = o[3 * x + 2];
        } else if (gris) {
            for (int x = 0; x < w; ++x) dst[x] = static_cast<BYTE>(qRed(src[x]));
        } else {
            for (int x = 0; x < w; ++x, dst += 3) {
                dst[FI_RGBA_RED] = static_cast<BYTE>(qRed(src[x]));
                dst[FI_RGBA_GREEN] = static_cast<BYTE>(qGreen(src[x]));
                dst[FI_RGBA_BLUE] = static_cast<BYTE>(qBlue(src[x]));
            }
        }
    }
    return dib;
}

} // namespace

const FormatoCarta &FormatoDeIndice(int indice)
{
    if (indice < 0 || indice >= kNumFormatos) indice = 0;
    return kFormatos[indice];
}

QString TextoSinMemoria(int ancho, int alto)
{
    return QStringLiteral("No hay memoria suficiente para la carta de %1 x %2 px").arg(ancho).arg(alto);
}

int PuntosPorMetro(int ppp) { return Numeros::CLng(ppp / 0.0254); }

bool GuardarImagenCarta(const QImage &img, const QString &ruta, int indice, int ppp, QString *error)
{
    // Shared with the caller's: written from a copy, the caller's untouched.
    QImage propia = img;
    return GuardarImagenCarta(propia, ruta, indice, ppp, error);
}

bool GuardarImagenCarta(QImage &img, const QString &ruta, int indice, int ppp, QString *error)
{
    auto fallo = [error](const QString &texto) {
        if (error) *error = texto;
        return false;
    };
    if (img.isNull()) return fallo(QStringLiteral("no hay imagen de la carta"));
    const FormatoCarta &f = FormatoDeIndice(indice);
    const auto fif = static_cast<FREE_IMAGE_FORMAT>(f.fif);

    Dib dib = img.format() == QImage::Format_BGR888 ? Prestar(img, fif == FIF_GIF) : nullptr;
    if (!dib) dib = Convertir(img, fif == FIF_GIF);
    if (!dib) return fallo(SinMemoria(img));
    const unsigned ppm = static_cast<unsigned>(PuntosPorMetro(ppp));
    FreeImage_SetDotsPerMeterX(dib.get(), ppm);
    FreeImage_SetDotsPerMeterY(dib.get(), ppm);

    QString motivo;
    if (!modFreeImage::GuardarImagen(fif, dib.get(), fif == FIF_JPEG ? kCalidadJpeg : 0, ruta, &motivo))
        return fallo(motivo);
    return true;
}

} // namespace CartaGrises
