#include "windows/chart/geometria.h"

#include "platform/numbers.h"

#include <algorithm>

namespace CartaGrises {

using Numeros::CLng;

int LeerResolucion(const QString &texto) { return CLng(Numeros::Val(texto)); }

bool ResolucionAceptada(int v) { return v >= kResolucionMin && v <= kResolucionMax; }

bool TextoResolucionAceptado(const QString &texto)
{
    const QString t = texto.trimmed();
    if (t.isEmpty() || t.size() > 4) return false;
    for (QChar c : t)
        if (c < u'0' || c > u'9') return false;
    return ResolucionAceptada(t.toInt());
}

QString RangoResolucion() { return QString::number(kResolucionMin) + QStringLiteral(" - ") + QString::number(kResolucionMax); }

Geometria CalcularGeometria(const QString &texto) { return GeometriaDe(LeerResolucion(texto)); }

Geometria GeometriaDe(int resolucion)
{
    Geometria g;
    int r = resolucion;
    if (r < kResolucionMin) r = kResolucionMin;
    if (r > kResolucionMax) r = kResolucionMax;
    g.Resolucion = r;
    const double s = r / 200.0;
    g.Margen = std::max(1, CLng(s * 6));
    g.MargenSup = std::max(2, CLng(s * 75));
    g.LadoParche = std::max(4, CLng(s * 100));
    g.AnchoEscala = std::max(3, CLng(s * 85));
    g.AnchoDegradado = std::max(2, CLng(s * 50));
    g.AnchoFranja = std::max(1, CLng(s * 20));
    g.XEscala = 2 * g.Margen + 10 * g.LadoParche;
    g.XDegradado = g.XEscala + g.AnchoEscala;
    g.XFranja = g.XDegradado + g.AnchoDegradado;
    g.AnchoPx = g.XFranja + g.AnchoFranja + g.Margen;
    // The quotient first: the order decides the ties.
    g.AltoPx = CLng((g.AnchoPx / 1200.0) * 1210);
    return g;
}

Rect RectParche(const Geometria &g, int k)
{
    const int fila = k / 10, col = k % 10;
    const int A = g.Margen, B = g.MargenSup, C = g.LadoParche;
    return {A + col * C, B + fila * C, A + (col + 1) * C - 1, B + (fila + 1) * C - 1};
}

Rect RectParche100(const Geometria &g)
{
    const int A = g.Margen, B = g.MargenSup, C = g.LadoParche;
    return {A, B + 10 * C, A + C - 1, B + 11 * C - 1};
}

Rect RectInfo(const Geometria &g)
{
    const int A = g.Margen, B = g.MargenSup, C = g.LadoParche;
    return {A + C, B + 10 * C, g.XEscala - 1, g.AltoPx - 1};
}

Rect RectEscalon(const Geometria &g, int i)
{
    const double q = g.LadoParche * 11 / 21.0;
    const int y1 = CLng(i * q + g.MargenSup);
    const int y2 = std::max(y1, CLng((i + 1) * q + g.MargenSup) - 1);
    return {g.XEscala, y1, g.XDegradado - 1, y2};
}

int MitadFranja(const Geometria &g) { return CLng(g.AltoPx / 2.0); }

int GrisParche(int k, bool negativo)
{
    const int v = CLng(255 - k * 255 / 100.0);
    return negativo ? 255 - v : v;
}

int GrisParche100(bool negativo) { return negativo ? 255 : 0; }

int GrisEscalon(int i, bool negativo)
{
    const int v = CLng(255 - i * 255 / 20.0);
    return negativo ? 255 - v : v;
}

int GrisDegradado(int y, int alto, bool negativo)
{
    const int v = CLng(255 - (static_cast<double>(y) / alto) * 255);
    return negativo ? 255 - v : v;
}

Ajuste AjustarVista(int vw, int vh, const Geometria &g)
{
    Ajuste a;
    if (vw <= 0 || vh <= 0 || g.AnchoPx <= 0 || g.AltoPx <= 0) return a;
    const double sy = static_cast<double>(vh) / g.AltoPx;
    const double sx = static_cast<double>(vw) / g.AnchoPx;
    a.escala = sx < sy ? sx : sy;
    a.ancho = CLng(g.AnchoPx * a.escala);
    a.alto = CLng(g.AltoPx * a.escala);
    a.ox = (vw - a.ancho) / 2;
    a.oy = (vh - a.alto) / 2;
    return a;
}

} // namespace CartaGrises
