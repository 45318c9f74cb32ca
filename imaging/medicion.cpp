#include "imaging/medicion.h"

#include "imaging/modimage.h"

#include <algorithm>

namespace modImage {

namespace {
// Clips the rectangle to the scan; false with the sentinels set when there is
// no scan or nothing left.
bool Recortar(int32_t &x1, int32_t &y1, int32_t &x2, int32_t &y2, double &r, double &g, double &b,
              double &resultado)
{
    r = g = b = 128;
    if (!HayEscaneo || AnchoEscaneo < 1 || AltoEscaneo < 1 ||
        static_cast<int64_t>(PixelesEscaneo.size()) < int64_t(PasoEscaneo) * AltoEscaneo) {
        resultado = 128;
        return false;
    }
    if (x1 < 0) x1 = 0;
    if (y1 < 0) y1 = 0;
    if (x2 >= AnchoEscaneo) x2 = AnchoEscaneo - 1;
    if (y2 >= AltoEscaneo) y2 = AltoEscaneo - 1;
    if (x1 > x2 || y1 > y2) {
        resultado = -1;
        return false;
    }
    return true;
}

inline const uint8_t *Fila(int32_t y, int32_t x1)
{
    return PixelesEscaneo.data() + int64_t(AltoEscaneo - 1 - y) * PasoEscaneo + 3 * int64_t(x1);
}
} // namespace

double MediaRectangulo(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double &rojo, double &verde,
                       double &azul)
{
    double resultado;
    if (!Recortar(x1, y1, x2, y2, rojo, verde, azul, resultado)) return resultado;
    const int64_t n = (int64_t(x2) - x1 + 1) * (int64_t(y2) - y1 + 1);
    uint64_t sb = 0, sg = 0, sr = 0;
    const int64_t cuenta = int64_t(x2) - x1 + 1;
    for (int32_t y = y1; y <= y2; ++y) {
        const uint8_t *p = Fila(y, x1);
        for (int64_t i = 0; i < cuenta; ++i, p += 3) {
            sb += p[0];
            sg += p[1];
            sr += p[2];
        }
    }
    rojo = double(sr) / double(n);
    verde = double(sg) / double(n);
    azul = double(sb) / double(n);
    return (rojo + verde + azul) / 3;
}

int32_t ValorEnRangoHistograma(const Histograma &h, int64_t k)
{
    if (k < 1) k = 1;
    int64_t total = 0;
    for (int v = 0; v < 256; ++v) {
        total += h[v];
        if (total >= k) return v;
    }
    return 255;
}

double MedianaHistograma(const Histograma &h, int64_t n)
{
    if (n < 1) return 128;
    if (n % 2 == 1) return ValorEnRangoHistograma(h, (n + 1) / 2);
    return (double(ValorEnRangoHistograma(h, n / 2)) + double(ValorEnRangoHistograma(h, n / 2 + 1))) / 2;
}

double MediaRecortadaHistograma(const Histograma &h, int64_t n, double fraccion)
{
    if (n <= 0) return 128;
    const int64_t k = static_cast<int64_t>(double(n) * fraccion); // truncated toward zero
    int64_t lo = k + 1, hi = n - k;
    if (hi < lo) {
        lo = 1;
        hi = n;
    }
    double suma = 0;
    int64_t guardados = 0, total = 0;
    for (int v = 0; v < 256; ++v) {
        const int64_t c = h[v];
        if (c <= 0) continue;
        const int64_t desde = total + 1, hasta = total + c;
        total = hasta;
        const int64_t a = std::max(desde, lo), b = std::min(hasta, hi);
        if (b >= a) {
            suma += double(b - a + 1) * v;
            guardados += b - a + 1;
        }
    }
    if (guardados > 0) return suma / double(guardados);
    return MedianaHistograma(h, n);
}

double MedirParche(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double &rojo, double &verde,
                   double &azul, int16_t metodo)
{
    if (metodo == 0) return MediaRectangulo(x1, y1, x2, y2, rojo, verde, azul);
    double resultado;
    if (!Recortar(x1, y1, x2, y2, rojo, verde, azul, resultado)) return resultado;
    Histograma hr = {}, hg = {}, hb = {};
    for (int32_t y = y1; y <= y2; ++y) {
        const uint8_t *p = Fila(y, x1);
        for (int32_t x = x1; x <= x2; ++x, p += 3) {
            ++hb[p[0]];
            ++hg[p[1]];
            ++hr[p[2]];
        }
    }
    const int64_t n = (int64_t(x2) - x1 + 1) * (int64_t(y2) - y1 + 1);
    if (metodo == 2) {
        rojo = MediaRecortadaHistograma(hr, n, 0.1);
        verde = MediaRecortadaHistograma(hg, n, 0.1);
        azul = MediaRecortadaHistograma(hb, n, 0.1);
    } else {
        rojo = MedianaHistograma(hr, n);
        verde = MedianaHistograma(hg, n);
        azul = MedianaHistograma(hb, n);
    }
    return (rojo + verde + azul) / 3;
}

} // namespace modImage
