// The chart's Print: the print set-up (the chart is sRGB by definition), then
// the chart rendered at full size and sent with the user's choices.

#include "windows/chart/frmgenerarcartagrises.h"

#include "app/idioma.h"
#include "output/impresion.h"
#include "output/peticionimpresion.h"
#include "platform/msgbox.h"
#include "platform/progress.h"
#include "windows/envioimpresion.h"

void frmGenerarCartaGrises::ImprimirCarta()
{
    if (!cartaGenerada_) {
        MsgBox::Mostrar(T(QStringLiteral("Primero genera la carta de grises."),
                          QStringLiteral("Generate the grayscale chart first.")),
                        MsgBox::Information, T(QStringLiteral("Imprimir"), QStringLiteral("Print")), this);
        return;
    }
    if (GuardaOcupado::Activo()) return;
    // The chart prints at the resolution the box shows, or not at all.
    if (!ComprobarResolucion()) return;
    // The dialog shows the preview; the full-size render waits for Print.
    const QImage vista = picCartaGris_->S().Imagen();
    PeticionImpresion p;
    if (!PedirConfiguracionImpresion(this, 19.0, static_cast<double>(geo_.AltoPx) / geo_.AnchoPx,
                                     QStringLiteral("sRGB IEC61966-2.1"), &vista, p))
        return;

    const GuardaOcupado ocupado;
    if (!RenderizarBuffer()) {
        EnvioImpresion::InformarError(CartaGrises::TextoSinMemoria(geo_.AnchoPx, geo_.AltoPx), this);
        return;
    }
    // The chart is sRGB: no source profile.
    p.imagen = &picBuffer_.Imagen();
    p.anchoPx = geo_.AnchoPx;
    p.altoPx = geo_.AltoPx;
    p.propietario = this;
    p.nombreDocumento = T(QStringLiteral("Carta de grises"), QStringLiteral("Grayscale chart"));
    EnvioImpresion::Informar(modImpresion::Imprimir(p),
                             EnvioImpresion::TextoCartaEnviada(p.anchoCm, p.altoCm, geo_.Resolucion, p.centrado), this);
}
