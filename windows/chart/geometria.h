#pragma once
// Layout of the grey chart: every dimension follows from the resolution in
// pixels per inch, with the fixed proportions of the 200 ppp chart. The scan
// evaluator's default grid assumes this layout, so the values must be exact
// to the pixel (ties to even, products and quotients in the order written).

#include <QString>

namespace CartaGrises {

constexpr int kResolucionMin = 72;
constexpr int kResolucionMax = 1200;

struct Geometria {
    int Resolucion = 0;     // r, ppp
    int Margen = 0;         // A: left margin, gap before the wedge, right margin
    int MargenSup = 0;      // B: top margin (title)
    int LadoParche = 0;     // C: side of a patch cell
    int AnchoEscala = 0;    // D: width of the 21-step wedge
    int AnchoDegradado = 0; // E: width of the gradient column
    int AnchoFranja = 0;    // F: width of the black-and-white strip
    int XEscala = 0;
    int XDegradado = 0;
    int XFranja = 0;
    int AnchoPx = 0; // W
    int AltoPx = 0;  // H
};

// Inclusive pixel rectangle.
struct Rect {
    int x1, y1, x2, y2;
    bool operator==(const Rect &o) const { return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2; }
};

// The resolution text read as the platform reads numbers, rounded (ties to
// even), without clamping.
int LeerResolucion(const QString &texto);
bool ResolucionAceptada(int v);
// The resolution box holds a resolution only when its text (blanks around
// it aside) is a whole number of ppp from 72 to 1200. Anything else ("",
// "abc", "-5", "150.5", "1440") is refused, never read as something near it.
bool TextoResolucionAceptado(const QString &texto);
// "72 - 1200", the range shown beside a refused entry.
QString RangoResolucion();

// Geometry from a resolution text (clamped to 72..1200) or from a number.
Geometria CalcularGeometria(const QString &texto);
Geometria GeometriaDe(int resolucion);

// Rectangles at full size. k = 0..99 is patch 10·row + col.
Rect RectParche(const Geometria &g, int k);
Rect RectParche100(const Geometria &g);
Rect RectInfo(const Geometria &g);
Rect RectEscalon(const Geometria &g, int i); // i = 0..20
// Row where the strip's lower half begins.
int MitadFranja(const Geometria &g);

// Grey levels (0 black .. 255 white); negative mode inverts them.
int GrisParche(int k, bool negativo);
int GrisParche100(bool negativo);
int GrisEscalon(int i, bool negativo);
int GrisDegradado(int y, int alto, bool negativo);

// The chart fitted into a box: scale = min(vw / W, vh / H), the scaled size
// rounded, centred with the halves truncated.
struct Ajuste {
    double escala = 0;
    int ox = 0, oy = 0;
    int ancho = 0, alto = 0;
};
Ajuste AjustarVista(int vw, int vh, const Geometria &g);

} // namespace CartaGrises
