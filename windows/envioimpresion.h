#pragma once
// What both print commands (the chart generator and the curve editor) do once
// the user has accepted the print set-up: send the picture with those choices
// as one print request, and tell the user how it went. No widget is needed:
// the boxes go through the message seam.

#include "output/peticionimpresion.h"

#include <QImage>
#include <QString>
#include <cstdint>

class QWidget;

namespace EnvioImpresion {

// Prints the top-left anchoPx x altoPx pixels of the picture with the user's
// choices, as document documento; perfilOrigen is the picture's ICC profile
// file ("" for sRGB). 1 printed; -1 failed, with the reason in error.
int32_t Enviar(const QImage &imagen, int32_t anchoPx, int32_t altoPx, QWidget *propietario, const QString &documento,
               const PeticionImpresion &p, const QString &perfilOrigen, QString &error);

// The notices of a print sent, sizes with one decimal in the user's locale
// (Spanish only, as the program has always shown them):
//   "Carta enviada a la impresora." CR LF "Tamano impreso: 19.0 x 19.2 cm  (200 ppp)" CR LF "Posicion: centrada"
//   "Imagen enviada a la impresora." CR LF "Tamaño: 19.0 x 12.7 cm" CR LF "Posición: con margen manual"
QString TextoCartaEnviada(double anchoCm, double altoCm, int ppp, bool centrado);
QString TextoImagenEnviada(double anchoCm, double altoCm, bool centrado);

// The outcome of a request: 0 shows nothing; -1 the error (critical);
// anything else the notice (information, titled "Imprimir").
void Informar(int32_t resultado, const QString &error, const QString &aviso, QWidget *propietario);

// The print error's critical box: "Error al imprimir: " / "Print error: "
// and the reason, titled "Imprimir" / "Print".
void InformarError(const QString &motivo, QWidget *propietario);

} // namespace EnvioImpresion
