#include "curves/curvas.h"

#include "curves/deshacer.h"
#include "curves/internos.h"
#include "curves/traspaso.h"
#include "platform/numbers.h"

#include <cstring>
#include <utility>

namespace modEngine {

#define DEFINIR(nombre, resto) int16_t nombre[NumCanales] resto;
MODENGINE_ARRAYS_CURVA(DEFINIR)
#undef DEFINIR

int16_t ModoInterpolacion = 0;
int16_t CanalActual = 0;
int16_t PuntoSel = -1;
bool Arrastrando = false;
bool CurvasIniciadas = false;

namespace {

void Identidad(uint8_t tabla[256])
{
    for (int i = 0; i < 256; ++i) tabla[i] = static_cast<uint8_t>(i);
}

} // namespace

void PuntosYNivelesIniciales()
{
    for (int ch = 0; ch < NumCanales; ++ch) {
        NumPuntos[ch] = 2;
        PuntoX[ch][0] = 0;
        PuntoY[ch][0] = 0;
        PuntoX[ch][1] = 255;
        PuntoY[ch][1] = 255;
        EntradaNegro[ch] = 0;
        EntradaBlanco[ch] = 255;
        SalidaNegro[ch] = 0;
        SalidaBlanco[ch] = 255;
    }
}

void ReiniciarCurvas()
{
    ModoInterpolacion = 0;
    PuntosYNivelesIniciales();
    Identidad(LutR);
    Identidad(LutG);
    Identidad(LutB);
    CanalActual = 0;
    PuntoSel = -1;
    Arrastrando = false;
    VersionCurva = 0;
    CurvasIniciadas = true;
    LimpiarDeshacer();
    // A generated curve cannot be taken back past a reset.
    CerrarTraspaso();
}

void AsegurarCurvasIniciadas()
{
    if (!CurvasIniciadas) ReiniciarCurvas();
}

uint8_t LimitarByte(int32_t valor) { return Numeros::LimitarByte(int64_t{valor}); }

void OrdenarPares(int16_t *x, int16_t *y, int n, int16_t *sel)
{
    // Bubble sort: stable, and the selection follows its point.
    for (int p = 0; p <= n - 2; ++p) {
        for (int j = 0; j <= n - 2 - p; ++j) {
            if (x[j + 1] < x[j]) {
                std::swap(x[j], x[j + 1]);
                std::swap(y[j], y[j + 1]);
                if (!sel) continue;
                if (*sel == j)
                    *sel = static_cast<int16_t>(j + 1);
                else if (*sel == j + 1)
                    *sel = static_cast<int16_t>(j);
            }
        }
    }
}

void OrdenarPuntos(int16_t canal)
{
    if (!CanalValido(canal)) return;
    OrdenarPares(PuntoX[canal], PuntoY[canal], Cuenta(canal), &PuntoSel);
}

void ConstruirLUTCanal(int16_t canal, uint8_t tabla[256])
{
    if (CanalValido(canal)) Interpolar(PuntoX[canal], PuntoY[canal], Cuenta(canal), tabla);
}

void AplicarNivelesLUT(int16_t canal, uint8_t tabla[256])
{
    if (!CanalValido(canal)) return;
    uint8_t c[256];
    std::memcpy(c, tabla, sizeof c);
    const double inN = EntradaNegro[canal];
    const double inB = EntradaBlanco[canal];
    const double outN = SalidaNegro[canal];
    const double outB = SalidaBlanco[canal];
    double rangoEntrada = inB - inN;
    if (rangoEntrada < 1) rangoEntrada = 1;
    const double rangoSalida = outB - outN;
    for (int i = 0; i < 256; ++i) {
        double idx = Numeros::Redondear((i - inN) * 255 / rangoEntrada);
        if (idx < 0) idx = 0;
        if (idx > 255) idx = 255;
        const double v = c[static_cast<int>(idx)] * rangoSalida / 255 + outN;
        tabla[i] = Numeros::LimitarByte(v);
    }
}

void RegenerarCurvaActual()
{
    const int16_t ch = CanalActual;
    if (!CanalValido(ch)) return;
    OrdenarPuntos(ch);
    uint8_t tabla[256];
    ConstruirLUTCanal(ch, tabla);
    AplicarNivelesLUT(ch, tabla);
    if (ch == 0 || ch == 1) std::memcpy(LutR, tabla, 256);
    if (ch == 0 || ch == 2) std::memcpy(LutG, tabla, 256);
    if (ch == 0 || ch == 3) std::memcpy(LutB, tabla, 256);
    ++VersionCurva;
}

void FijarNivel(int16_t canal, int16_t cual, int16_t valor)
{
    if (!CanalValido(canal)) return;
    switch (cual) {
    case 0: EntradaNegro[canal] = valor; break;
    case 1: EntradaBlanco[canal] = valor; break;
    case 2: SalidaNegro[canal] = valor; break;
    case 3: SalidaBlanco[canal] = valor; break;
    default: break;
    }
    if (canal == CanalActual) RegenerarCurvaActual();
}

void ComponerLUTs()
{
    const int16_t recordado = CanalActual;
    uint8_t m[256];
    CanalActual = 0;
    RegenerarCurvaActual();
    std::memcpy(m, LutR, 256);

    uint8_t *tablas[4] = {nullptr, LutR, LutG, LutB};
    for (int16_t ch = 1; ch <= 3; ++ch) {
        CanalActual = ch;
        RegenerarCurvaActual();
        uint8_t c[256];
        std::memcpy(c, tablas[ch], 256);
        for (int i = 0; i < 256; ++i) tablas[ch][i] = c[m[i]];
    }
    CanalActual = recordado;
    ++VersionCurva;
}

void TablaCanal(int16_t canal, uint8_t tabla[256])
{
    Identidad(tabla);
    if (!CanalValido(canal)) return;
    // A sorted copy: the rebuild's order, without moving the state's points.
    int16_t x[MaxPuntos], y[MaxPuntos];
    const int n = Cuenta(canal);
    std::memcpy(x, PuntoX[canal], sizeof x);
    std::memcpy(y, PuntoY[canal], sizeof y);
    OrdenarPares(x, y, n, nullptr);
    Interpolar(x, y, n, tabla);
    AplicarNivelesLUT(canal, tabla);
}

void CurvaCompuesta(uint8_t lutR[256], uint8_t lutG[256], uint8_t lutB[256])
{
    uint8_t m[256], c[256];
    TablaCanal(0, m);
    uint8_t *salida[4] = {nullptr, lutR, lutG, lutB};
    for (int16_t ch = 1; ch <= 3; ++ch) {
        TablaCanal(ch, c);
        for (int i = 0; i < 256; ++i) salida[ch][i] = c[m[i]];
    }
}

} // namespace modEngine
