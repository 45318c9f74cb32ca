#pragma once
// The one way both print commands (the chart and the curve editor) ask the
// user how to print: the print set-up dialog is made for this call, shown
// modally over the main window, read and unloaded.
//
//   PeticionImpresion p;
//   if (!PedirConfiguracionImpresion(this, 19.0, alto / ancho, perfil, &imagen, p)) return;
//   ... render, then print with p's values ...

#include <QImage>
#include <QString>

class QWidget;

// The dialog's answer, as the print request takes it.
struct PeticionImpresion {
    QString impresora;
    int copias = 1;
    double anchoCm = 0;
    double altoCm = 0; // the width times the caller's height/width ratio
    bool centrado = true;
    double xCm = 0; // left margin, or the picture's X in manual placement
    double yCm = 0; // top margin, or the picture's Y in manual placement
    int modoColor = 0;
    QString perfilImpresora;
    int indiceIntento = 0; // 0 relative, 1 perceptual, 2 saturation, 3 absolute colorimetric
    bool compensarPuntoNegro = false;
};

// Shows the print set-up for a picture anchoCm wide with the given
// height/width ratio, its colour profile name ("" when it has none) and the
// picture for the preview (nullptr: a grey ramp). The owner's top-level
// window owns the dialog (the main window when owner is nullptr). Returns
// true and fills out only when the user pressed Print with a printer named.
bool PedirConfiguracionImpresion(QWidget *owner, double anchoCm, double relacion, const QString &perfilDocumento,
                                 const QImage *imagen, PeticionImpresion &out);
