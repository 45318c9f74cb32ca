#pragma once
// The print request: one picture on one printer as one document.
//
// Imprimir(peticion) -> code 1 when the document was started, every copy was
// sent and the document was handed to the printer; -1 on any failure, with
// the reason beside it (Spanish; the sheet's refusal speaks the interface's
// language, as the set-up's own summary does). It shows no message itself:
// the caller shows the reason. The request's fields (peticionimpresion.h):
//
// - imagen: the picture (any QImage format; the chart and the editor pass
//   24-bit pictures), of which the top-left anchoPx x altoPx pixels are
//   printed. The caller keeps it; it is never changed. propietario is not
//   used.
// - impresora: a printer name, trimmed first. copias below 1 prints one copy;
//   each copy is a page of its own in the one document.
// - Size: anchoCm x altoCm, turned into device pixels at the printer's
//   resolution with 0.393700787 inches per centimetre and rounded with ties
//   to even. Position: centred on the sheet (the halves truncated), or xCm,
//   yCm from the paper's top-left corner, where the set-up's preview puts
//   it; negative offsets become 0. The sheet is the printer's own paper (its
//   default, or the one accepted in its settings), which need not be the
//   set-up's: a picture that would not lie wholly on it is refused with that
//   paper's name and size (ConfigImpresion::TextoFueraDelPapel). What falls
//   in the device's unprintable margin is clipped by the device.
// - modoColor: 0 leaves colour to the printer's driver; 1 converts the
//   picture first (see conversionicc.h: perfilOrigen, perfilImpresora,
//   indiceIntento, compensarPuntoNegro) and 2 sends it as it is; with 1 and 2
//   the driver's colour management is switched off for the job (CUPS
//   cm-calibration=true).
// - The pixels reach the page unchanged (lossless, never resampled here): the
//   page transform scales them to the requested size.
// - Checks, in order: printer name, picture, dimensions (also larger than
//   the picture), device context, device capabilities (6101), size and
//   position (6102: below one pixel, not finite or beyond the device's
//   range), the picture on the sheet, conversion; then the document (6105
//   to 6109). Where CUPS or the system gave a reason (the queue gone or
//   refusing jobs, the temporary folder full), it follows the text. Any other failure inside also returns
//   -1 with a text. A failure before the document starts queues nothing; a
//   failure after it drops the whole document. Nothing the call creates
//   outlives it.
// - Runs on the GUI thread, synchronously; one job at a time.

#include "output/peticionimpresion.h"

#include <QImage>
#include <QString>
#include <cstdint>

class QWidget;

namespace modImpresion {

struct ResultadoImpresion {
    int32_t codigo = -1; // 1 printed, -1 failed
    QString motivo;      // "" when printed
};
ResultadoImpresion Imprimir(const PeticionImpresion &peticion);

// Inches per centimetre, as the program has always printed (not 1/2.54).
inline constexpr double kPulgadasPorCm = 0.393700787;

// The picture's rectangle on the sheet, in device pixels.
struct Colocacion {
    int32_t x = 0, y = 0, ancho = 0, alto = 0;
};
// Size and position for a print request on a sheet of horzRes x vertRes
// device pixels at that resolution; 0, or 6102 when the size is below one pixel or a
// value is not finite or beyond the device's range.
int32_t CalcularColocacion(double anchoCm, double altoCm, bool centrar, double xCm, double yCm, int32_t horzRes,
                           int32_t vertRes, int32_t dpiX, int32_t dpiY, Colocacion &c);

// The text of a print error 6101..6109 ("" for any other number).
QString TextoErrorImpresion(int32_t codigo);

// A failure's text followed by its reason as a sentence of its own
// ("No se pudo cerrar el documento de impresion. No queda espacio en el
// disco."); the text alone when there is no reason.
QString TextoConMotivo(const QString &texto, const QString &motivo);

} // namespace modImpresion
