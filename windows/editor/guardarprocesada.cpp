// The editor's Save: the save-options dialog, then the sample at full
// resolution with the curve (and the inversion and flip) applied, written
// exactly as the dialog asked.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "imaging/guardar.h"
#include "imaging/modimage.h"
#include "output/frmguardaropciones.h"
#include "platform/msgbox.h"
#include "platform/progress.h"

void frmEditarAplicarCurva::cmdGuardarImagenCurva_Click()
{
    if (GuardaOcupado::Activo()) return;
    if (!modImage::HayMuestra) {
        MsgBox::Mostrar(QStringLiteral("No hay imagen de muestra cargada."), MsgBox::Information,
                        QStringLiteral("ZOLV Halvora"), this);
        return;
    }

    // The dialog stays loaded and hidden afterwards: it keeps its choices.
    frmGuardarOpciones &dlg = frmGuardarOpciones::Instancia();
    dlg.Init(modImage::RutaMuestra, this);
    dlg.ShowDialog();
    if (!dlg.Aceptado()) return;
    const QString ruta = dlg.RutaDestino();

    SincronizarOpcionesInversion();
    MostrarProgreso(QStringLiteral("Aplicando curva a imagen completa..."));
    // The save reports its own failures.
    const bool ok = modImage::GuardarImagenProcesada(ruta, dlg.FifDestino(), dlg.saveFlag());
    CerrarProgreso();
    if (ok)
        MsgBox::Mostrar(QStringLiteral("Imagen guardada correctamente:\r\n") + ruta, MsgBox::Information,
                        QStringLiteral("Guardar imagen"), this);
}
