// Mouse editing of the current channel's points. Coordinates: x the input
// level, y = 255 - output level; anything outside 0..255 is clamped where a
// point is stored. Arithmetic is 64-bit so no coordinate can overflow.

#include "curves/curvas.h"
#include "curves/internos.h"
#include "platform/numbers.h"

#include <algorithm>
#include <cstdlib>

namespace modEngine {

namespace {
inline int16_t Byte16(int64_t v) { return Numeros::LimitarByte(v); }
} // namespace

int16_t BuscarPuntoCercano(int32_t x, int32_t y)
{
    const int ch = CanalActual;
    if (!CanalValido(ch)) return -1;
    const int n = Cuenta(ch);
    int64_t mejor = 144; // hit radius 12, squared; exactly 12 away is a miss
    int16_t hallado = -1;
    for (int k = 0; k < n; ++k) {
        const int64_t dx = int64_t{PuntoX[ch][k]} - x;
        const int64_t dy = (255 - int64_t{PuntoY[ch][k]}) - y;
        if (dx <= -12 || dx >= 12 || dy <= -12 || dy >= 12) continue; // out of reach
        const int64_t d = dx * dx + dy * dy;
        if (d < mejor) {
            mejor = d;
            hallado = static_cast<int16_t>(k);
        }
    }
    return hallado;
}

void CurvaMouseDown(int32_t x, int32_t y)
{
    const int16_t ch = CanalActual;
    if (!CanalValido(ch)) return;
    PuntoSel = BuscarPuntoCercano(x, y);
    const int n = Cuenta(ch);
    if (PuntoSel < 0 && n < MaxPuntos) {
        const int16_t X = Byte16(x);
        const int16_t Y = Byte16(255 - int64_t{y});
        PuntoX[ch][n] = X;
        PuntoY[ch][n] = Y;
        NumPuntos[ch] = static_cast<int16_t>(n + 1);
        OrdenarPuntos(ch);
        // Select the first point nearest in X: an existing point with the
        // same X wins over the new one.
        int mejor = 1 << 30;
        PuntoSel = static_cast<int16_t>(n);
        for (int k = 0; k <= n; ++k) {
            const int d = std::abs(PuntoX[ch][k] - X);
            if (d < mejor) {
                mejor = d;
                PuntoSel = static_cast<int16_t>(k);
            }
        }
    }
    Arrastrando = true;
    RegenerarCurvaActual();
}

void CurvaMouseMove(int32_t x, int32_t y)
{
    const int16_t ch = CanalActual;
    if (!Arrastrando || PuntoSel < 0 || !CanalValido(ch)) return;
    const int s = PuntoSel;
    const int n = Cuenta(ch);
    if (s >= n) return; // a stale selection beyond the count moves nothing
    int X = Byte16(x);
    const int16_t Y = Byte16(255 - int64_t{y});
    const int16_t *px = PuntoX[ch];

    if (s == 0) {
        const int tope = n > 1 ? std::max(px[1] - 1, 0) : 255;
        X = std::min(X, tope);
    } else if (s == n - 1) {
        const int piso = std::min(px[s - 1] + 1, 255);
        X = std::max(X, piso);
    } else {
        int lo = px[s - 1] + 1;
        const int hi = px[s + 1] - 1;
        if (lo > hi) lo = hi;
        X = std::max(X, lo);
        X = std::min(X, hi);
    }
    // Neighbours crowded at a border could push the limit out of range.
    X = std::clamp(X, 0, 255);
    PuntoX[ch][s] = static_cast<int16_t>(X);
    PuntoY[ch][s] = Y;
    RegenerarCurvaActual();
}

void CurvaMouseUp()
{
    Arrastrando = false;
    OrdenarPuntos(CanalActual);
    RegenerarCurvaActual();
}

void BorrarPuntoCercano(int32_t x, int32_t y)
{
    const int16_t ch = CanalActual;
    if (!CanalValido(ch)) return;
    const int n = Cuenta(ch);
    if (n < 3) return;
    const int k = BuscarPuntoCercano(x, y);
    if (k < 1 || k >= n - 1) return; // no hit, or an end point
    for (int j = k; j < n - 1; ++j) {
        PuntoX[ch][j] = PuntoX[ch][j + 1];
        PuntoY[ch][j] = PuntoY[ch][j + 1];
    }
    NumPuntos[ch] = static_cast<int16_t>(n - 1);
    PuntoSel = -1;
    RegenerarCurvaActual();
}

} // namespace modEngine
