#include "windows/chart/dibujo.h"

#include "app/idioma.h"
#include "platform/colorref.h"
#include "platform/numbers.h"
#include "platform/picturebox.h"

#include <QList>
#include <QTextBoundaryFinder>

namespace CartaGrises {

using Numeros::CLng;

const QString kDireccionInfo = QStringLiteral("https://www.zolv.example/halvora");

namespace {

// The surfaces lay out fonts at 96 pixels per inch whatever the screen, so
// point sizes are worked out at 15 twips per pixel to keep the labels in
// proportion to the patches.
constexpr double kTwipsPorPixel = 15.0;

constexpr uint32_t kNegro = ColorRef::Gris(0);
constexpr uint32_t kBlanco = ColorRef::Gris(255);

uint32_t ColorTexto(int gris) { return gris >= 128 ? kNegro : kBlanco; }

// Text at a top-left corner.
void Escribir(Superficie &s, double x, double y, const QString &t)
{
    s.CurrentX = x;
    s.CurrentY = y;
    s.Print(t);
}

struct Transformador {
    int ox, oy;
    double escala;
    int X(double v) const { return TransformarX(v, ox, escala); }
    int Y(double v) const { return TransformarY(v, oy, escala); }
};

} // namespace

QString RecortarTitulo(const Superficie &s, const QString &texto, double ancho)
{
    if (s.TextWidth(texto) <= ancho) return texto;
    const QString puntos = QStringLiteral("\u2026");
    // Cuts only between whole characters (a pair of UTF-16 units, a letter
    // with its accents): a start ending in half of one measures unlike
    // either neighbour.
    QList<qsizetype> cortes;
    QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, texto);
    for (qsizetype p = f.toNextBoundary(); p > 0 && p < texto.size(); p = f.toNextBoundary()) cortes.append(p);
    // cortes[cabe] fits, cortes[sobra] does not (-1 and the end: known).
    qsizetype cabe = -1, sobra = cortes.size();
    while (sobra - cabe > 1) {
        const qsizetype medio = (cabe + sobra) / 2;
        if (s.TextWidth(texto.left(cortes[medio]) + puntos) <= ancho) cabe = medio;
        else sobra = medio;
    }
    if (cabe < 0 && s.TextWidth(puntos) > ancho) return QString();
    return texto.left(cabe < 0 ? 0 : cortes[cabe]) + puntos;
}

int TransformarX(double v, double offset, double escala) { return CLng(v * escala + offset); }
int TransformarY(double v, double offset, double escala) { return TransformarX(v, offset, escala); }

float PixelesAPuntos(double px) { return static_cast<float>(kTwipsPorPixel * px / 20); }

void DibujarParches(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala)
{
    const Transformador t{ox, oy, escala};
    const int A = g.Margen, B = g.MargenSup, C = g.LadoParche;
    const double cs = C * escala;
    float sA = static_cast<float>(PixelesAPuntos(cs * 0.13) * 1.25 + 1);
    float sB = static_cast<float>(PixelesAPuntos(cs * 0.22) - 1.0);
    if (sA < 3) sA = 3;
    if (sB < 4) sB = 4;

    // Labels: percentage top-left, the inverse value top-right and, where the
    // grey matches a wedge step, the step number bottom-left.
    auto etiquetas = [&](int x1, int y1, int x2, int y2, const QString &pct, int gris, const QString &paso) {
        s.FontSize(sA);
        Escribir(s, x1 + 2, y1 + 2, pct);
        s.FontSize(sB);
        const QString v = QString::number(255 - gris);
        Escribir(s, static_cast<float>(x2 - s.TextWidth(v) - 2), y1 + 2, v);
        if (!paso.isEmpty()) {
            s.FontSize(sA);
            Escribir(s, x1 + 2, y2 - s.TextHeight(paso), paso);
        }
    };

    int k = 0;
    for (int fila = 0; fila <= 9; ++fila) {
        for (int col = 0; col <= 9; ++col) {
            const int x1 = t.X(col * C + A), y1 = t.Y(fila * C + B);
            const int x2 = t.X((col + 1) * C + A) - 1, y2 = t.Y((fila + 1) * C + B) - 1;
            const int gris = GrisParche(k, o.negativo);
            s.LineBoxFill(x1, y1, x2, y2, ColorRef::Gris(gris));
            s.ForeColor = ColorTexto(gris);
            if (o.lineas) {
                s.DrawWidth = 1;
                s.LineBox(x1, y1, x2, y2, ColorRef::Gris(255 - gris));
            }
            if (o.numeros)
                etiquetas(x1, y1, x2, y2, QString::number(k) + u'%', gris,
                          k % 5 == 0 ? QString::number(k / 5 + 1) : QString());
            ++k;
        }
    }

    // The 100 % patch never has an outline.
    const int x1 = t.X(A), y1 = t.Y(10 * C + B), x2 = t.X(A + C) - 1, y2 = t.Y(11 * C + B) - 1;
    const int gris = GrisParche100(o.negativo);
    s.LineBoxFill(x1, y1, x2, y2, ColorRef::Gris(gris));
    s.ForeColor = ColorTexto(gris);
    if (o.numeros) etiquetas(x1, y1, x2, y2, QStringLiteral("100%"), gris, QStringLiteral("21"));
    s.FontSize(sA);
}

void DibujarEscalones(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala)
{
    const Transformador t{ox, oy, escala};
    const double q = g.LadoParche * 11 / 21.0;
    const int x1 = t.X(g.XEscala), x2 = t.X(g.XEscala + g.AnchoEscala) - 1;
    float sz = static_cast<float>(PixelesAPuntos(g.LadoParche * escala * 0.13) * 1.25 + 1);
    if (sz < 3) sz = 3;
    s.FontSize(sz);
    for (int i = 0; i <= 20; ++i) {
        const int y1 = t.Y(i * q + g.MargenSup);
        int y2 = t.Y((i + 1) * q + g.MargenSup) - 1;
        if (y2 < y1) y2 = y1;
        const int gris = GrisEscalon(i, o.negativo);
        s.LineBoxFill(x1, y1, x2, y2, ColorRef::Gris(gris));
        s.ForeColor = ColorTexto(gris);
        if (o.numeros) Escribir(s, x1 + 2, y1 + 2, QString::number(i + 1));
    }
}

void DibujarDegradado(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala)
{
    const Transformador t{ox, oy, escala};
    // The line reaches the strip's column, which is painted afterwards.
    const int x1 = t.X(g.XDegradado), x2 = t.X(g.XDegradado + g.AnchoDegradado);
    // Every chart row, also where several fall on one surface row: the lower
    // one stays.
    for (int y = 0; y < g.AltoPx; ++y) {
        const int ys = t.Y(y);
        s.Line(x1, ys, x2, ys, ColorRef::Gris(GrisDegradado(y, g.AltoPx, o.negativo)));
    }
}

void DibujarFranjaBN(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala)
{
    const Transformador t{ox, oy, escala};
    const int m = t.Y(g.AltoPx / 2.0);
    const int x1 = t.X(g.XFranja) - 2, x2 = t.X(g.XFranja + g.AnchoFranja) - 1;
    const uint32_t arriba = o.negativo ? kNegro : kBlanco;
    const uint32_t abajo = o.negativo ? kBlanco : kNegro;
    // The lower half is drawn second, so the middle row belongs to it.
    s.LineBoxFill(x1, t.Y(0), x2, m, arriba);
    s.LineBoxFill(x1, m, x2, t.Y(g.AltoPx) - 1, abajo);
}

void DibujarMarco(Superficie &s, const Geometria &g, int ox, int oy, double escala)
{
    const Transformador t{ox, oy, escala};
    s.LineBox(t.X(0), t.Y(0), t.X(g.AnchoPx) - 1, t.Y(g.AltoPx) - 1, kNegro);
}

void DibujarTextos(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala)
{
    const Transformador t{ox, oy, escala};
    const int A = g.Margen, B = g.MargenSup, C = g.LadoParche;

    // Title: black on the white top margin in both modes, centred on A + 5C.
    s.ForeColor = kNegro;
    s.FontBold(true);
    s.FontSize(g.Resolucion / 200.0 * 18 * escala);
    const int cx = t.X(A + 10 * C / 2);
    // Centred on the patches, whatever its width; only a title wider than
    // the chart is cut, with an ellipsis, to the chart's width.
    const QString titulo = RecortarTitulo(s, o.titulo, t.X(g.AnchoPx) - t.X(0));
    const int x = static_cast<int>(cx - Numeros::DivEntera(s.TextWidth(titulo), 2));
    Escribir(s, x, t.Y(25), titulo);

    const int bx1 = t.X(A + C), bx2 = t.X(g.XEscala) - 1;
    const int by1 = t.Y(10 * C + B), by2 = t.Y(g.AltoPx) - 1;
    const int bw = bx2 - bx1 + 1, bh = by2 - by1 + 1;
    if (bw < 10 || bh < 6) return;

    const uint32_t fondo = o.negativo ? kNegro : kBlanco;
    const uint32_t texto = o.negativo ? kBlanco : kNegro;
    s.LineBoxFill(bx1, by1, bx2, by2, fondo);

    const QString r = QString::number(g.Resolucion);
    const QString l1es = QStringLiteral("Carta de grises ") + r + QStringLiteral(" ppp");
    const QString l1en = QStringLiteral("Grayscale chart ") + r + QStringLiteral(" dpi");
    const QString l2es = o.negativo ? QStringLiteral("Esta es una imagen en NEGATIVO con texto blanco sobre negro")
                                    : QStringLiteral("Esta es una imagen en POSITIVO con texto negro sobre blanco");
    const QString l2en = o.negativo ? QStringLiteral("This is a NEGATIVE image with white text on black")
                                    : QStringLiteral("This is a POSITIVE image with black text on white");
    const QString l3 = QStringLiteral("Info: ") + kDireccionInfo;
    const QString l1 = T(l1es, l1en), l2 = T(l2es, l2en);

    // The largest size (in half points) at which both languages fit, so the
    // layout does not depend on the language; measured in bold throughout.
    const double p = kTwipsPorPixel / 20;
    float size = static_cast<float>(bh / 3.4 * p);
    if (size < 3) size = 3;
    const float f1 = 0.9f, f2 = 1.2f;
    const double limite = bw - 8;
    bool cabe = false;
    while (size >= 3 && !cabe) {
        cabe = true;
        s.FontSize(size * f1);
        if (s.TextWidth(l1es) > limite || s.TextWidth(l1en) > limite) cabe = false;
        s.FontSize(size * f2);
        if (s.TextWidth(l2es) > limite || s.TextWidth(l2en) > limite) cabe = false;
        s.FontSize(size);
        if (s.TextWidth(l3) > limite) cabe = false;
        if (!cabe) size = size - 0.5f;
    }

    s.FontSize(size * f1);
    const int h1 = CLng(s.TextHeight(l1));
    s.FontSize(size * f2);
    const int h2 = CLng(s.TextHeight(l2));
    s.FontSize(size);
    const int h3 = CLng(s.TextHeight(l3));
    int ty = by1 + (bh - (h1 + h2 + h3)) / 2;
    if (ty < by1) ty = by1;

    s.ForeColor = texto;
    auto centrada = [&](const QString &linea, float puntos, bool negrita, int y) {
        s.FontSize(puntos);
        s.FontBold(negrita);
        Escribir(s, bx1 + CLng(bw - s.TextWidth(linea)) / 2, y, linea);
    };
    centrada(l1, size * f1, false, ty);
    centrada(l2, size * f2, true, ty + h1);
    centrada(l3, size, false, ty + h1 + h2);
    s.ForeColor = kNegro;
}

void DibujarElementos(Superficie &s, const Geometria &g, const Opciones &o, int ox, int oy, double escala)
{
    DibujarParches(s, g, o, ox, oy, escala);
    DibujarEscalones(s, g, o, ox, oy, escala);
    DibujarDegradado(s, g, o, ox, oy, escala);
    DibujarFranjaBN(s, g, o, ox, oy, escala);
    DibujarMarco(s, g, ox, oy, escala);
    DibujarTextos(s, g, o, ox, oy, escala);
}

void DibujarVista(Superficie &s, const Geometria &g, const Opciones &o)
{
    s.BackColor = kBlanco;
    s.Cls();
    const int vw = s.ScaleWidth(), vh = s.ScaleHeight();
    if (vw == 0 || vh == 0) return;
    s.DrawWidth = 1;
    const Ajuste a = AjustarVista(vw, vh, g);
    DibujarElementos(s, g, o, a.ox, a.oy, a.escala);
    s.LineBox(0, 0, vw - 1, vh - 1, kNegro);
}

bool RenderizarCompleta(Superficie &s, const Geometria &g, const Opciones &o)
{
    s.BackColor = kBlanco;
    // Held at 24 bits in the image library's byte order: the file is written
    // from this memory, with no second copy (150 MB at 1200 ppp).
    if (s.ScaleWidth() != g.AnchoPx || s.ScaleHeight() != g.AltoPx || s.Imagen().format() != QImage::Format_BGR888) {
        // Let the old picture go first.
        s.Redimensionar(0, 0);
        if (!s.Redimensionar(g.AnchoPx, g.AltoPx, QImage::Format_BGR888) || s.Vacia()) return false;
    }
    s.FontName(QStringLiteral("Arial"));
    s.FontSize(8);
    s.FontBold(false);
    s.DrawWidth = 1;
    s.ForeColor = kNegro;
    s.Cls();
    DibujarElementos(s, g, o, 0, 0, 1.0);
    s.LineBox(0, 0, g.AnchoPx - 1, g.AltoPx - 1, kNegro);
    return true;
}

} // namespace CartaGrises
