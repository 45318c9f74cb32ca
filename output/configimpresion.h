#pragma once
// The print set-up dialog's rules that need no widget: how a box's text is
// read (the leading-number parse, copies, measurements in centimetres), how
// a measurement is written back, the paper table and the sheet size, the
// summary lines, the opposite margins, the colour-management lists and the
// rendering-intent text turned into the print request's number.
//
// Everything is in centimetres; a display unit is a factor of centimetres
// per unit (1 cm, 2.54 in, 0.1 mm). Texts in two languages go through T.

#include <QList>
#include <QString>
#include <QStringList>

namespace ConfigImpresion {

// The width the callers ask for, and the height/width ratio used when a
// caller gives none.
constexpr double kAnchoPorDefecto = 19.0;
constexpr double kRelacionPorDefecto = 1210.0 / 1200.0;
// A measurement beyond a kilometre is nobody's print: it reads like an
// empty box, so no later computation overflows.
constexpr double kMedidaMaximaCm = 100000.0;

// The leading number of a text: blanks anywhere are skipped, then a sign,
// digits, one '.' and an exponent (E or D); anything else ends it; a text
// that does not start with a number gives 0. The locale plays no part.
double NumeroInicial(const QString &texto);

// The copies box: the leading number rounded (ties to even), then 1..999.
int LeerCopias(const QString &texto);

// A measurement box in centimetres: ',', '.' or the locale's separator as
// the decimal separator, negative, unreadable, not finite or absurd reads
// as 0; times factor.
double TextoACm(const QString &texto, double factor);

// "0.00" and "0.0" with the regional decimal separator, no grouping, and
// ASCII digits in every locale ("19٫00" in Arabic, never "١٩٫٠٠").
QString FormatoMedida(double valor);
QString FormatoUnDecimal(double valor);

// Display units, by list index (any other index is centimetres).
struct Unidad {
    double factor;
    QString abreviatura;
};
Unidad UnidadDe(int indice);
QStringList TextosUnidades();

// The paper table, portrait sizes in cm; the last entry is the custom paper.
struct Papel {
    QString nombre;
    double ancho;
    double alto;
};
constexpr int kPapelPersonalizado = 9;
QList<Papel> TablaPapeles();
// A list index outside the table counts as the first paper.
int IndicePapel(int indice);
// A custom paper side: the box in cm, never below 1 cm.
double LadoPersonalizado(const QString &texto, double factor);

struct Hoja {
    double ancho = 0;
    double alto = 0;
};
Hoja Orientar(double ancho, double alto, bool horizontal);

// "Paper size: A4  21.0 x 29.7 cm  [portrait]" (always centimetres).
QString TextoPapelInfo(const QString &nombrePapel, const Hoja &hoja, bool horizontal);

// The picture summary: "Chart: 19.00 x 19.16 cm   Centered on A4" with the
// wider or taller warning (margins play no part). Positions in cm.
struct Carta {
    double anchoCm = 0;
    double altoCm = 0;
    bool centrado = true;
    double posX = 0;
    double posY = 0;
};
QString TextoInfoCarta(const Carta &carta, const Hoja &hoja, double factor, const QString &unidad,
                       const QString &nombrePapel);

// Why a picture placed on the printer's sheet would come out cut: wider or
// taller than that paper (the summary's test), or, placed by hand (from the
// sheet's corner, negative positions as 0), reaching past its right or bottom
// edge; then that paper's summary line. "" when the picture lies wholly on
// the sheet.
//   "Carta más ancha que el papel de la impresora. Tamaño del papel: A5  14.8 x 21.0 cm  [vertical]"
QString TextoFueraDelPapel(const Carta &carta, const Hoja &hoja, const QString &nombrePapel, bool horizontal);

// Room left below and right of a manually placed picture, never negative.
struct Opuestos {
    double abajo;
    double derecha;
};
Opuestos MargenesOpuestos(const Hoja &hoja, double anchoCm, double altoCm, double arriba, double izquierda);

// Colour-management lists, in the current language.
QStringList TextosGestionColor();
QString TextoAvisoColor(int modo);
QStringList TextosIntento();
QString TextoModoNormal();
// The printer profiles: the three fixed entries, then the folder's plain
// *.icc files, then its *.icm files, each name once whatever its case.
QStringList PerfilesImpresora(const QString &carpeta);

// The rendering-intent text as the print request's number: perceptual 1,
// saturation 2, absolute colorimetric 3, anything else 0 (relative).
int IndiceIntento(const QString &texto);

} // namespace ConfigImpresion
