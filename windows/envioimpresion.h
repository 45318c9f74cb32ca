#pragma once
// How both print commands (the chart generator and the curve editor) tell
// the user how a print request went (modImpresion::Imprimir, once the user
// has accepted the print set-up). No widget is needed: the boxes go through
// the message seam.

#include "output/impresion.h"

#include <QString>

class QWidget;

namespace EnvioImpresion {

// The notices of a print sent, sizes with one decimal in the user's locale
// (Spanish only, as the program has always shown them):
//   "Carta enviada a la impresora." CR LF "Tamano impreso: 19.0 x 19.2 cm  (200 ppp)" CR LF "Posicion: centrada"
//   "Imagen enviada a la impresora." CR LF "Tamaño: 19.0 x 12.7 cm" CR LF "Posición: con margen manual"
QString TextoCartaEnviada(double anchoCm, double altoCm, int ppp, bool centrado);
QString TextoImagenEnviada(double anchoCm, double altoCm, bool centrado);

// The outcome of a request: code 0 shows nothing; -1 the error with its
// reason (critical); anything else the notice (information, titled
// "Imprimir").
void Informar(const modImpresion::ResultadoImpresion &resultado, const QString &aviso, QWidget *propietario);

// The print error's critical box: "Error al imprimir: " / "Print error: "
// and the reason, titled "Imprimir" / "Print".
void InformarError(const QString &motivo, QWidget *propietario);

} // namespace EnvioImpresion
