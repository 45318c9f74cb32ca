#pragma once
// The sample grid laid over the chart scan: its frame as fractions of the
// scan, the offset of the sample squares, the half side of a square, and the
// geometry both the drawing and the sampling read. No widgets here.
//
// All roundings are to the nearest integer with ties to even, applied to the
// double result of each expression in the order written.

#include <cstdint>

namespace Evaluador {

// The chart's layout at 200 ppp (1173 x 1183): 6/1173, 167/1173, 75/1183 and
// 8/1183, each to 8 decimals.
constexpr double MargenIzquierdoDefecto = 0.00511509;
constexpr double MargenDerechoDefecto = 0.14236999;
constexpr double MargenSuperiorDefecto = 0.06339814;
constexpr double MargenInferiorDefecto = 0.00676247;

constexpr int32_t MitadLadoMinima = 3;
constexpr int32_t MitadLadoMaxima = 40;
constexpr int32_t MitadLadoInicial = 13;

// One arrow step, as a fraction of the scan.
constexpr double PasoRejilla = 0.002;

constexpr int NumParches = 101; // 0..99 and the 100 % patch

// Key codes the grid answers to.
enum Tecla : int { TeclaInicio = 36, TeclaIzquierda = 37, TeclaArriba = 38, TeclaDerecha = 39, TeclaAbajo = 40 };

struct Rejilla {
    double MargenIzquierdo = MargenIzquierdoDefecto;
    double MargenDerecho = MargenDerechoDefecto;
    double MargenSuperior = MargenSuperiorDefecto;
    double MargenInferior = MargenInferiorDefecto;
    double DesfaseX = 0; // offset of the squares (not the lines), fraction of the width
    double DesfaseY = 0;
    int32_t MitadLadoMuestra = MitadLadoInicial; // box pixels, 3..40

    // Margins back to the chart's and offsets to 0; the half side stays.
    void Reiniciar();
};

// The grid frame in scan pixels.
struct GeometriaRejilla {
    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    int32_t gw = 0, gh = 0; // 10 columns, 11 rows
};

struct Punto {
    int32_t x = 0, y = 0;
    bool operator==(const Punto &o) const { return x == o.x && y == o.y; }
};

GeometriaRejilla CalcularGeometriaRejilla(const Rejilla &r, int32_t W, int32_t H);

// Centre of the sample square of patch k (0..99 row by row, 100 the 100 %
// patch under the first column), in scan pixels. The centre sits at 0.6 of
// its cell.
Punto CentroMuestra(const Rejilla &r, const GeometriaRejilla &g, int32_t W, int32_t H, int k);

// Where the scan is shown in the box: the rectangle (dx, dy, dw, dh).
struct Vista {
    int32_t dx = 0, dy = 0, dw = 0, dh = 0;
    bool Vacia() const { return dw < 1 || dh < 1; }
};

// A scan point in box pixels: round(x * dw / W) + dx.
int32_t CajaX(const Vista &v, int32_t W, double x);
int32_t CajaY(const Vista &v, int32_t H, double y);

// The grid lines in box pixels (they ignore the offsets): nine vertical
// lines, i = 1..9, and ten horizontal ones, i = 1..10.
struct Segmento {
    int32_t x1, y1, x2, y2;
};
Segmento LineaVertical(const GeometriaRejilla &g, const Vista &v, int32_t W, int32_t H, int i);
Segmento LineaHorizontal(const GeometriaRejilla &g, const Vista &v, int32_t W, int32_t H, int i);

// Half side of a sample square in scan pixels, so that the squares measured
// are those seen on screen: (hx, hy) = round(half side / (dw / W)), ...
Punto MitadLadoEnEscaneo(int32_t mitadLado, const Vista &v, int32_t W, int32_t H);

// Arrow keys move the squares, Home resets; any other key changes nothing.
// Returns true when the key was one of them.
bool MoverRejilla(Rejilla &r, int tecla);

// Moves the whole frame: taken only if every margin stays >= 0 and each pair
// of opposite margins adds up to at most 0.95.
bool AjustarMargenes(Rejilla &r, double dH, double dV);

// The half side within 3..40; true when it changed.
bool Agrandar(Rejilla &r);
bool Reducir(Rejilla &r);

// Dragging the grid with the mouse, in box pixels.
struct Arrastre {
    bool ArrastrandoRejilla = false;
    int32_t UltimoRatonX = 0, UltimoRatonY = 0;

    void Empezar(double x, double y);
    // Moves the squares by the mouse's travel since the last position, both
    // ways; true when the grid must be redrawn. With an empty view nothing
    // moves and the last position is kept.
    bool Mover(Rejilla &r, double x, double y, const Vista &v);
    void Terminar() { ArrastrandoRejilla = false; }
};

} // namespace Evaluador
