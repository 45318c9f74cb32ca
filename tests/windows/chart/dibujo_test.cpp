// Chart drawing: pixels of the full-size picture and of the preview, away
// from text, in both modes.

#include "windows/chart/dibujo.h"

#include "app/idioma.h"
#include "platform/colorref.h"
#include "platform/picturebox.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace CartaGrises;

namespace {

int GrisEn(const Superficie &s, int x, int y)
{
    const uint32_t c = s.Point(x, y);
    EXPECT_EQ(ColorRef::Rojo(c), ColorRef::Verde(c)) << x << "," << y;
    EXPECT_EQ(ColorRef::Rojo(c), ColorRef::Azul(c)) << x << "," << y;
    return ColorRef::Rojo(c);
}

Opciones Modo(bool negativo, bool lineas = true, bool numeros = false)
{
    Opciones o;
    o.negativo = negativo;
    o.lineas = lineas;
    o.numeros = numeros;
    o.titulo = QStringLiteral("ZOLV Carta de grises");
    return o;
}

struct Rango {
    int min = 255, max = 0;
};
// Darkest and lightest grey inside an inclusive rectangle.
Rango Extremos(const Superficie &s, int x1, int y1, int x2, int y2)
{
    Rango r;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x) {
            const int g = ColorRef::Rojo(s.Point(x, y));
            r.min = std::min(r.min, g);
            r.max = std::max(r.max, g);
        }
    return r;
}

// Horizontal extent of the pixels darker than 128 in a band (-1 when none).
std::pair<int, int> TintaOscura(const Superficie &s, int x1, int y1, int x2, int y2)
{
    int a = -1, b = -1;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            if (ColorRef::Rojo(s.Point(x, y)) < 128) {
                if (a < 0 || x < a) a = x;
                b = std::max(b, x);
            }
    return {a, b};
}

void CentroDeParches(const Superficie &s, const Geometria &g, bool negativo)
{
    for (int k = 0; k < 100; ++k) {
        const Rect r = RectParche(g, k);
        EXPECT_EQ(GrisEn(s, (r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2), GrisParche(k, negativo)) << k;
    }
    const Rect r = RectParche100(g);
    EXPECT_EQ(GrisEn(s, (r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2), GrisParche100(negativo));
}

} // namespace

TEST(DibujoCarta, CompletaPositivaA200ppp)
{
    const Geometria g = GeometriaDe(200);
    Superficie s;
    ASSERT_TRUE(RenderizarCompleta(s, g, Modo(false)));
    ASSERT_EQ(s.ScaleWidth(), 1173);
    ASSERT_EQ(s.ScaleHeight(), 1183);

    CentroDeParches(s, g, false);
    // Outlines in the inverse grey on the patch's own edge pixels; the 100 %
    // patch has none.
    EXPECT_EQ(GrisEn(s, 6, 120), 0);     // patch 0, left edge
    EXPECT_EQ(GrisEn(s, 105, 120), 0);   // patch 0, right edge
    EXPECT_EQ(GrisEn(s, 7, 120), 255);   // inside patch 0
    EXPECT_EQ(GrisEn(s, 6, 620), 127);   // patch 50 (grey 128), left edge
    EXPECT_EQ(GrisEn(s, 50, 1075), 0);   // 100 % patch, top row
    EXPECT_EQ(GrisEn(s, 6, 1120), 0);

    // The wedge: each step's grey down to its last row.
    for (int i = 0; i < 21; ++i) {
        const Rect r = RectEscalon(g, i);
        EXPECT_EQ(GrisEn(s, r.x1 + 40, r.y1), GrisEscalon(i, false)) << i;
        EXPECT_EQ(GrisEn(s, r.x2, r.y2), GrisEscalon(i, false)) << i;
    }
    EXPECT_EQ(GrisEn(s, 1050, 1175), 255); // under the wedge: background

    // Gradient: visible from XDegradado to XFranja − 3, every row but the
    // frame's.
    for (int y : {1, 100, 591, 592, 900, 1181})
        EXPECT_EQ(GrisEn(s, 1120, y), GrisDegradado(y, 1183, false)) << y;
    EXPECT_EQ(GrisEn(s, 1097, 300), GrisDegradado(300, 1183, false));
    EXPECT_EQ(GrisEn(s, 1144, 300), GrisDegradado(300, 1183, false));
    // The strip covers 1145..1166, white above row 592 and black from it.
    EXPECT_EQ(GrisEn(s, 1145, 300), 255);
    EXPECT_EQ(GrisEn(s, 1166, 591), 255);
    EXPECT_EQ(GrisEn(s, 1145, 592), 0);
    EXPECT_EQ(GrisEn(s, 1166, 1181), 0);
    EXPECT_EQ(GrisEn(s, 1167, 900), 255); // right margin

    // The frame.
    for (auto [x, y] : {std::pair{0, 0}, {1172, 0}, {0, 1182}, {1172, 1182}, {1172, 300}, {600, 1182}, {1150, 0}})
        EXPECT_EQ(GrisEn(s, x, y), 0) << x << "," << y;
    EXPECT_EQ(GrisEn(s, 1171, 300), 255);

    // Information box filled white, corners free of text; the top margin white.
    EXPECT_EQ(GrisEn(s, 108, 1180), 255);
    EXPECT_EQ(GrisEn(s, 1009, 1077), 255);
    EXPECT_EQ(Extremos(s, 1, 1, 300, 20).min, 255);
}

TEST(DibujoCarta, CompletaNegativaA200ppp)
{
    const Geometria g = GeometriaDe(200);
    Superficie s;
    ASSERT_TRUE(RenderizarCompleta(s, g, Modo(true)));
    CentroDeParches(s, g, true);
    EXPECT_EQ(GrisEn(s, 6, 120), 255); // patch 0 outline, white on black
    EXPECT_EQ(GrisEn(s, 1120, 1), 0);
    EXPECT_EQ(GrisEn(s, 1120, 1181), 255);
    EXPECT_EQ(GrisEn(s, 1145, 591), 0);
    EXPECT_EQ(GrisEn(s, 1145, 592), 255);
    // Information box black, background and frame unchanged.
    EXPECT_EQ(GrisEn(s, 108, 1180), 0);
    EXPECT_EQ(GrisEn(s, 1009, 1077), 0);
    EXPECT_EQ(GrisEn(s, 1008, 500), 255); // gap between grid and wedge
    EXPECT_EQ(GrisEn(s, 0, 500), 0);
    EXPECT_EQ(Extremos(s, 1, 1, 300, 20).min, 255);
    // The info text is white on black, centred in the box.
    const Rect info = RectInfo(g);
    EXPECT_GT(Extremos(s, info.x1 + 1, info.y1 + 1, info.x2 - 1, info.y2 - 1).max, 200);
}

TEST(DibujoCarta, SinLineasNiNumerosYConNumeros)
{
    const Geometria g = GeometriaDe(200);
    Superficie s;
    ASSERT_TRUE(RenderizarCompleta(s, g, Modo(false, false, false)));
    // No outlines: each patch is a single grey to its edges; no labels.
    for (int k : {0, 51, 99}) {
        const Rect r = RectParche(g, k);
        const Rango e = Extremos(s, r.x1, r.y1, r.x2, r.y2);
        EXPECT_EQ(e.min, GrisParche(k, false)) << k;
        EXPECT_EQ(e.max, GrisParche(k, false)) << k;
    }
    const Rect w = RectEscalon(g, 10);
    EXPECT_EQ(Extremos(s, w.x1, w.y1, w.x2, w.y2).min, 128);

    ASSERT_TRUE(RenderizarCompleta(s, g, Modo(false, false, true)));
    // Labels follow the text-colour rule: black on patch 0 (white) and on
    // patch 50 (128), white on patch 51 (125) and on the 100 % patch.
    auto etiquetaTopIzq = [&](const Rect &r) { return Extremos(s, r.x1 + 2, r.y1 + 2, r.x1 + 30, r.y1 + 18); };
    EXPECT_LT(etiquetaTopIzq(RectParche(g, 0)).min, 100);
    EXPECT_LT(etiquetaTopIzq(RectParche(g, 50)).min, 60);
    EXPECT_GT(etiquetaTopIzq(RectParche(g, 51)).max, 200);
    EXPECT_GT(etiquetaTopIzq(RectParche100(g)).max, 200);
    // Only patches that share a wedge grey carry a step number bottom-left.
    auto abajoIzq = [&](int k) {
        const Rect r = RectParche(g, k);
        return Extremos(s, r.x1 + 2, r.y2 - 20, r.x1 + 30, r.y2);
    };
    EXPECT_LT(abajoIzq(0).min, 100);
    EXPECT_EQ(abajoIzq(1).min, GrisParche(1, false));
    // Step 11 (grey 128) is labelled in black in positive mode.
    EXPECT_LT(Extremos(s, w.x1 + 2, w.y1 + 2, w.x1 + 30, w.y1 + 18).min, 60);
}

TEST(DibujoCarta, TituloCentradoYTamanosDeLetra)
{
    const Geometria g = GeometriaDe(200);
    Superficie s;
    ASSERT_TRUE(s.Redimensionar(g.AnchoPx, g.AltoPx));
    s.FontName(QStringLiteral("Arial"));
    DibujarParches(s, g, Modo(false), 0, 0, 1.0);
    // 13 px at 0.75 points per pixel × 1.25 + 1.
    EXPECT_DOUBLE_EQ(s.FontSize(), 13.1875);
    EXPECT_FLOAT_EQ(PixelesAPuntos(22), 16.5f);

    // The title's ink sits centred on A + 5C = 506, also when it is wider
    // than the chart.
    ASSERT_TRUE(RenderizarCompleta(s, g, Modo(false)));
    auto [a, b] = TintaOscura(s, 1, 20, 1170, 74);
    ASSERT_GE(a, 0);
    EXPECT_NEAR((a + b) / 2.0, 506, 4);
    Opciones largo = Modo(false);
    largo.titulo = QString(QStringLiteral("ZOLV ")).repeated(40);
    ASSERT_TRUE(RenderizarCompleta(s, g, largo));
    std::tie(a, b) = TintaOscura(s, 1, 20, 1171, 74);
    EXPECT_LE(a, 2);
    EXPECT_GE(b, 1169);
    // After a drawn information box the font is no longer bold.
    EXPECT_FALSE(s.FontBold());
}

TEST(DibujoCarta, CajaDeInformacionBaja)
{
    // A 100-pixel preview: the box is about 77 × 9, starts at 3 points and
    // the lines fit at none from 3 up, so the loop stops at 2.5.
    Superficie s(100, 100);
    s.FontName(QStringLiteral("Arial"));
    DibujarVista(s, GeometriaDe(200), Modo(true));
    EXPECT_FLOAT_EQ(static_cast<float>(s.FontSize()), 2.5f);
    EXPECT_FALSE(s.FontBold());
    // Too small for the box: the title only, and bold stays on.
    Superficie t(12, 12);
    DibujarVista(t, GeometriaDe(200), Modo(true));
    EXPECT_TRUE(t.FontBold());
}

TEST(DibujoCarta, VistaAjustadaYCentrada)
{
    const Geometria g = GeometriaDe(200);
    Superficie s(700, 700);
    s.BackColor = 0xC0C0C0;
    s.Cls();
    DibujarVista(s, g, Modo(false));
    // Scale 700 / 1183: 694 × 700 at offset (3, 0), inside the box's outline.
    EXPECT_EQ(GrisEn(s, 0, 350), 0);
    EXPECT_EQ(GrisEn(s, 699, 350), 0);
    EXPECT_EQ(GrisEn(s, 1, 350), 255);
    EXPECT_EQ(GrisEn(s, 2, 350), 255);
    EXPECT_EQ(GrisEn(s, 3, 350), 0);   // chart frame X(0)
    EXPECT_EQ(GrisEn(s, 696, 350), 0); // X(W) − 1
    EXPECT_EQ(GrisEn(s, 697, 350), 255);
    const double e = 700.0 / 1183;
    for (int k : {0, 45, 99}) {
        const Rect r = RectParche(g, k);
        const int x = TransformarX((r.x1 + r.x2) / 2.0, 3, e), y = TransformarY((r.y1 + r.y2) / 2.0, 0, e);
        EXPECT_EQ(GrisEn(s, x, y), GrisParche(k, false)) << k;
    }
    // The strip's halves meet at Y(591.5).
    const int m = TransformarY(591.5, 0, e);
    const int xf = TransformarX(g.XFranja + 5, 3, e);
    EXPECT_EQ(GrisEn(s, xf, m - 1), 255);
    EXPECT_EQ(GrisEn(s, xf, m), 0);

    // An enlarged 72 ppp chart; and a box of no size stays as it is.
    Superficie p(700, 700);
    DibujarVista(p, GeometriaDe(72), Modo(true));
    EXPECT_EQ(GrisEn(p, 3, 350), 0);
    EXPECT_EQ(GrisEn(p, 1, 350), 255);
    Superficie vacia;
    DibujarVista(vacia, g, Modo(true));
    EXPECT_TRUE(vacia.Vacia());
}

TEST(DibujoCarta, TransformacionRedondeaAPar)
{
    EXPECT_EQ(TransformarX(40.5, 0, 1.0), 40);
    EXPECT_EQ(TransformarX(41.5, 0, 1.0), 42);
    EXPECT_EQ(TransformarY(10, 3, 0.25), 6); // 2.5 + 3 = 5.5 -> 6
    EXPECT_EQ(TransformarY(10, 2, 0.25), 4); // 4.5 -> 4
    for (int v = 0; v < 2000; v += 7) EXPECT_EQ(TransformarX(v, 0, 1.0), v);
}

TEST(DibujoCarta, ExtremosDeResolucion)
{
    Superficie s;
    ASSERT_TRUE(RenderizarCompleta(s, GeometriaDe(72), Modo(true)));
    EXPECT_EQ(s.ScaleWidth(), 422);
    EXPECT_EQ(s.ScaleHeight(), 426);
    CentroDeParches(s, GeometriaDe(72), true);

    const Geometria g = GeometriaDe(1200);
    ASSERT_TRUE(RenderizarCompleta(s, g, Modo(false)));
    EXPECT_EQ(s.ScaleWidth(), 7038);
    EXPECT_EQ(s.ScaleHeight(), 7097);
    CentroDeParches(s, g, false);
    EXPECT_EQ(GrisEn(s, 6600, 3548 - 1), GrisDegradado(3547, 7097, false));
    EXPECT_EQ(GrisEn(s, 6900, 3547), 255);
    EXPECT_EQ(GrisEn(s, 6900, 3548), 0);
}

TEST(DibujoCarta, IdiomaDeLaCajaNoCambiaSuTamano)
{
    const Geometria g = GeometriaDe(200);
    Superficie es, en;
    modIdioma::Idioma = QStringLiteral("es");
    ASSERT_TRUE(RenderizarCompleta(es, g, Modo(false)));
    const double tamEs = es.FontSize();
    modIdioma::Idioma = QStringLiteral("en");
    ASSERT_TRUE(RenderizarCompleta(en, g, Modo(false)));
    EXPECT_DOUBLE_EQ(en.FontSize(), tamEs);
    const Rect r = RectInfo(g);
    EXPECT_NE(es.Imagen().copy(r.x1, r.y1, r.x2 - r.x1 + 1, r.y2 - r.y1 + 1),
              en.Imagen().copy(r.x1, r.y1, r.x2 - r.x1 + 1, r.y2 - r.y1 + 1));
    modIdioma::Idioma = QStringLiteral("es");
}
