// Print set-up without the window: box texts, summaries, intents, the page
// preview's drawing and geometry, and the drag arithmetic. The opposite
// margins are the dialog's test.

#include "app/idioma.h"
#include "output/configimpresion.h"
#include "output/vistaimpresion.h"
#include "platform/colorref.h"
#include "platform/picturebox.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace ConfigImpresion;
using namespace VistaImpresion;

namespace {
const Hoja kA4{21.0, 29.7};
constexpr double kRel = kRelacionPorDefecto;
// A4 portrait, 19 cm centred, in a 320 x 536 preview.
const Geometria kVista{292.0 / 21.0, 14, 61, 292, 413, 28, 134, 264, 266};
} // namespace

TEST(ConfigImpresion, TextosDeLasCajas)
{
    const std::pair<const char *, int> copias[] = {
        {"2.5", 2}, {"3.5", 4}, {"0", 1},        {"-7", 1},   {"abc", 1},  {"1200", 999}, {"12345678901", 999},
        {"12abc", 12}, {"2,7", 2}, {"1 2", 12},  {"1e999", 999}, {"&H10", 1}, {"", 1},
    };
    for (const auto &[texto, n] : copias) EXPECT_EQ(LeerCopias(texto), n) << texto;

    // Either separator; negatives, non-numbers and absurd lengths read as 0.
    const struct {
        const char *texto;
        double factor, cm;
    } medidas[] = {
        {"2,5", 1, 2.5}, {"2.5", 1, 2.5}, {" 1 0 ", 2.54, 25.4}, {"-3", 1, 0},       {"", 1, 0},
        {"3.5", 0, 0},   {"1e999", 1, 0}, {"100001", 1, 0},      {"1e5", 1, 1e5},   {"1000001", 0.1, 0},
    };
    for (const auto &m : medidas) EXPECT_DOUBLE_EQ(TextoACm(m.texto, m.factor), m.cm) << m.texto;

    EXPECT_EQ(QStringList({FormatoMedida(19), FormatoMedida(19 * kRel), FormatoMedida(1234567), FormatoMedida(-0.0),
                           FormatoUnDecimal(29.7)}),
              QStringList({"19.00", "19.16", "1234567.00", "0.00", "29.7"}));
    // The locale gives the separator only: the digits stay ASCII, so every
    // box reads back what was written into it.
    const struct {
        const char *locale, *dos, *uno;
    } locales[] = {{"de_DE", "1234,50", "19,2"}, {"ar_EG", "1234٫50", "19٫2"}, {"fa_IR", "1234٫50", "19٫2"}};
    for (const auto &l : locales) {
        QLocale::setDefault(QLocale(QString::fromLatin1(l.locale)));
        EXPECT_EQ((std::pair{FormatoMedida(1234.5).toStdString(), FormatoUnDecimal(19 * kRel).toStdString()}),
                  (std::pair{std::string(l.dos), std::string(l.uno)})) << l.locale;
        EXPECT_DOUBLE_EQ(TextoACm(FormatoMedida(1234.5), 1), 1234.5) << l.locale;
        EXPECT_DOUBLE_EQ(TextoACm("2,5", 2.54) + TextoACm("2.5", 1), 2.5 * 3.54) << l.locale;
    }
    QLocale::setDefault(QLocale::c());
}

TEST(ConfigImpresion, ResumenEIntentos)
{
    modIdioma::Idioma = QStringLiteral("en");
    const struct {
        Carta carta;
        const char *texto;
    } resumenes[] = {
        {{19, 19 * kRel, true, 0, 0}, "Chart: 19.00 x 19.16 cm   Centered on A4"},
        {{19, 19 * kRel, false, 5, 2}, "Chart: 19.00 x 19.16 cm   Position  X: 5.00 cm   Y: 2.00 cm"},
        {{25, 25 * kRel, true, 0, 0}, "Chart: 25.00 x 25.21 cm   Centered on A4  [!] Chart wider than paper"},
        {{20, 30, true, 0, 0}, "Chart: 20.00 x 30.00 cm   Centered on A4  [!] Chart taller than paper"},
        {{22, 31, true, 0, 0}, "Chart: 22.00 x 31.00 cm   Centered on A4  [!] Chart wider than paper"},
        {{21, 29.7, true, 0, 0}, "Chart: 21.00 x 29.70 cm   Centered on A4"}, // exactly the paper: no warning
    };
    for (const auto &r : resumenes) EXPECT_EQ(TextoInfoCarta(r.carta, kA4, 1, "cm", "A4"), r.texto);
    EXPECT_EQ(TextoInfoCarta({19, 19 * kRel, true, 0, 0}, kA4, 2.54, "in", "A4"),
              QStringLiteral("Chart: 7.48 x 7.54 in   Centered on A4"));

    // Intents compare with the texts of the current language.
    const std::tuple<const char *, const char *, int> intentos[] = {
        {"en", "Perceptual", 1},      {"es", "Perceptual", 1},           {"en", "Saturation", 2},
        {"es", "Saturation", 0},      {"es", "Saturación", 2},           {"en", "Absolute colorimetric", 3},
        {"es", "Colorimétrico absoluto", 3}, {"en", "Relative colorimetric", 0}, {"en", "", 0},
    };
    for (const auto &[idioma, texto, n] : intentos) {
        modIdioma::Idioma = idioma;
        EXPECT_EQ(IndiceIntento(QString::fromUtf8(texto)), n) << texto;
    }
    modIdioma::Idioma = QStringLiteral("es");
}

TEST(ConfigImpresion, FueraDelPapelDeLaImpresora)
{
    // The printer's own sheet: A5 portrait, and Letter landscape as the engine
    // reads it from Qt's millimetres (27.939999999999998 cm wide).
    const Hoja a5{14.8, 21.0}, carta{279.4 / 10, 215.9 / 10};
    const char *a5es = " Tamaño del papel: A5  14.8 x 21.0 cm  [vertical]",
               *cartaEs = " Tamaño del papel: US Letter  27.9 x 21.6 cm  [horizontal]";
    const struct {
        Carta c;
        bool enCarta;
        std::string texto; // "" fits
    } casos[] = {
        {{19, 12.67, true, 0, 0}, false, std::string("Carta más ancha que el papel de la impresora.") + a5es},
        {{14.8, 21.0, true, 0, 0}, false, ""},  // exactly the sheet
        {{12, 22, true, 0, 0}, false, std::string("Carta más alta que el papel de la impresora.") + a5es},
        {{15, 22, false, 0, 0}, false, std::string("Carta más ancha que el papel de la impresora.") + a5es}, // wider first
        {{10, 10, false, 4.8, 11}, false, ""},  // to both edges, the sums exact
        {{10, 10, false, 4.801, 0}, false, std::string("Carta fuera del papel de la impresora.") + a5es}, // 0.01 mm
        {{10, 10, false, 0, 11.01}, false, std::string("Carta fuera del papel de la impresora.") + a5es},
        {{10, 10, false, -30, -40}, false, ""}, // from the corner, as the engine places it
        {{10, 10, true, 30, 40}, false, ""},    // a centred picture has no position
        // Typed 10 / 15 cm on the set-up's A4 (fits there): 0.8 mm below Letter landscape.
        {{10, 10 * 2.0 / 3, false, 10, 15}, true, std::string("Carta fuera del papel de la impresora.") + cartaEs},
        {{10, 10 * 2.0 / 3, false, 17.94, 14.9}, true, ""}, // typed to end on the right edge
    };
    for (const auto &c : casos)
        EXPECT_EQ(TextoFueraDelPapel(c.c, c.enCarta ? carta : a5, c.enCarta ? "US Letter" : "A5", c.enCarta).toStdString(), c.texto)
            << c.c.anchoCm << " " << c.c.posX << " " << c.c.posY;
    modIdioma::Idioma = QStringLiteral("en");
    EXPECT_EQ(TextoFueraDelPapel({12, 22, true, 0, 0}, a5, "A5", false),
              QStringLiteral("Chart taller than the printer's paper. Paper size: A5  14.8 x 21.0 cm  [portrait]"));
    modIdioma::Idioma = QStringLiteral("es");
}

TEST(VistaPrevia, GeometriaYPixeles)
{
    Superficie caja(320, 536);
    Geometria g;
    Entrada e;
    e.relacion = kRel;
    ASSERT_TRUE(Dibujar(caja, e, g));
    EXPECT_NEAR(g.escala, kVista.escala, 1e-12);
    EXPECT_EQ(std::vector<int>({g.hojaX, g.hojaY, g.hojaAncho, g.hojaAlto, g.cartaX, g.cartaY, g.cartaAncho, g.cartaAlto}),
              std::vector<int>({14, 61, 292, 413, 28, 134, 264, 266}));
    const auto gris = [&](int x, int y) { return ColorRef::Rojo(caja.Point(x, y)); };
    // Background, shadow, sheet outline and paper; the ramp black at the top
    // (band height 26), 113 in band 4, white in the last band down to 266.
    EXPECT_EQ(std::vector<int>({gris(0, 0), gris(14 + 292 + 3, 61 + 413 + 3), gris(14, 61), gris(15, 62), gris(28, 134),
                                gris(29, 135), gris(29, 134 + 4 * 26 + 1), gris(29, 134 + 265)}),
              std::vector<int>({80, 40, 190, 255, 0, 0, 113, 255}));

    // Manual at X 1, Y 2: dotted guides (3 on, 3 off) and white handles.
    e.centrado = false;
    e.posX = e.margenIzq = 1;
    e.posY = e.margenArr = 2;
    ASSERT_TRUE(Dibujar(caja, e, g));
    EXPECT_EQ(std::pair(g.cartaX, g.cartaY), std::pair(28, 89));
    const uint32_t guia = ColorRef::RGB(210, 60, 60);
    EXPECT_EQ(std::vector<uint32_t>({caja.Point(28, 61), caja.Point(28, 64), caja.Point(200, 89), caja.Point(24, 85),
                                     caja.Point(23, 84)}),
              std::vector<uint32_t>({guia, 0xFFFFFF, guia, 0xFFFFFF, 0}));

    // A picture starting on the sheet's right or bottom edge (21 x 29.7 cm
    // are 292 x 413 pixels here) or beyond it: the sheet only, no geometry
    // written. Just inside it is drawn.
    const struct {
        double x, y;
        bool dibujada;
    } bordes[] = {{20.95, 2, true}, {21, 2, false}, {1, 29.65, true}, {1, 29.7, false}, {30, 2, false}};
    for (const auto &b : bordes) {
        e.posX = e.margenIzq = b.x;
        e.posY = e.margenArr = b.y;
        g = Geometria();
        EXPECT_EQ(Dibujar(caja, e, g), b.dibujada) << b.x << " " << b.y;
        EXPECT_EQ(g.escala > 0, b.dibujada) << b.x << " " << b.y;
    }
    for (int y = 0; y < 536; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_TRUE(caja.Point(x, y) != 0 && caja.Point(x, y) != guia) << x << "," << y;

    // A wide box: the sheet's height limits the scale.
    Superficie ancha(600, 300);
    e.centrado = true;
    ASSERT_TRUE(Dibujar(ancha, e, g));
    EXPECT_NEAR(g.escala, 272 / 29.7, 1e-12);
    EXPECT_EQ(std::vector<int>({g.hojaX, g.hojaY, g.hojaAncho, g.hojaAlto, g.cartaX, g.cartaY, g.cartaAncho, g.cartaAlto}),
              std::vector<int>({204, 14, 192, 272, 213, 62, 174, 175}));

    // A 9-pixel box is not touched; absurd sizes stay within 2^24 pixels.
    for (const auto &[w, h] : {std::pair(9, 100), std::pair(100, 9)}) {
        Superficie chica(w, h);
        chica.BackColor = 0x123456;
        chica.Cls();
        Geometria sin;
        EXPECT_FALSE(Dibujar(chica, Entrada{}, sin));
        EXPECT_EQ(chica.Point(w - 1, h - 1), 0x123456u);
        EXPECT_EQ(sin.escala, 0);
    }
    e = Entrada{1, 1, 1e5, 1e6, true};
    ASSERT_TRUE(Dibujar(caja, e, g));
    EXPECT_EQ(std::pair(g.cartaAncho, g.cartaAlto), std::pair(1 << 24, 1 << 24));
}

TEST(VistaPrevia, ZonasYArrastre)
{
    const Geometria manual{kVista.escala, 14, 61, 292, 413, 28, 89, 264, 266};
    const std::tuple<int, int, int> zonas[] = {
        {21, 82, EsquinaSupIzq}, {20, 82, Fuera}, {21, 81, Fuera}, {299, 89, EsquinaSupDer}, {292, 355, EsquinaInfDer},
        {28, 362, EsquinaInfIzq}, {100, 200, Dentro}, {293 + 8, 200, Fuera},
    };
    for (const auto &[x, y, z] : zonas) EXPECT_EQ(ZonaVista(manual, x, y), z) << x << "," << y;
    Geometria estrecha = manual;
    estrecha.cartaAncho = 10;
    EXPECT_EQ(ZonaVista(estrecha, 33, 89), EsquinaSupIzq);

    const auto R = [](Rect r) { return std::vector<int>({r.x, r.y, r.ancho}); };
    // Moves are kept on the sheet (one within it is the dialog's drag).
    EXPECT_EQ(R(Mover(manual, 0, 0, 72, 111)), std::vector<int>({14, 61, 264}));
    EXPECT_EQ(R(Mover(manual, 100, 900, 72, 111)), std::vector<int>({28, 474 - 266, 264}));
    // Corners: the top-right one along the right edge changes nothing, to the
    // right it grows upwards; a left handle past the right edge leaves 2 px;
    // a bottom corner above the top puts the top 2 px above the pointer.
    EXPECT_EQ(R(Esquina(manual, 1, 292, 150, kRel)), std::vector<int>({28, 89, 264}));
    EXPECT_EQ(R(Esquina(manual, 1, 312, 150, kRel)), std::vector<int>({28, 355 - 286, 284}));
    EXPECT_EQ(R(Esquina(manual, 0, 400, 100, kRel)), std::vector<int>({290, 353, 2}));
    EXPECT_EQ(R(Esquina(manual, 2, 200, 79, kRel)), std::vector<int>({28, 77, 172}));

    // Back to cm (a moved 264-px picture, 18.99 cm, is the dialog's drag):
    // wider than the sheet it is cut to the sheet at x 0; 2 px, or a corner
    // pushed off the sheet, gives the 1 cm minimum kept on the sheet.
    const struct {
        Rect r;
        const char *esperado;
    } casos[] = {
        {{14, 61, 400}, "0.00 0.00 21.00"},
        {{100, 300, 2}, "6.18 17.19 1.00"},
        {{300, 470, 264}, "20.00 28.69 1.00"},
        {{14, 300, 200}, "0.00 17.19 12.41"}, // the room below limits the height, the width follows
    };
    for (const auto &c : casos) {
        Colocacion col;
        ASSERT_TRUE(ACm(manual, c.r, kRel, 21, 29.7, col));
        EXPECT_EQ(FormatoMedida(col.x) + " " + FormatoMedida(col.y) + " " + FormatoMedida(col.ancho), c.esperado);
    }
    Colocacion col;
    EXPECT_FALSE(ACm(Geometria{}, {42, 119, 264}, kRel, 21, 29.7, col));
}
