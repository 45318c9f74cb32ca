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

struct LiberarDib {
    void operator()(FIBITMAP *d) const { FreeImage_Unload(d); }
};
using Dib = std::unique_ptr<FIBITMAP, LiberarDib>;

QString SinMemoria(const QImage &img) { return TextoSinMemoria(img.width(), img.height()); }

// The picture as a FreeImage bitmap: 8-bit grey for GIF (the chart holds only
// neutral greys, so the red channel is the grey), 24-bit otherwise.
Dib Convertir(const QImage &origen, bool gris)
{
    const QImage img = origen.format() == QImage::Format_RGB32 || origen.format() == QImage::Format_ARGB32
                           ? origen
                           : origen.convertToFormat(QImage::Format_RGB32);
    if (img.isNull()) return nullptr;
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
        if (gris) {
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
    auto fallo = [error](const QString &texto) {
        if (error) *error = texto;
        return false;
    };
    if (img.isNull()) return fallo(QStringLiteral("no hay imagen de la carta"));
    const FormatoCarta &f = FormatoDeIndice(indice);
    const auto fif = static_cast<FREE_IMAGE_FORMAT>(f.fif);

    Dib dib = Convertir(img, fif == FIF_GIF);
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
