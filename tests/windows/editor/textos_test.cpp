// The information panel's texts, number formats, history lines and curve
// file names.

#include "windows/editor/historial.h"
#include "windows/editor/infoimagen.h"

#include "app/idioma.h"

#include <gtest/gtest.h>

using namespace InfoImagen;

TEST(InfoImagenTextos, SizesPrintSizeAndResolution)
{
    modIdioma::Idioma = QStringLiteral("es");
    EXPECT_EQ(TextoPixeles(3000, 2000), QStringLiteral("3,000 x 2,000 px"));
    EXPECT_EQ(TextoPixeles(999, 1000000), QStringLiteral("999 x 1,000,000 px"));
    EXPECT_EQ(TextoMedidas(3000, 2000, 300, 300), QStringLiteral("25.40 x 16.93 cm"));
    EXPECT_EQ(TextoResolucion(300, 300), QStringLiteral("300 ppp"));
    EXPECT_EQ(TextoResolucion(300, 600), QStringLiteral("300 x 600 ppp"));
    EXPECT_EQ(TextoMedidas(3000, 2000, 300, 600), QStringLiteral("25.40 x 8.47 cm"));

    // Missing resolutions.
    EXPECT_EQ(TextoMedidas(3000, 2000, 0, 300), QStringLiteral("Sin datos"));
    EXPECT_EQ(TextoResolucion(0, 300), QStringLiteral("Sin datos"));
    EXPECT_EQ(TextoMedidas(3000, 2000, 300, 0), QStringLiteral("Sin datos"));
    EXPECT_EQ(TextoResolucion(300, 0), QStringLiteral("300 ppp"));
    EXPECT_EQ(TextoEspacioColor(QStringLiteral("   ")), QStringLiteral("Sin perfil"));
    EXPECT_EQ(TextoEspacioColor(QString()), QStringLiteral("Sin perfil"));
    // Shown untrimmed.
    EXPECT_EQ(TextoEspacioColor(QStringLiteral(" sRGB ")), QStringLiteral(" sRGB "));

    modIdioma::Idioma = QStringLiteral("en");
    EXPECT_EQ(TextoMedidas(10, 10, -1, 72), QStringLiteral("No data"));
    EXPECT_EQ(TextoResolucion(-5, 72), QStringLiteral("No data"));
    EXPECT_EQ(TextoEspacioColor(QStringLiteral(" ")), QStringLiteral("No profile"));
    modIdioma::Idioma = QStringLiteral("es");
}

TEST(InfoImagenTextos, NumbersRoundHalvesToEven)
{
    EXPECT_EQ(FormatoFijo(72.5, 0), QStringLiteral("72"));
    EXPECT_EQ(FormatoFijo(73.5, 0), QStringLiteral("74"));
    EXPECT_EQ(FormatoFijo(299.9994, 0), QStringLiteral("300"));
    EXPECT_EQ(FormatoFijo(0.125, 2), QStringLiteral("0.12"));
    EXPECT_EQ(FormatoFijo(0.375, 2), QStringLiteral("0.38"));
    EXPECT_EQ(FormatoFijo(200, 2), QStringLiteral("200.00"));
    EXPECT_EQ(FormatoFijo(12345.678, 2), QStringLiteral("12345.68"));
    EXPECT_EQ(FormatoFijo(0.05, 2), QStringLiteral("0.05"));
    EXPECT_EQ(FormatoFijo(-1.5, 0), QStringLiteral("-2"));
    EXPECT_EQ(FormatoMiles(0), QStringLiteral("0"));
    EXPECT_EQ(FormatoMiles(100), QStringLiteral("100"));
    EXPECT_EQ(FormatoMiles(1000), QStringLiteral("1,000"));
    EXPECT_EQ(FormatoMiles(-1234567), QStringLiteral("-1,234,567"));
}

TEST(HistorialTextos, TwentyLinesNumberedOldestDropped)
{
    HistorialEdicion h;
    EXPECT_TRUE(h.Lineas().isEmpty());
    h.Agregar(QStringLiteral("Curva recibida"));
    EXPECT_EQ(h.Lineas(), QStringList{QStringLiteral("1.  Curva recibida")});
    for (int i = 2; i <= 21; ++i) h.Agregar(QStringLiteral("Curva ") + QString::number(i));
    ASSERT_EQ(h.Num(), 20);
    const QStringList l = h.Lineas();
    EXPECT_EQ(l.first(), QStringLiteral("1.  Curva 2"));
    EXPECT_EQ(l.last(), QStringLiteral("20.  Curva 21"));
    h.QuitarUltimo();
    EXPECT_EQ(h.Num(), 19);
    h.Recortar(2);
    EXPECT_EQ(h.Lineas(), (QStringList{QStringLiteral("1.  Curva 2"), QStringLiteral("2.  Curva 3")}));
    h.Vaciar();
    h.QuitarUltimo();
    EXPECT_EQ(h.Num(), 0);
}

TEST(RutasCurvaTextos, AmpByItsLastFourCharactersAndAcvAppended)
{
    EXPECT_TRUE(RutasCurva::EsAMP(QStringLiteral("/a/b.amp")));
    EXPECT_TRUE(RutasCurva::EsAMP(QStringLiteral("/a/B.AMP")));
    EXPECT_FALSE(RutasCurva::EsAMP(QStringLiteral("/a/b.ampx")));
    EXPECT_FALSE(RutasCurva::EsAMP(QStringLiteral("/a/b.acv")));
    EXPECT_FALSE(RutasCurva::EsAMP(QStringLiteral("amp")));
    EXPECT_EQ(RutasCurva::ConExtensionACV(QStringLiteral("/a/C.ACV")), QStringLiteral("/a/C.ACV"));
    EXPECT_EQ(RutasCurva::ConExtensionACV(QStringLiteral("/a/c.txt")), QStringLiteral("/a/c.txt.acv"));
    EXPECT_EQ(RutasCurva::ConExtensionACV(QStringLiteral("/a/c")), QStringLiteral("/a/c.acv"));
}
