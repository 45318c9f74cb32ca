#include "imaging/modimage.h"

namespace modImage {

bool HayEscaneo = false;
int32_t AnchoEscaneo = 0, AltoEscaneo = 0;
int32_t PasoEscaneo = 0;
Bloque PixelesEscaneo;

bool HayMuestra = false;
int32_t AnchoMuestra = 0, AltoMuestra = 0;
int32_t PasoMuestra = 0;
QString RutaMuestra;
Bloque PixelesMuestraOriginal;
Bloque PixelesMuestra;
QString DescPerfilICC, DescPerfilOrigen;
QString RutaICCTemporal;
double DpiMuestraX = 0, DpiMuestraY = 0;

bool InvertirTonos = false;
bool InvertirHorizontal = false;

int32_t HistMuestra[5][256];

} // namespace modImage
