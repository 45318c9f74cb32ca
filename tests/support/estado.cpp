#include "support/estado.h"

#include "curves/curvas.h"
#include "imaging/cargar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"

#include <QApplication>
#include <QDialog>

#include <cstring>

void ReiniciarEstadoProceso()
{
    // Dialogs kept loaded and hidden (the save options) must not start shown.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog *>(w) && w->isVisible()) w->hide();

    modEngine::ReiniciarCurvas();
    modEngine::CurvasIniciadas = false;

    using namespace modImage;
    BorrarPerfilICCTemporal();
    HayEscaneo = HayMuestra = InvertirTonos = InvertirHorizontal = false;
    AnchoEscaneo = AltoEscaneo = PasoEscaneo = AnchoMuestra = AltoMuestra = PasoMuestra = 0;
    PixelesEscaneo.clear(), PixelesMuestra.clear(), PixelesMuestraOriginal.clear(), PixelesVista.clear();
    RutaMuestra.clear(), DescPerfilICC.clear(), DescPerfilOrigen.clear();
    DpiMuestraX = DpiMuestraY = 0;
    AnchoVista = AltoVista = PasoVista = XVista = YVista = VersionVista = 0;
    VistaInvertirTonos = VistaInvertirHorizontal = 0;
    std::memset(HistMuestra, 0, sizeof HistMuestra);
}
