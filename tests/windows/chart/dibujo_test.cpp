// Chart drawing: pixels of the full-size picture and of the preview, away
// from text, in both modes.

#include "windows/chart/dibujo.h"

#include "app/idioma.h"
#include "platform/colorref.h"
#include "platform/numbers.h"
#include "platform/picturebox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace CartaGrises;

namespace {

int GrisEn(const Superficie &s, int x, int y)
{
    const uint32_t c = s.Point(x, y);
    EXPECT_TRUE(ColorRef::Rojo(c) == ColorRef::Verde(c) && ColorRef::Rojo(c) == ColorRef::Azul(c)) << x << "," << y;
    return ColorRef::Rojo(c);
}

Opciones Modo(bool neg, bool lineas = true, bool numeros = false) { return {neg, lineas, numeros, QStringLiteral("ZOLV")}; }
// The title's font: bold Arial, 18 points at 200 ppp.
void FuenteTitulo(Superficie &s, double puntos = 18) { s.FontName(QStringLiteral("Arial")), s.FontBold(true), s.FontSize(puntos); }

// Darkest and lightest grey inside an inclusive rectangle.
std::pair<int, int> Extremos(const Superficie &s, int x1, int y1, int x2, int y2)
{
    std::pair<int, int> e{255, 0};
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            e = {std::min(e.first, ColorRef::Rojo(s.Point(x, y))), std::max(e.second, ColorRef::Rojo(s.Point(x, y)))};
    return e;
}
std::pair<int, int> Extremos(const Superficie &s, const Rect &r) { return Extremos(s, r.x1, r.y1, r.x2, r.y2); }

void CentroDeParches(const Superficie &s, const Geometria &g, bool neg)
{
    for (int k = 0; k <= 100; ++k) {
        const Rect r = k < 100 ? RectParche(g, k) : RectParche100(g);
        EXPECT_EQ(GrisEn(s, (r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2), k < 100 ? GrisParche(k, neg) : GrisParche100(neg)) << k;
    }
}

} // namespace

TEST(DibujoCarta, CompletaA200pppEnAmbosModos)
{
    const struct { int x, y, pos, neg; } puntos[] = {
        {6, 120, 0, 255}, {105, 120, 0, 255}, {7, 120, 255, 0}, // patch 0: outline in the inverse grey
        {6, 620, 127, 128},                                     // patch 50's outline
        {50, 1075, 0, 255}, {6, 1120, 0, 255},                  // 100 % patch: no outline
        {1050, 1175, 255, 255}, {1008, 500, 255, 255},          // background
        {1145, 300, 255, 0}, {1166, 591, 255, 0}, {1145, 592, 0, 255}, {1166, 1181, 0, 255}, // strip halves
        {1167, 900, 255, 255}, {1171, 300, 255, 255},                                      // right margin
        {0, 0, 0, 0}, {1172, 0, 0, 0}, {0, 1182, 0, 0}, {1172, 1182, 0, 0}, {1172, 300, 0, 0}, {600, 1182, 0, 0},
        {1150, 0, 0, 0}, {0, 500, 0, 0},          // frame
        {108, 1180, 255, 0}, {1009, 1077, 255, 0}, // information box
    };
    const Geometria g = GeometriaDe(200);
    for (bool neg : {false, true}) {
        SCOPED_TRACE(neg);
        Superficie s;
        ASSERT_TRUE(RenderizarCompleta(s, g, Modo(neg)));
        ASSERT_EQ(s.Imagen().size(), QSize(1173, 1183));
        CentroDeParches(s, g, neg);
        for (const auto &p : puntos) EXPECT_EQ(GrisEn(s, p.x, p.y), neg ? p.neg : p.pos) << p.x << "," << p.y;
        for (int i = 0; i < 21; ++i) { // each wedge step down to its last row
            const Rect r = RectEscalon(g, i);
            EXPECT_EQ((std::pair{GrisEn(s, r.x1 + 40, r.y1), GrisEn(s, r.x2, r.y2)}), (std::pair{GrisEscalon(i, neg), GrisEscalon(i, neg)})) << i;
        }
        // Gradient from XDegradado to XFranja - 3, every row but the frame's.
        for (auto [x, y] : {std::pair{1120, 1}, {1120, 591}, {1120, 592}, {1120, 1181}, {1097, 300}, {1144, 300}})
            EXPECT_EQ(GrisEn(s, x, y), GrisDegradado(y, 1183, neg)) << x << "," << y;
        EXPECT_EQ(Extremos(s, 1, 1, 300, 20).first, 255); // top margin beside the title
    }
    // At the extreme resolutions too.
    Superficie s;
    ASSERT_TRUE(RenderizarCompleta(s, GeometriaDe(72), Modo(true)));
    EXPECT_EQ(s.Imagen().size(), QSize(422, 426));
    CentroDeParches(s, GeometriaDe(72), true);
    ASSERT_TRUE(RenderizarCompleta(s, GeometriaDe(1200), Modo(false)));
    EXPECT_EQ(s.Imagen().size(), QSize(7038, 7097));
    CentroDeParches(s, GeometriaDe(1200), false);
    EXPECT_EQ((std::pair{GrisEn(s, 6900, 3547), GrisEn(s, 6900, 3548)}), (std::pair{255, 0}));
}

TEST(DibujoCarta, EtiquetasTituloYCaja)
{
    const Geometria g = GeometriaDe(200);
    const Rect w = RectEscalon(g, 10);
    Superficie s;
    auto arriba = [&](const Rect &r) { return Extremos(s, r.x1 + 2, r.y1 + 2, r.x1 + 30, r.y1 + 18); };
    ASSERT_TRUE(RenderizarCompleta(s, g, Modo(false, false, false)));
    // No outlines and no labels: each patch and step is a single grey.
    for (int k : {0, 51, 99}) EXPECT_EQ(Extremos(s, RectParche(g, k)), std::pair(GrisParche(k, false), GrisParche(k, false)));
    EXPECT_EQ(Extremos(s, w), std::pair(128, 128)); // step 10
    // Labels black on patches 0 and 50 (128) and on step 11, white on patch 51
    // (125) and the 100 % patch; a step number only where a step shares the grey.
    ASSERT_TRUE(RenderizarCompleta(s, g, Modo(false, false, true)));
    EXPECT_TRUE(arriba(RectParche(g, 0)).first < 100 && arriba(RectParche(g, 50)).first < 60 && arriba(w).first < 60);
    EXPECT_TRUE(arriba(RectParche(g, 51)).second > 200 && arriba(RectParche100(g)).second > 200);
    EXPECT_LT(Extremos(s, 8, 154, 36, 174).first, 100);       // patch 0, bottom left
    EXPECT_EQ(Extremos(s, 108, 154, 136, 174).first, 252); // patch 1: none

    // The title's ink is centred on A + 5C = 506, whole even where it runs
    // off the chart's left edge (titles 1,040 and 1,100 pixels wide); one
    // wider than the chart (1,173) is cut to it, still centred there.
    const auto tinta = [&] {
        int a = 1173, b = -1;
        for (int y = 20; y <= 74; ++y)
            for (int x = 1; x <= 1171; ++x)
                if (ColorRef::Rojo(s.Point(x, y)) < 128) a = std::min(a, x), b = std::max(b, x);
        return std::pair{a, b};
    };
    EXPECT_NEAR((tinta().first + tinta().second) / 2.0, 506, 4);
    Superficie medida(10, 10);
    FuenteTitulo(medida);
    for (double ancho : {1040.0, 1100.0, 1400.0}) {
        SCOPED_TRACE(ancho);
        Opciones o = Modo(false);
        while (medida.TextWidth(o.titulo + QStringLiteral(" Z")) <= ancho) o.titulo += QStringLiteral(" Z");
        ASSERT_TRUE(RenderizarCompleta(s, g, o));
        const int w = Numeros::CLng(medida.TextWidth(o.titulo));
        EXPECT_EQ(tinta().first, 1);
        EXPECT_NEAR(tinta().second, ancho < 1173 ? 506 - w / 2 + w : 506 + 1173 / 2, ancho < 1173 ? 3 : 12);
    }
    // A 100-pixel preview: the lines fit at no size from 3 up, the loop stops
    // at 2.5. At 12 pixels there is no box: the title only, still bold.
    Superficie p(100, 100), t(12, 12);
    p.FontName(QStringLiteral("Arial")), DibujarVista(p, g, Modo(true)), DibujarVista(t, g, Modo(true));
    EXPECT_FLOAT_EQ(static_cast<float>(p.FontSize()), 2.5f);
    EXPECT_TRUE(!p.FontBold() && t.FontBold());

    // The other language's lines at the same size.
    Superficie es, en;
    ASSERT_TRUE(RenderizarCompleta(es, g, Modo(true)));
    modIdioma::Idioma = QStringLiteral("en");
    ASSERT_TRUE(RenderizarCompleta(en, g, Modo(true)));
    modIdioma::Idioma = QStringLiteral("es");
    EXPECT_DOUBLE_EQ(en.FontSize(), es.FontSize());
    const QRect caja(106, 1075, 906, 108);
    EXPECT_NE(es.Imagen().copy(caja), en.Imagen().copy(caja));
    EXPECT_GT(Extremos(es, 107, 1076, 1010, 1181).second, 200); // white text on black
}

TEST(DibujoCarta, TituloCortadoAlAnchoDeLaCartaEnLaSuperficie)
{
    Superficie m(10, 10);
    FuenteTitulo(m);
    const QString e = QStringLiteral("\u2026");
    QString largo;
    while (m.TextWidth(largo) < 1500) largo += QStringLiteral("ZOLV Carta ");
    // Fitting, it stays; otherwise the longest start that fits with the
    // ellipsis; the ellipsis alone when that is all that fits; nothing when
    // not even that.
    EXPECT_EQ(RecortarTitulo(m, QStringLiteral("ZOLV"), m.TextWidth(QStringLiteral("ZOLV"))), QStringLiteral("ZOLV"));
    for (double ancho : {40.0, 333.0, 700.5, m.TextWidth(largo.left(10) + e)}) { // the last one exactly
        const QString r = RecortarTitulo(m, largo, ancho);
        const qsizetype n = r.size() - 1;
        EXPECT_TRUE(r.endsWith(e) && r.left(n) == largo.left(n)) << ancho;
        EXPECT_LE(m.TextWidth(r), ancho);
        EXPECT_GT(m.TextWidth(largo.left(n + 1) + e), ancho);
    }
    EXPECT_EQ(RecortarTitulo(m, largo, m.TextWidth(e)), e);
    EXPECT_EQ(RecortarTitulo(m, largo, m.TextWidth(e) - 0.5), QString());
    EXPECT_EQ(RecortarTitulo(m, QStringLiteral("W"), 1), QString());
    // A character of two UTF-16 units (outside the basic plane, or a letter
    // and its accent) is kept whole or left out: with room for four and a
    // half, four.
    for (const char *c : {"\U0001D11E", "e\u0301"}) {
        const QString t = QString::fromUtf8(c).repeated(12);
        const double cuatro = m.TextWidth(t.left(8) + e), cinco = m.TextWidth(t.left(10) + e);
        ASSERT_LT(cuatro, cinco) << c;
        EXPECT_EQ(RecortarTitulo(m, t, (cuatro + cinco) / 2), t.left(8) + e) << c;
    }

    // In the preview the title is cut to the chart's width there: a box of
    // 1400 x 700 shows the chart at 700 / 1183 from x = 353, 694 pixels wide.
    // The title kept fills that width to within its last pixel.
    const Geometria g = GeometriaDe(200);
    const double escala = 700.0 / 1183;
    const int ancho = TransformarX(g.AnchoPx, 353, escala) - TransformarX(0, 353, escala);
    ASSERT_EQ(ancho, 694);
    m.FontSize(18 * escala);
    Opciones o = Modo(false), cortado = o;
    for (int n = 0; n < 100 && m.TextWidth(cortado.titulo) <= ancho - 1; ++n) {
        o.titulo = QStringLiteral("i").repeated(n) + QStringLiteral("ZOLV Carta ").repeated(12);
        cortado.titulo = RecortarTitulo(m, o.titulo, ancho);
    }
    ASSERT_TRUE(m.TextWidth(cortado.titulo) > ancho - 1 && cortado.titulo != o.titulo);
    // Its ink above the patches (rows 2..43, the chart's frame at x = 353 and
    // 1046 left out) is as wide as the kept title's printed on its own.
    Superficie vista(1400, 700), solo(1400, 100);
    vista.FontName(QStringLiteral("Arial"));
    DibujarVista(vista, g, o);
    FuenteTitulo(solo, 18 * escala);
    solo.CurrentX = 400, solo.CurrentY = 10, solo.Print(cortado.titulo);
    const auto Tinta = [](const Superficie &s, int y1, int y2) {
        int a = s.ScaleWidth(), b = -1;
        for (int y = y1; y <= y2; ++y)
            for (int x = 2; x < s.ScaleWidth() - 2; ++x)
                if (x != 353 && x != 1046 && ColorRef::Rojo(s.Point(x, y)) < 128) a = std::min(a, x), b = std::max(b, x);
        return b - a;
    };
    EXPECT_EQ(Tinta(vista, 2, 43), Tinta(solo, 0, 99));
}

TEST(DibujoCarta, VistaAjustadaYCentrada)
{
    const Geometria g = GeometriaDe(200);
    Superficie s(700, 700);
    s.BackColor = 0xC0C0C0, s.Cls(), DibujarVista(s, g, Modo(false));
    // Scale 700 / 1183: 694 x 700 at (3, 0) inside the box's white-filled outline.
    for (auto [x, gris] : {std::pair{0, 0}, {1, 255}, {2, 255}, {3, 0}, {696, 0}, {697, 255}, {699, 0}})
        EXPECT_EQ(GrisEn(s, x, 350), gris) << x;
    const double e = 700.0 / 1183;
    const Rect r = RectParche(g, 45);
    EXPECT_EQ(GrisEn(s, TransformarX((r.x1 + r.x2) / 2.0, 3, e), TransformarY((r.y1 + r.y2) / 2.0, 0, e)), 140);
    // The strip's halves meet at Y(591.5).
    const int m = TransformarY(591.5, 0, e), xf = TransformarX(g.XFranja + 5, 3, e);
    EXPECT_EQ((std::pair{GrisEn(s, xf, m - 1), GrisEn(s, xf, m)}), (std::pair{255, 0}));
    // A box of no size stays as it is.
    Superficie vacia;
    DibujarVista(vacia, g, Modo(true));
    EXPECT_TRUE(vacia.Vacia());

    // Transforms round ties to even; scale 1 is the identity.
    EXPECT_EQ((std::vector<int>{TransformarX(40.5, 0, 1), TransformarX(41.5, 0, 1), TransformarY(10, 3, 0.25),
                                TransformarY(10, 2, 0.25), TransformarX(1997, 0, 1)}),
              (std::vector<int>{40, 42, 6, 4, 1997}));
}
