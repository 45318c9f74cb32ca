#include "support/estado.h"

#include "curves/curvas.h"
#include "imaging/cargar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"

#include <cstring>

void ReiniciarEstadoProceso()
{
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
