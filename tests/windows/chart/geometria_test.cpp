// Chart layout: exact dimensions, rectangles and grey levels.

#include "windows/chart/geometria.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace CartaGrises;
using V = std::vector<int>;

TEST(GeometriaCarta, DimensionesA200YALasResolucionesExtremas)
{
    const struct {
        int r;
        V dims; // A B C D E F, XEscala XDegradado XFranja, W H, strip middle
        Rect primero, ultimo; // wedge steps 0 and 20
        int alto;             // every step is this high or one more
    } casos[] = {
        {200, {6, 75, 100, 85, 50, 20, 1012, 1097, 1147, 1173, 1183, 592}, {1012, 75, 1096, 126}, {1012, 1123, 1096, 1174}, 52},
        {72, {2, 27, 36, 31, 18, 7, 364, 395, 413, 422, 426, 213}, {364, 27, 394, 45}, {364, 404, 394, 422}, 18},
        {1200, {36, 450, 600, 510, 300, 120, 6072, 6582, 6882, 7038, 7097, 3548}, {6072, 450, 6581, 763}, {6072, 6736, 6581, 7049}, 314},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.r);
        const Geometria g = GeometriaDe(c.r);
        EXPECT_EQ((V{g.Margen, g.MargenSup, g.LadoParche, g.AnchoEscala, g.AnchoDegradado, g.AnchoFranja, g.XEscala,
                     g.XDegradado, g.XFranja, g.AnchoPx, g.AltoPx, MitadFranja(g)}),
                  c.dims);
        EXPECT_EQ(RectEscalon(g, 0), c.primero);
        EXPECT_EQ(RectEscalon(g, 20), c.ultimo);
        for (int i = 1; i < 21; ++i) { // the steps tile the eleven rows
            const Rect s = RectEscalon(g, i);
            EXPECT_EQ(s.y1, RectEscalon(g, i - 1).y2 + 1) << i;
            EXPECT_TRUE(s.y2 - s.y1 + 1 == c.alto || s.y2 - s.y1 == c.alto) << i;
        }
    }
    const Geometria g = GeometriaDe(200); // patches 0, 37, 99 and 100 %, the information box
    EXPECT_EQ((std::array{RectParche(g, 0), RectParche(g, 37), RectParche(g, 99), RectParche100(g), RectInfo(g)}),
              (std::array<Rect, 5>{{{6, 75, 105, 174}, {706, 375, 805, 474}, {906, 975, 1005, 1074}, {6, 1075, 105, 1174},
                                    {106, 1075, 1011, 1182}}}));
}

TEST(GeometriaCarta, EmpatesVanAlParYTextoDeResolucion)
{
    // 81: C 40.5 -> 40; 75: C 37.5 -> 38, F 7.5 -> 8; 91: C 45.5 -> 46;
    // 91, 92: H 544.5 -> 544; 174: H 1028.5 -> 1028.
    const V casos[] = {{81, 40, 8, 468, 472}, {75, 38, 8, 445, 449}, {91, 46, 9, 540, 544}, {92, 46, 9, 540, 544}, {174, 87, 17, 1020, 1028}};
    for (const V &c : casos) {
        const Geometria g = GeometriaDe(c[0]);
        EXPECT_EQ((V{c[0], g.LadoParche, g.AnchoFranja, g.AnchoPx, g.AltoPx}), c);
    }
    // Every resolution leaves at least one row under the eleventh row.
    for (int r = kResolucionMin; r <= kResolucionMax; ++r) {
        const Geometria g = GeometriaDe(r);
        ASSERT_GT(g.AltoPx, g.MargenSup + 11 * g.LadoParche) << r;
    }

    // Resolution texts (the number reading itself is the platform's).
    for (auto [texto, usada] : {std::pair{"1e3", 1000}, {"abc", 72}, {"", 72}, {"12.5", 72}, {"5000", 1200}, {"-150", 72}})
        EXPECT_EQ(CalcularGeometria(QString::fromLatin1(texto)).Resolucion, usada) << texto;
    EXPECT_EQ(LeerResolucion(QStringLiteral("12.5")), 12);
    EXPECT_EQ((V{ResolucionAceptada(71), ResolucionAceptada(72), ResolucionAceptada(1200), ResolucionAceptada(1201)}), (V{0, 1, 1, 0}));
}

TEST(GeometriaCarta, NivelesDeGris)
{
    // Patch k and its positive grey; 10, 30, 50, 70 and 90 are ties.
    const std::pair<int, int> parches[] = {{0, 255}, {1, 252}, {2, 250}, {3, 247}, {4, 245}, {10, 230}, {30, 178},
                                           {50, 128}, {70, 76}, {90, 26}, {95, 13}, {96, 10}, {97, 8}, {98, 5}, {99, 3}};
    for (auto [k, gris] : parches) EXPECT_EQ((std::pair{GrisParche(k, false), GrisParche(k, true)}), (std::pair{gris, 255 - gris})) << k;
    EXPECT_EQ((std::pair{GrisParche100(false), GrisParche100(true)}), (std::pair{0, 255}));
    const int escalones[] = {255, 242, 230, 217, 204, 191, 178, 166, 153, 140, 128, 115, 102, 89, 76, 64, 51, 38, 26, 13, 0};
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ((std::pair{GrisEscalon(i, false), GrisEscalon(i, true)}), (std::pair{escalones[i], 255 - escalones[i]})) << i;
    EXPECT_EQ((V{GrisDegradado(0, 1183, false), GrisDegradado(1182, 1183, false), GrisDegradado(0, 1183, true),
                 GrisDegradado(200, 400, false)}),
              (V{255, 0, 0, 128})); // the last is 127.5
}

TEST(GeometriaCarta, AjusteDeLaVista)
{
    const struct {
        int vw, vh, r;
        double escala;
        V resto; // width, height, offset x, offset y
    } casos[] = {
        {700, 700, 200, 700.0 / 1183, {694, 700, 3, 0}},   {700, 700, 72, 1.6432, {693, 700, 3, 0}},
        {700, 500, 1200, 500.0 / 7097, {496, 500, 102, 0}}, {2000, 300, 200, 300.0 / 1183, {297, 300, 851, 0}},
        {300, 2000, 200, 300.0 / 1173, {300, 303, 0, 848}},
    };
    for (const auto &c : casos) {
        const Ajuste a = AjustarVista(c.vw, c.vh, GeometriaDe(c.r));
        EXPECT_NEAR(a.escala, c.escala, 1e-4) << c.vw << "x" << c.vh;
        EXPECT_EQ((V{a.ancho, a.alto, a.ox, a.oy}), c.resto) << c.vw << "x" << c.vh;
    }
}

TEST(GeometriaCarta, SoloUnEnteroDe72A1200EsUnaResolucion)
{
    for (const char *si : {"72", "1200", " 300 ", "0200"}) EXPECT_TRUE(TextoResolucionAceptado(si)) << si;
    // Four characters at most once trimmed, even for a value in the range.
    for (const char *no : {"71", "1201", "1440", "", "abc", "-5", "150.5", "2 00", "200abc", "01200"})
        EXPECT_FALSE(TextoResolucionAceptado(no)) << no;
}
