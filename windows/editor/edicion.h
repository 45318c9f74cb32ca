#pragma once
// The curve editor's mouse arithmetic that needs no widget: which level
// handle a press takes, where a dragged handle goes, how many steps a jump
// back through the history undoes, and the cursor line over the histogram.

#include <cstdint>

class Superficie;

namespace EdicionNiveles {

// Held handle on a level slider.
constexpr int16_t Ninguna = -1;
constexpr int16_t Negra = 0;
constexpr int16_t Blanca = 1;

// The handle a press at x takes on a slider ancho pixels wide whose handles
// show the levels negro and blanco: beyond the white handle white, before the
// black one black, between them the nearer, black on a tie. Ninguna on a
// slider narrower than 2 pixels, which has no scale to press on.
int16_t AsaPulsada(int32_t x, int32_t ancho, int32_t negro, int32_t blanco);

// The level the held handle takes with the pointer at x: x x 255 \ (w - 1),
// clamped to 0..255, and stopped at the other handle so the two never cross.
// -1 when nothing is held or the slider is narrower than 2 pixels.
int32_t NivelArrastrado(int32_t x, int32_t ancho, int16_t asa, int32_t negro, int32_t blanco);

} // namespace EdicionNiveles

namespace SaltoHistorial {

// Snapshots to undo when line indice (0-based) of a history of lineas lines
// is clicked: the lines after it, but no more than the ring holds (0 with an
// empty ring: a jump that undoes nothing). -1: no line after it, no jump.
int32_t Pasos(int32_t indice, int32_t lineas, int32_t instantaneas);

} // namespace SaltoHistorial

namespace CursorHistograma {

// Column of the cursor line for the pointer at x over a histogram ancho
// pixels wide: snapped to the pixel of the nearest of the 256 bins. -1 for
// an empty box.
int32_t Posicion(int32_t x, int32_t ancho);

// Inverts the column x from the top to the last row but one (the line from
// (x, 0) to (x, h - 1) drawn in invert mode); drawing it twice restores it.
void Invertir(Superficie &s, int32_t x);

} // namespace CursorHistograma
