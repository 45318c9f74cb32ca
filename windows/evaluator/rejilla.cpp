#include "windows/evaluator/rejilla.h"

#include "platform/numbers.h"

namespace Evaluador {

using Numeros::CLng;

void Rejilla::Reiniciar()
{
    MargenIzquierdo = MargenIzquierdoDefecto;
    MargenDerecho = MargenDerechoDefecto;
    MargenSuperior = MargenSuperiorDefecto;
    MargenInferior = MargenInferiorDefecto;
    DesfaseX = 0;
    DesfaseY = 0;
}

GeometriaRejilla CalcularGeometriaRejilla(const Rejilla &r, int32_t W, int32_t H)
{
    GeometriaRejilla g;
    g.x0 = CLng(W * r.MargenIzquierdo);
    g.x1 = CLng((1 - r.MargenDerecho) * W);
    g.y0 = CLng(H * r.MargenSuperior);
    g.y1 = CLng((1 - r.MargenInferior) * H);
    g.gw = g.x1 - g.x0;
    g.gh = g.y1 - g.y0;
    return g;
}

Punto CentroMuestra(const Rejilla &r, const GeometriaRejilla &g, int32_t W, int32_t H, int k)
{
    if (k >= 100) {
        return {CLng(g.gw * 0.6 / 10 + g.x0 + W * r.DesfaseX),
                CLng(g.gh * 10.6 / 11 + g.y0 + H * r.DesfaseY)};
    }
    const int fila = k / 10, col = k % 10;
    return {CLng((col + 0.6) * g.gw / 10 + g.x0 + W * r.DesfaseX),
            CLng((fila + 0.6) * g.gh / 11 + g.y0 + H * r.DesfaseY)};
}

int32_t CajaX(const Vista &v, int32_t W, double x)
{
    const double rx = static_cast<double>(v.dw) / W;
    return CLng(x * rx) + v.dx;
}

int32_t CajaY(const Vista &v, int32_t H, double y)
{
    const double ry = static_cast<double>(v.dh) / H;
    return CLng(y * ry) + v.dy;
}

Segmento LineaVertical(const GeometriaRejilla &g, const Vista &v, int32_t W, int32_t H, int i)
{
    const int32_t x = CajaX(v, W, static_cast<double>(g.gw) * i / 10 + g.x0);
    return {x, CajaY(v, H, g.y0), x, CajaY(v, H, g.y1)};
}

Segmento LineaHorizontal(const GeometriaRejilla &g, const Vista &v, int32_t W, int32_t H, int i)
{
    const int32_t y = CajaY(v, H, static_cast<double>(i) * g.gh / 11 + g.y0);
    return {CajaX(v, W, g.x0), y, CajaX(v, W, g.x1), y};
}

Punto MitadLadoEnEscaneo(int32_t mitadLado, const Vista &v, int32_t W, int32_t H)
{
    if (v.Vacia() || W < 1 || H < 1) return {0, 0};
    const double rx = static_cast<double>(v.dw) / W;
    const double ry = static_cast<double>(v.dh) / H;
    return {CLng(mitadLado / rx), CLng(mitadLado / ry)};
}

bool MoverRejilla(Rejilla &r, int tecla)
{
    switch (tecla) {
    case TeclaIzquierda: r.DesfaseX -= PasoRejilla; return true;
    case TeclaDerecha: r.DesfaseX += PasoRejilla; return true;
    case TeclaArriba: r.DesfaseY -= PasoRejilla; return true;
    case TeclaAbajo: r.DesfaseY += PasoRejilla; return true;
    case TeclaInicio: r.Reiniciar(); return true;
    default: return false;
    }
}

bool AjustarMargenes(Rejilla &r, double dH, double dV)
{
    const double L = r.MargenIzquierdo + dH;
    const double R = r.MargenDerecho - dH;
    const double T = r.MargenSuperior + dV;
    const double B = r.MargenInferior - dV;
    if (L < 0 || R < 0 || T < 0 || B < 0) return false;
    if (R + L > 0.95 || B + T > 0.95) return false;
    r.MargenIzquierdo = L;
    r.MargenDerecho = R;
    r.MargenSuperior = T;
    r.MargenInferior = B;
    return true;
}

bool Agrandar(Rejilla &r)
{
    if (r.MitadLadoMuestra >= MitadLadoMaxima) return false;
    ++r.MitadLadoMuestra;
    return true;
}

bool Reducir(Rejilla &r)
{
    if (r.MitadLadoMuestra <= MitadLadoMinima) return false;
    --r.MitadLadoMuestra;
    return true;
}

void Arrastre::Empezar(double x, double y)
{
    ArrastrandoRejilla = true;
    UltimoRatonX = CLng(x);
    UltimoRatonY = CLng(y);
}

bool Arrastre::Mover(Rejilla &r, double x, double y, const Vista &v)
{
    if (!ArrastrandoRejilla) return false;
    const int32_t mx = CLng(x), my = CLng(y);
    if (mx == UltimoRatonX && my == UltimoRatonY) return false;
    if (v.Vacia()) return false;
    // Both differences come from the previous position before it moves on.
    r.DesfaseX += static_cast<double>(mx - UltimoRatonX) / v.dw;
    r.DesfaseY += static_cast<double>(my - UltimoRatonY) / v.dh;
    UltimoRatonX = mx;
    UltimoRatonY = my;
    return true;
}

} // namespace Evaluador
