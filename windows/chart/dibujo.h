#pragma once
// Drawing of the grey chart on a picture-box surface at any scale and offset:
// scaled and centred into the preview, and at scale 1 into the full-size
// picture that is saved and printed. One code path serves both.

#include "windows/chart/geometria.h"

#include <QString>

class Superficie;

namespace CartaGrises {

// What the window's controls say at drawing time.
struct Opciones {
    bool negativo = true;
    bool lineas = true;  // outlines around the patches
    bool numeros = false; // labels in patches and wedge
    QString titulo;
};

// The address on the third line of the information box.
extern const QString kDireccionInfo;

// v × scale + offset, rounded with ties to even.
int TransformarX(double v, double offset, double escala);
int TransformarY(double v, double offset, double escala);
// The font size in points whose height is px pixels on the drawing surface.
float PixelesAPuntos(double px);
// The title as it stands when it fits the width (surface pixels, the
// surface's current font), otherwise its longest start that fits with an
// ellipsis after it, never half a character; empty when not even the
// ellipsis fits.
QString RecortarTitulo(const Superficie &s, const QString &texto, double ancho);

// The six elements, always drawn in this order.
void DibujarParches(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala);
void DibujarEscalones(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala);
void DibujarDegradado(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala);
void DibujarFranjaBN(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala);
void DibujarMarco(Superficie &s, const Geometria &g, int ox, int oy, double escala);
void DibujarTextos(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala);
void DibujarElementos(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala);

// The preview: clears the surface to white, fits the chart into it and
// outlines the whole box. A surface of no size stays as it is.
void DibujarVista(Superficie &s, const Geometria &g, const Opciones &o);

// The full-size picture: the surface becomes exactly W × H pixels at 24 bits
// (QImage::Format_BGR888), the same pixels a 32-bit surface gets. False when
// that memory cannot be had (the surface is then empty).
bool RenderizarCompleta(Superficie &s, const Geometria &g, const Opciones &o);

} // namespace CartaGrises
