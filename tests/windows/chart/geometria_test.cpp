// Chart layout: exact dimensions, rectangles and grey levels.

#include "windows/chart/geometria.h"

#include <gtest/gtest.h>

using namespace CartaGrises;

namespace {
struct Dim {
    int r, A, B, C, D, E, F, W, H;
};

void EsperarDim(const Dim &d)
{
    SCOPED_TRACE(d.r);
    const Geometria g = GeometriaDe(d.r);
    EXPECT_EQ(g.Resolucion, d.r);
    EXPECT_EQ(g.Margen, d.A);
    EXPECT_EQ(g.MargenSup, d.B);
    EXPECT_EQ(g.LadoParche, d.C);
    EXPECT_EQ(g.AnchoEscala, d.D);
    EXPECT_EQ(g.AnchoDegradado, d.E);
    EXPECT_EQ(g.AnchoFranja, d.F);
    EXPECT_EQ(g.AnchoPx, d.W);
    EXPECT_EQ(g.AltoPx, d.H);
}
} // namespace

TEST(GeometriaCarta, A200pppTodasLasPiezas)
{
    EsperarDim({200, 6, 75, 100, 85, 50, 20, 1173, 1183});
    const Geometria g = GeometriaDe(200);
    EXPECT_EQ(g.XEscala, 1012);
    EXPECT_EQ(g.XDegradado, 1097);
    EXPECT_EQ(g.XFranja, 1147);
    EXPECT_EQ(RectParche(g, 0), (Rect{6, 75, 105, 174}));
    EXPECT_EQ(RectParche(g, 99), (Rect{906, 975, 1005, 1074}));
    EXPECT_EQ(RectParche(g, 37), (Rect{706, 375, 805, 474}));
    EXPECT_EQ(RectParche100(g), (Rect{6, 1075, 105, 1174}));
    EXPECT_EQ(RectInfo(g), (Rect{106, 1075, 1011, 1182}));
    EXPECT_EQ(RectEscalon(g, 0), (Rect{1012, 75, 1096, 126}));
    EXPECT_EQ(RectEscalon(g, 20), (Rect{1012, 1123, 1096, 1174}));
    // The steps tile the eleven rows without gaps, 52 or 53 rows each.
    for (int i = 0; i < 21; ++i) {
        const Rect s = RectEscalon(g, i);
        const int alto = s.y2 - s.y1 + 1;
        EXPECT_TRUE(alto == 52 || alto == 53) << i;
        if (i > 0) {
            EXPECT_EQ(s.y1, RectEscalon(g, i - 1).y2 + 1);
        }
    }
    // 1183 / 2 = 591.5 goes to the even row.
    EXPECT_EQ(MitadFranja(g), 592);
    // The evaluator's default grid margins.
    EXPECT_EQ(g.AnchoPx - g.Margen - 10 * g.LadoParche, 167);
    EXPECT_EQ(g.AltoPx - g.MargenSup - 11 * g.LadoParche, 8);
}

TEST(GeometriaCarta, ExtremosYEmpatesConParAlRedondear)
{
    EsperarDim({72, 2, 27, 36, 31, 18, 7, 422, 426});
    EsperarDim({1200, 36, 450, 600, 510, 300, 120, 7038, 7097});
    // 81 ppp: s × 100 = 40.5 -> 40.
    EsperarDim({81, 2, 30, 40, 34, 20, 8, 468, 472});
    // 75 ppp: 37.5 -> 38 and 7.5 -> 8.
    const Geometria g75 = GeometriaDe(75);
    EXPECT_EQ(g75.LadoParche, 38);
    EXPECT_EQ(g75.AnchoFranja, 8);
    EXPECT_EQ(g75.AnchoPx, 445);
    EXPECT_EQ(g75.AltoPx, 449);
    // Heights at a tie: 544.5 -> 544, 1028.5 -> 1028.
    for (int r : {91, 92}) {
        EXPECT_EQ(GeometriaDe(r).AnchoPx, 540) << r;
        EXPECT_EQ(GeometriaDe(r).AltoPx, 544) << r;
    }
    EXPECT_EQ(GeometriaDe(174).AnchoPx, 1020);
    EXPECT_EQ(GeometriaDe(174).AltoPx, 1028);

    const Geometria g72 = GeometriaDe(72);
    EXPECT_EQ(MitadFranja(g72), 213);
    EXPECT_EQ(RectEscalon(g72, 0), (Rect{364, 27, 394, 45}));
    EXPECT_EQ(RectEscalon(g72, 20).y1, 404);
    EXPECT_EQ(RectEscalon(g72, 20).y2, 422);
    const Geometria g1200 = GeometriaDe(1200);
    EXPECT_EQ(g1200.XFranja, 6882);
    EXPECT_EQ(MitadFranja(g1200), 3548);
    EXPECT_EQ(RectEscalon(g1200, 0).y2, 763);
    EXPECT_EQ(RectEscalon(g1200, 20).y1, 6736);
    EXPECT_EQ(RectEscalon(g1200, 20).y2, 7049);

    // Every resolution leaves at least one row under the eleventh row.
    for (int r = kResolucionMin; r <= kResolucionMax; ++r) {
        const Geometria g = GeometriaDe(r);
        ASSERT_GT(g.AltoPx, g.MargenSup + 11 * g.LadoParche) << r;
    }
}

TEST(GeometriaCarta, TextoDeResolucion)
{
    EXPECT_EQ(CalcularGeometria(QStringLiteral("1e3")).Resolucion, 1000);
    EXPECT_EQ(CalcularGeometria(QStringLiteral("abc")).Resolucion, 72);
    EXPECT_EQ(CalcularGeometria(QString()).Resolucion, 72);
    EXPECT_EQ(LeerResolucion(QStringLiteral("12.5")), 12);
    EXPECT_EQ(CalcularGeometria(QStringLiteral("12.5")).Resolucion, 72);
    EXPECT_EQ(CalcularGeometria(QStringLiteral("5000")).Resolucion, 1200);
    EXPECT_EQ(LeerResolucion(QStringLiteral(" 3 00ppp")), 300);
    EXPECT_EQ(LeerResolucion(QStringLiteral("&HC8")), 200);
    EXPECT_EQ(LeerResolucion(QStringLiteral("-150")), -150);
    EXPECT_FALSE(ResolucionAceptada(71));
    EXPECT_TRUE(ResolucionAceptada(72));
    EXPECT_TRUE(ResolucionAceptada(1200));
    EXPECT_FALSE(ResolucionAceptada(1201));
}

TEST(GeometriaCarta, NivelesDeGris)
{
    const int inicio[] = {255, 252, 250, 247, 245};
    const int fin[] = {13, 10, 8, 5, 3};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(GrisParche(k, false), inicio[k]);
        EXPECT_EQ(GrisParche(95 + k, false), fin[k]);
    }
    // The ties go to even.
    EXPECT_EQ(GrisParche(10, false), 230);
    EXPECT_EQ(GrisParche(30, false), 178);
    EXPECT_EQ(GrisParche(50, false), 128);
    EXPECT_EQ(GrisParche(70, false), 76);
    EXPECT_EQ(GrisParche(90, false), 26);
    EXPECT_EQ(GrisParche(50, true), 127);
    EXPECT_EQ(GrisParche(0, true), 0);
    EXPECT_EQ(GrisParche100(false), 0);
    EXPECT_EQ(GrisParche100(true), 255);

    const int escalones[] = {255, 242, 230, 217, 204, 191, 178, 166, 153, 140, 128,
                             115, 102, 89,  76,  64,  51,  38,  26,  13,  0};
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(GrisEscalon(i, false), escalones[i]) << i;
        EXPECT_EQ(GrisEscalon(i, true), 255 - escalones[i]) << i;
        // Step i has the grey of patch 5i (step 20 that of the 100 % patch).
        EXPECT_EQ(GrisEscalon(i, false), i < 20 ? GrisParche(5 * i, false) : GrisParche100(false)) << i;
    }

    EXPECT_EQ(GrisDegradado(0, 1183, false), 255);
    EXPECT_EQ(GrisDegradado(1182, 1183, false), 0);
    EXPECT_EQ(GrisDegradado(0, 1183, true), 0);
    // 200 / 400 × 255 = 127.5 exactly: the even 128.
    EXPECT_EQ(GrisDegradado(200, 400, false), 128);
}

TEST(GeometriaCarta, AjusteDeLaVista)
{
    Ajuste a = AjustarVista(700, 700, GeometriaDe(200));
    EXPECT_DOUBLE_EQ(a.escala, 700.0 / 1183);
    EXPECT_EQ(a.ancho, 694);
    EXPECT_EQ(a.alto, 700);
    EXPECT_EQ(a.ox, 3);
    EXPECT_EQ(a.oy, 0);

    a = AjustarVista(700, 700, GeometriaDe(72));
    EXPECT_NEAR(a.escala, 1.6432, 1e-4);
    EXPECT_EQ(a.ancho, 693);
    EXPECT_EQ(a.alto, 700);
    EXPECT_EQ(a.ox, 3);

    a = AjustarVista(700, 500, GeometriaDe(1200));
    EXPECT_DOUBLE_EQ(a.escala, 500.0 / 7097);
    EXPECT_EQ(a.ancho, 496);
    EXPECT_EQ(a.alto, 500);
    EXPECT_EQ(a.ox, 102);
    EXPECT_EQ(a.oy, 0);

    // A wide box centres vertically.
    a = AjustarVista(2000, 300, GeometriaDe(200));
    EXPECT_EQ(a.alto, 300);
    EXPECT_EQ(a.oy, 0);
    a = AjustarVista(300, 2000, GeometriaDe(200));
    EXPECT_EQ(a.ancho, 300);
    EXPECT_EQ(a.oy, (2000 - a.alto) / 2);
}
