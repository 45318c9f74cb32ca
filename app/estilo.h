#pragma once
// The dark look of the calibration windows, in one place.
//
// A dark window is styled as a whole with a palette: the window and its
// labels, check boxes, options and frames on &H202020 with light texts; the
// buttons and closed drop-down lists light grey with black text; text boxes,
// lists and the check and option indicators light with black text and marks,
// so every text and indicator reads at 4.5:1 or better against what lies
// behind it. A palette reaches the controls inside the window but not the
// dialogs it opens (message boxes, file and print dialogs are windows of
// their own), which keep the platform's normal look. No style sheets.
//
// Call AplicarOscuro once the window's controls exist, then Panel and
// ColorTexto for the few controls with colours of their own, Aviso for a
// refused entry.

#include <QColor>
#include <cstdint>

class QWidget;

namespace Estilo {

// Colour references (0x00BBGGRR) of the dark design.
constexpr uint32_t FondoOscuro = 0x202020;
constexpr uint32_t TextoClaro = 0xE0E0E0;
constexpr uint32_t FondoBoton = 0xC0C0C0;
// A refused entry and what is said beside it (#E04040).
constexpr uint32_t TextoAviso = 0x4040E0;

// The least contrast a text or indicator may have against its background.
constexpr double ContrasteMinimo = 4.5;

// Contrast ratio of two colours, 1 to 21, from their relative luminance
// (sRGB, as the accessibility guidelines define it).
double Contraste(const QColor &a, const QColor &b);

// The colour itself when it reads on the background, otherwise the first
// shade towards white (on a dark background) or black (on a light one) that
// reaches the minimum contrast. Keeps the hue of the design's colours.
QColor Legible(const QColor &texto, const QColor &fondo);

// Styles a dark window and everything in it.
void AplicarOscuro(QWidget *ventana);

// A control inside a dark window that fills its own background in a colour
// of its own (the editor's channel frames), texts kept legible on it.
void Panel(QWidget *w, uint32_t fondo);

// A text colour of the design for one control, made legible on the
// background the control shows through.
void ColorTexto(QWidget *w, uint32_t color);

// A control's texts in the warning colour, made legible on what lies behind
// each (a label's window, a field's own base), or (aviso false) back to the
// colours of the window around it.
void Aviso(QWidget *w, bool aviso);

} // namespace Estilo
