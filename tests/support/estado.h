#pragma once
// The process-wide state of the engines back to how the program starts:
// tests that share one process must not see each other's curve or images.

#include "curves/curvas.h"
#include "imaging/cargar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"

#include <cstring>

// Curves uninitialised (the next window load resets them), no scan, no
// sample, no preview, output flags off, the profile copy deleted.
inline void ReiniciarEstadoProceso()
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
