#pragma once
// The print request as one value: what both print commands (the chart and
// the curve editor) hand to the print engine (modImpresion::Imprimir), and
// the one way they ask the user for the choices in it. The print set-up
// dialog is made for that call, shown modally over the main window, read
// and unloaded.
//
//   PeticionImpresion p;
//   if (!PedirConfiguracionImpresion(this, 19.0, alto / ancho, perfil, &imagen, p)) return;
//   p.imagen = &imagen; p.anchoPx = ...; p.nombreDocumento = ...;
//   const modImpresion::ResultadoImpresion r = modImpresion::Imprimir(p);

#include <QImage>
#include <QString>
#include <cstdint>

class QWidget;

struct PeticionImpresion {
    // The picture (the caller keeps it), of which the top-left anchoPx x
    // altoPx pixels are printed; the owner window is not used.
    const QImage *imagen = nullptr;
    int32_t anchoPx = 0;
    int32_t altoPx = 0;
    QWidget *propietario = nullptr;
    QString nombreDocumento{}; // the job's title
    // From the set-up dialog.
    QString impresora{};
    int copias = 1;
    double anchoCm = 0;
    double altoCm = 0; // the width times the caller's height/width ratio
    bool centrado = true;
    double xCm = 0; // left margin, or the picture's X in manual placement
    double yCm = 0; // top margin, or the picture's Y in manual placement
    int modoColor = 0; // 0 the printer manages colours, 1 the program converts, 2 none
    QString perfilOrigen{}; // the picture's ICC profile file, "" for sRGB
    QString perfilImpresora{};
    int indiceIntento = 0; // 0 relative, 1 perceptual, 2 saturation, 3 absolute colorimetric
    bool compensarPuntoNegro = false;
};

// Shows the print set-up for a picture anchoCm wide with the given
// height/width ratio, its colour profile name ("" when it has none) and the
// picture for the preview (nullptr: a grey ramp). The owner's top-level
// window owns the dialog (the main window when owner is nullptr). Returns
// true and fills the dialog's part of out only when the user pressed Print
// with a printer named.
bool PedirConfiguracionImpresion(QWidget *owner, double anchoCm, double relacion, const QString &perfilDocumento,
                                 const QImage *imagen, PeticionImpresion &out);
