#pragma once
// Writing the full-size chart as an image file through FreeImage, with the
// chart's resolution recorded in the file (GIF cannot hold one).

#include <QImage>
#include <QString>

namespace CartaGrises {

struct FormatoCarta {
    QString descripcion; // dialog filter description
    QString patrones;    // dialog filter patterns
    QString extension;   // default extension, without the dot
    int fif;             // FreeImage format
};

constexpr int kNumFormatos = 5;
constexpr int kCalidadJpeg = 75;

// The format of a list index of the format box: JPEG, PNG, BMP, GIF, TIFF;
// a negative (or unknown) index is JPEG.
const FormatoCarta &FormatoDeIndice(int indice);

// "No hay memoria suficiente para la carta de W x H px": a full-size render
// or its copy could not be had.
QString TextoSinMemoria(int ancho, int alto);

// Dots per metre of a resolution in pixels per inch.
int PuntosPorMetro(int ppp);

// Writes the picture (neutral greys) by the program's writing rule
// (modFreeImage::GuardarImagen): a failure leaves an existing file as it was.
// JPEG at quality 75, GIF as 8-bit grey, the others at 24 bits. False with
// the reason in *error.
bool GuardarImagenCarta(const QImage &img, const QString &ruta, int indice, int ppp, QString *error);

// The same; a 24-bit picture (QImage::Format_BGR888) is written from its own
// memory, turned over (and folded to 8 bits for GIF) during the write and
// back as it was before the return. The const form above works on a copy.
bool GuardarImagenCarta(QImage &img, const QString &ruta, int indice, int ppp, QString *error);

} // namespace CartaGrises
