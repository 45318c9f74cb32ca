#include "windows/editor/lienzo.h"

#include "curves/curvas.h"
#include "imaging/histograma.h"
#include "platform/colorref.h"
#include "platform/numbers.h"
#include "platform/picturebox.h"

#include <algorithm>

using Numeros::CLng;

namespace LienzoCurva {

namespace {

double Limitar255(double v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
int32_t Limitar255(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

bool CanalValido(int32_t c) { return c >= 0 && c < modEngine::NumCanales; }

} // namespace

int32_t XDeValor(double v, int32_t ancho) { return CLng(v / 255.0 * (ancho - 2 * Margen)) + Margen; }

int32_t YDeValor(double v, int32_t alto) { return (alto - Margen) - CLng(v / 255.0 * (alto - 2 * Margen)); }

uint32_t ColorCanal(int32_t canal)
{
    switch (canal) {
    case 1: return 0x6060FF;
    case 2: return 0x60C060;
    case 3: return 0xC06060;
    default: return Blanco;
    }
}

int32_t PixelACurvaX(int32_t px, int32_t ancho, int32_t negro, int32_t blanco)
{
    const double t = Limitar255(static_cast<double>(px - Margen) * 255.0 / (ancho - 2 * Margen));
    int32_t rango = blanco - negro;
    if (rango < 1) rango = 1;
    return Limitar255(CLng((t - negro) * 255.0 / rango));
}

int32_t PixelACurvaY(int32_t py, int32_t alto, int32_t negro, int32_t blanco)
{
    const double t = Limitar255(static_cast<double>((alto - Margen) - py) * 255.0 / (alto - 2 * Margen));
    const int32_t rango = blanco - negro;
    // Equal output levels: no level mapping at all.
    const double v = rango >= 1 ? (t - negro) * 255.0 / rango : t;
    return 255 - Limitar255(CLng(v));
}

int32_t PixelACurvaX(int32_t px, int32_t ancho)
{
    const int32_t c = modEngine::CanalActual;
    if (!CanalValido(c)) return PixelACurvaX(px, ancho, 0, 255);
    return PixelACurvaX(px, ancho, modEngine::EntradaNegro[c], modEngine::EntradaBlanco[c]);
}

int32_t PixelACurvaY(int32_t py, int32_t alto)
{
    const int32_t c = modEngine::CanalActual;
    if (!CanalValido(c)) return PixelACurvaY(py, alto, 0, 255);
    return PixelACurvaY(py, alto, modEngine::SalidaNegro[c], modEngine::SalidaBlanco[c]);
}

void CentroPunto(int32_t k, int32_t ancho, int32_t alto, int32_t &x, int32_t &y)
{
    using namespace modEngine;
    const int32_t c = CanalActual;
    x = y = 0;
    if (!CanalValido(c) || k < 0 || k >= MaxPuntos) return;
    int32_t rangoEntrada = EntradaBlanco[c] - EntradaNegro[c];
    if (rangoEntrada < 1) rangoEntrada = 1;
    const int32_t rangoSalida = SalidaBlanco[c] - SalidaNegro[c];
    const double xs = Limitar255(static_cast<double>(PuntoX[c][k]) * rangoEntrada / 255.0 + EntradaNegro[c]);
    const double ys = Limitar255(static_cast<double>(PuntoY[c][k]) * rangoSalida / 255.0 + SalidaNegro[c]);
    x = XDeValor(xs, ancho);
    y = YDeValor(ys, alto);
}

void DibujarCurva(Superficie &s, const int32_t *histFondo)
{
    using namespace modEngine;
    const int32_t w = CLng(s.ScaleWidth());
    const int32_t h = CLng(s.ScaleHeight());
    s.BackColor = ColorFondo;
    s.Cls();
    if (w < 1 || h < 1) return;

    s.DrawWidth = 1;
    if (histFondo) {
        int32_t pico = 1;
        for (int i = 0; i < 256; ++i) pico = std::max(pico, histFondo[i]);
        for (int i = 0; i < 256; ++i) {
            const int32_t x = XDeValor(i, w);
            const int32_t barra = CLng(static_cast<double>(histFondo[i]) / pico * (h - 2 * Margen));
            if (barra > 0) s.Line(x, h - Margen, x, h - Margen - barra, ColorBarras);
        }
    }

    for (int q = 1; q <= 3; ++q) {
        const int32_t gx = CLng(q / 4.0 * (w - 2 * Margen)) + Margen;
        const int32_t gy = CLng(q / 4.0 * (h - 2 * Margen)) + Margen;
        s.Line(gx, Margen, gx, h - Margen, ColorRejilla);
        s.Line(Margen, gy, w - Margen, gy, ColorRejilla);
    }
    s.Line(Margen, h - Margen, w - Margen, Margen, ColorDiagonal);

    // The channel's own curve: after a composition the tables hold the
    // master curve through the colour curves, which no longer passes through
    // the master's points.
    const int32_t c = CanalActual;
    uint8_t tabla[256];
    TablaCanal(static_cast<int16_t>(c), tabla);
    const uint32_t color = ColorCanal(c);
    s.DrawWidth = 2;
    int32_t xa = XDeValor(0, w), ya = YDeValor(tabla[0], h);
    for (int i = 1; i < 256; ++i) {
        const int32_t x = XDeValor(i, w), y = YDeValor(tabla[i], h);
        s.Line(xa, ya, x, y, color);
        xa = x;
        ya = y;
    }

    if (!CanalValido(c)) return;
    s.DrawWidth = 1;
    const int32_t n = std::min<int32_t>(NumPuntos[c], MaxPuntos);
    for (int32_t k = 0; k < n; ++k) {
        int32_t x = 0, y = 0;
        CentroPunto(k, w, h, x, y);
        if (k == PuntoSel) s.Circle(x, y, 5, Blanco);
        else s.Circle(x, y, 4, color);
    }
}

int32_t PosicionAsa(int32_t nivel, int32_t ancho) { return CLng(nivel / 255.0 * (ancho - 1)); }

void DibujarSlider(Superficie &s, int32_t bajo, int32_t alto)
{
    const int32_t w = CLng(s.ScaleWidth());
    const int32_t h = CLng(s.ScaleHeight());
    s.BackColor = ColorFondo;
    s.Cls();
    const int32_t xl = PosicionAsa(bajo, w);
    const int32_t xh = PosicionAsa(alto, w);
    s.LineBoxFill(xl, 0, xh, h, ColorBanda);
    s.ForeColor = 0;
    s.DrawWidth = 1;
    for (int32_t x : {xl, xh}) {
        s.Line(x - 4, h, x + 4, h, Blanco);
        s.Line(x + 4, h, x, 0, Blanco);
        s.Line(x, 0, x - 4, h, Blanco);
    }
}

void DibujarRampa(Superficie &s)
{
    const int32_t w = CLng(s.ScaleWidth());
    const int32_t h = CLng(s.ScaleHeight());
    s.DrawWidth = 1;
    for (int32_t x = 0; x < w; ++x) {
        // One column wide boxes: a 1-pixel box never divides by zero.
        const int16_t g = w > 1 ? Numeros::CInt(static_cast<double>(x) / (w - 1) * 255.0) : 0;
        s.Line(x, 0, x, h, ColorRef::Gris(g));
    }
}

int32_t BinLuma(int32_t r, int32_t g, int32_t b)
{
    return Limitar255(CLng(0.2126 * r + 0.7152 * g + 0.0722 * b));
}

HistogramasSalida CalcularHistogramasSalida(const int32_t (*hist)[256], const uint8_t *lutR,
                                            const uint8_t *lutG, const uint8_t *lutB)
{
    HistogramasSalida o;
    if (!hist) return o;
    for (int i = 0; i < 256; ++i) {
        o.rojo[lutR[i]] += hist[1][i];
        o.verde[lutG[i]] += hist[2][i];
        o.azul[lutB[i]] += hist[3][i];
        o.luma[BinLuma(lutR[i], lutG[i], lutB[i])] += hist[4][i];
    }
    return o;
}

HistogramasSalida CalcularHistogramasSalida(const int32_t (*hist)[256])
{
    uint8_t r[256], g[256], b[256];
    modEngine::CurvaCompuesta(r, g, b);
    return CalcularHistogramasSalida(hist, r, g, b);
}

std::optional<Estadisticas> EstadisticasSalida(int32_t canalHist, const HistogramasSalida &h,
                                               const int32_t (*hist)[256])
{
    static const int32_t ceros[256] = {};
    const int32_t *tabla = ceros;
    switch (canalHist) {
    case 0:
    case 4:
    case 5: tabla = hist ? hist[4] : h.luma; break;
    case 1: tabla = hist ? hist[1] : h.rojo; break;
    case 2: tabla = hist ? hist[2] : h.verde; break;
    case 3: tabla = hist ? hist[3] : h.azul; break;
    default: break;
    }
    int64_t total = 0;
    for (int i = 0; i < 256; ++i) total += tabla[i];
    if (total == 0) return std::nullopt;
    Estadisticas e;
    modHistograma::EstadisticasHistograma(modHistograma::Histograma(tabla, 256),
                                          static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX)), e.media,
                                          e.desviacion, e.mediana);
    return e;
}

bool EsCurvaIdentidad()
{
    uint8_t r[256], g[256], b[256];
    modEngine::CurvaCompuesta(r, g, b);
    for (int i = 0; i < 256; ++i)
        if (r[i] != i || g[i] != i || b[i] != i) return false;
    return true;
}

QString NombreCanal(int32_t canal)
{
    switch (canal) {
    case 0: return QStringLiteral("RGB");
    case 1: return QStringLiteral("Rojo");
    case 2: return QStringLiteral("Verde");
    case 3: return QStringLiteral("Azul");
    default: return QStringLiteral("?");
    }
}

} // namespace LienzoCurva
