#include "support/raster.h"

#include <QtEndian>

#include <cstring>

namespace Raster {

namespace {

constexpr int kCabeceraPWG = 1796;

uint32_t Palabra(const char *p) { return qFromBigEndian<uint32_t>(p); }

// One page's pixel rows from pos on; false when the data end too soon.
bool Filas(const QByteArray &d, qsizetype &pos, int bytesPixel, uint8_t blanco, QImage &im)
{
    const qsizetype ancho = qsizetype(im.width()) * bytesPixel;
    const auto *p = reinterpret_cast<const uint8_t *>(d.constData());
    for (int y = 0; y < im.height();) {
        if (pos >= d.size()) return false;
        const int veces = p[pos++] + 1;
        uchar *fila = im.scanLine(y);
        for (qsizetype x = 0; x < ancho;) {
            if (pos >= d.size()) return false;
            const int n = p[pos++];
            if (n == 128) {
                std::memset(fila + x, blanco, size_t(ancho - x));
                break;
            }
            const qsizetype pixeles = n < 128 ? n + 1 : 257 - n, bytes = pixeles * bytesPixel;
            if (x + bytes > ancho) return false;
            if (n < 128) {
                if (pos + bytesPixel > d.size()) return false;
                for (qsizetype i = 0; i < pixeles; ++i) std::memcpy(fila + x + i * bytesPixel, p + pos, size_t(bytesPixel));
                pos += bytesPixel;
            } else {
                if (pos + bytes > d.size()) return false;
                std::memcpy(fila + x, p + pos, size_t(bytes));
                pos += bytes;
            }
            x += bytes;
        }
        for (int r = 1; r < veces && y + r < im.height(); ++r) std::memcpy(im.scanLine(y + r), fila, size_t(ancho));
        y += veces;
    }
    return true;
}

// An empty page of that layout, or a null one for a layout not read here.
// Colour spaces: 1 RGB, 3 black, 18 sGray, 19 sRGB.
QImage Hoja(int bitsPixel, int ancho, int alto)
{
    if (ancho < 1 || alto < 1 || ancho > 100000 || alto > 100000) return QImage();
    if (bitsPixel == 8) return QImage(ancho, alto, QImage::Format_Grayscale8);
    if (bitsPixel == 24) return QImage(ancho, alto, QImage::Format_RGB888);
    return QImage();
}

} // namespace

QList<Pagina> Leer(const QByteArray &d, QString *error)
{
    QList<Pagina> paginas;
    auto fallo = [&](const QString &texto) {
        if (error) *error = texto;
        return QList<Pagina>();
    };
    if (!d.startsWith("RaS2")) return fallo(QStringLiteral("not a PWG raster"));
    for (qsizetype pos = 4; pos < d.size();) {
        if (pos + kCabeceraPWG > d.size()) return fallo(QStringLiteral("page %1: header cut short").arg(paginas.size() + 1));
        const char *h = d.constData() + pos;
        pos += kCabeceraPWG;
        const uint32_t espacio = Palabra(h + 400), bits = Palabra(h + 388);
        Pagina pg{QSize(int(Palabra(h + 276)), int(Palabra(h + 280))), QSizeF(Palabra(h + 352), Palabra(h + 356)),
                  Hoja(int(bits), int(Palabra(h + 372)), int(Palabra(h + 376)))};
        const bool gris = bits == 8 && (espacio == 3 || espacio == 18), color = bits == 24 && (espacio == 1 || espacio == 19);
        if (pg.imagen.isNull() || !(gris || color) || Palabra(h + 384) != 8 || Palabra(h + 392) != bits / 8 * Palabra(h + 372))
            return fallo(QStringLiteral("page %1: %2 bits a pixel in colour space %3 not read").arg(paginas.size() + 1).arg(bits).arg(espacio));
        const uint8_t blanco = espacio == 3 ? 0 : 255;
        if (!Filas(d, pos, int(bits / 8), blanco, pg.imagen))
            return fallo(QStringLiteral("page %1: pixel rows cut short or overrunning").arg(paginas.size() + 1));
        if (espacio == 3) pg.imagen.invertPixels(); // ink amounts to grey levels
        paginas << pg;
    }
    return paginas;
}

QRect Tinta(const QImage &imagen)
{
    const QImage im = imagen.format() == QImage::Format_Grayscale8 ? imagen : imagen.convertToFormat(QImage::Format_RGB888);
    const int bytes = im.format() == QImage::Format_Grayscale8 ? im.width() : im.width() * 3,
              porPixel = im.format() == QImage::Format_Grayscale8 ? 1 : 3;
    int x0 = im.width(), y0 = -1, x1 = -1, y1 = -1;
    for (int y = 0; y < im.height(); ++y) {
        const uchar *fila = im.constScanLine(y);
        int primero = -1, ultimo = -1;
        for (int i = 0; i < bytes; ++i)
            if (fila[i] != 255) {
                if (primero < 0) primero = i;
                ultimo = i;
            }
        if (primero < 0) continue;
        if (y0 < 0) y0 = y;
        y1 = y;
        x0 = std::min(x0, primero / porPixel);
        x1 = std::max(x1, ultimo / porPixel);
    }
    return y0 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
}

} // namespace Raster
