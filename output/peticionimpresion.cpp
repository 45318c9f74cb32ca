#include "output/peticionimpresion.h"

#include "app/mdiform1.h"
#include "output/configimpresion.h"
#include "output/frmconfigimpresion.h"
#include "output/impresion.h"

#include <QPointer>

bool PedirConfiguracionImpresion(QWidget *owner, double anchoCm, double relacion, const QString &perfilDocumento,
                                 const QImage *imagen, PeticionImpresion &out)
{
    QWidget *duenio = owner ? owner->window() : MDIForm1::Instancia();
    QPointer<frmConfigImpresion> d = new frmConfigImpresion(duenio);
    d->Inicializar(anchoCm, relacion);
    d->PerfilDocumentoEntrada = perfilDocumento;
    if (imagen) d->Imagen = *imagen;
    d->Mostrar();
    // The owner may have gone while the dialog was open.
    if (!d) return false;
    const bool aceptado = d->Aceptado;
    if (aceptado) {
        // The height goes through inches and back, as both callers always did.
        using modImpresion::kPulgadasPorCm;
        out.impresora = d->Impresora;
        out.copias = d->Copias;
        out.anchoCm = d->AnchoCm;
        out.altoCm = d->AnchoCm * kPulgadasPorCm * relacion / kPulgadasPorCm;
        out.centrado = d->Centrado;
        out.xCm = d->MargenIzq;
        out.yCm = d->MargenArr;
        out.modoColor = d->GestionColor;
        out.perfilImpresora = d->PerfilImpresora;
        out.indiceIntento = ConfigImpresion::IndiceIntento(d->RenderingIntent);
        out.compensarPuntoNegro = d->CompensacionPuntoNegro;
    }
    delete d.data();
    return aceptado;
}
