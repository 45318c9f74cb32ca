#pragma once
// The print set-up's page preview: the sheet drawn to scale in a picture
// box with the picture placed on it as it will print, the geometry of that
// drawing, and the mouse arithmetic that reads it back (hit test, move,
// corner resize, and the dragged rectangle turned into centimetres).
//
// All coordinates are pixels of the box, origin top-left. Pixel values are
// limited to +-2^24 before use, so absurd widths or positions can never
// overflow a 32-bit coordinate or a sum of two of them.

#include <QImage>
#include <cstdint>

class Superficie;

namespace VistaImpresion {

// What the last complete drawing used: pixels per cm, the sheet and the
// picture rectangles.
struct Geometria {
    double escala = 0;
    int32_t hojaX = 0, hojaY = 0, hojaAncho = 0, hojaAlto = 0;
    int32_t cartaX = 0, cartaY = 0, cartaAncho = 0, cartaAlto = 0;
};

// The values one drawing needs, in cm.
struct Entrada {
    double hojaAncho = 21.0;
    double hojaAlto = 29.7;
    double anchoCm = 19.0;
    double relacion = 1.0; // picture height / width
    bool centrado = true;
    double posX = 0, posY = 0;           // manual placement
    double margenIzq = 0, margenArr = 0; // the guides (equal to the position in manual placement)
    const QImage *imagen = nullptr;      // none: a ten-band grey ramp in its place
};

// Redraws the whole box. A box under 10 pixels either way is left
// untouched. When the picture starts beyond the sheet's right or bottom
// edge only the sheet is drawn. Returns true when the picture was placed,
// and only then writes the geometry.
bool Dibujar(Superficie &caja, const Entrada &e, Geometria &g);

// The picture as the preview draws it: a copy no larger than the preview
// can show, in the surface's pixel format, made once per opening so a
// full-resolution picture is not converted or sampled at every mouse move.
QImage CopiaParaVista(const QImage &imagen);

// Hit test: 2..5 the handles top-left, top-right, bottom-right,
// bottom-left (within 7 pixels in each axis; the first that matches wins),
// 1 inside the picture, 0 elsewhere.
enum Zona { Fuera = 0, Dentro = 1, EsquinaSupIzq = 2, EsquinaSupDer = 3, EsquinaInfDer = 4, EsquinaInfIzq = 5 };
int ZonaVista(const Geometria &g, int x, int y);

// A dragged rectangle in preview pixels; its height follows from the width.
struct Rect {
    int32_t x = 0, y = 0, ancho = 0;
};
// Move: the pointer minus the press offset, kept on the sheet.
Rect Mover(const Geometria &g, int x, int y, int dx, int dy);
// Corner resize (corner 0 top-left .. 3 bottom-left follows the pointer);
// the height is the width times the ratio, and a top corner keeps the
// bottom edge where it was.
Rect Esquina(const Geometria &g, int esquina, int x, int y, double relacion);

// The dragged rectangle in cm from the sheet's top-left corner, kept on the
// sheet, at least 1 cm wide. False when the preview has no scale yet.
struct Colocacion {
    double x = 0, y = 0, ancho = 0;
};
bool ACm(const Geometria &g, const Rect &r, double relacion, double hojaAncho, double hojaAlto, Colocacion &c);

} // namespace VistaImpresion
