#pragma once
// What the tests' IPP Everywhere printer receives (scripts/cups.sh offers it
// PWG raster only): the pages of a PWG raster file ("RaS2", PWG 5102.4), read
// without any library so the tests see the bytes the printer got.
//
// Each page is a header and then the pixel rows, each row
// preceded by a repeat count (the row stands that count plus one times) and
// coded in runs: a byte n below 128 repeats the next pixel n+1 times, above
// 128 copies the next 257-n pixels as they are, and 128 fills the rest of
// the row with white. Only 8-bit grey (sgray, black) and 24-bit RGB (srgb,
// rgb) pages are read, which is what CUPS sends to such a printer.

#include <QImage>
#include <QList>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace Raster {

struct Pagina {
    QSize ppp;      // device pixels per inch, across and down
    QSizeF puntos;  // the sheet in points (1/72 inch)
    QImage imagen;  // the whole sheet: Grayscale8 (0 black) or RGB888
};

// The pages of a raster file's bytes; an empty list and *error when they
// are not PWG raster, use another pixel layout or are cut short.
QList<Pagina> Leer(const QByteArray &datos, QString *error = nullptr);

// The smallest rectangle holding every pixel that is not white.
QRect Tinta(const QImage &imagen);

} // namespace Raster
