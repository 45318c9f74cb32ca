// The information panel's texts, number formats, history lines and curve
// file names.

#include "windows/editor/historial.h"
#include "windows/editor/infoimagen.h"

#include "app/idioma.h"

#include <gtest/gtest.h>

using namespace InfoImagen;

TEST(InfoImagenTextos, SizesPrintSizeResolutionAndNumbers)
{
    modIdioma::Idioma = QStringLiteral("es");
    // Missing resolutions; a profile name is shown untrimmed.
    const std::pair<QString, const char *> casos[] = {
        {TextoPixeles(3000, 2000), "3,000 x 2,000 px"}, {TextoPixeles(999, 1000000), "999 x 1,000,000 px"},
        {TextoMedidas(3000, 2000, 300, 300), "25.40 x 16.93 cm"}, {TextoMedidas(3000, 2000, 300, 600), "25.40 x 8.47 cm"},
        {TextoResolucion(300, 300), "300 ppp"}, {TextoResolucion(300, 600), "300 x 600 ppp"},
        {TextoMedidas(3000, 2000, 0, 300), "Sin datos"}, {TextoMedidas(3000, 2000, 300, 0), "Sin datos"},
        {TextoResolucion(0, 300), "Sin datos"}, {TextoResolucion(300, 0), "300 ppp"},
        {TextoEspacioColor(QStringLiteral("   ")), "Sin perfil"}, {TextoEspacioColor(QString()), "Sin perfil"},
        {TextoEspacioColor(QStringLiteral(" sRGB ")), " sRGB "},
        // Halves to even.
        {FormatoFijo(72.5, 0), "72"}, {FormatoFijo(73.5, 0), "74"}, {FormatoFijo(299.9994, 0), "300"},
        {FormatoFijo(0.125, 2), "0.12"}, {FormatoFijo(0.375, 2), "0.38"}, {FormatoFijo(200, 2), "200.00"},
        {FormatoFijo(12345.678, 2), "12345.68"}, {FormatoFijo(0.05, 2), "0.05"}, {FormatoFijo(-1.5, 0), "-2"},
        {FormatoMiles(0), "0"}, {FormatoMiles(100), "100"}, {FormatoMiles(1000), "1,000"}, {FormatoMiles(-1234567), "-1,234,567"},
    };
    for (const auto &[obtenido, esperado] : casos) EXPECT_EQ(obtenido.toStdString(), esperado);

    modIdioma::Idioma = QStringLiteral("en");
    EXPECT_EQ(QStringList({TextoMedidas(10, 10, -1, 72), TextoResolucion(-5, 72), TextoEspacioColor(QStringLiteral(" "))}),
              QStringList({"No data", "No data", "No profile"}));
    modIdioma::Idioma = QStringLiteral("es");
}

TEST(HistorialTextos, TwentyLinesNumberedOldestDropped)
{
    HistorialEdicion h;
    EXPECT_TRUE(h.Lineas().isEmpty());
    h.Agregar(QStringLiteral("Curva recibida"));
    EXPECT_EQ(h.Lineas(), QStringList{QStringLiteral("1.  Curva recibida")});
    for (int i = 2; i <= 21; ++i) h.Agregar(QStringLiteral("Curva ") + QString::number(i));
    ASSERT_EQ(h.Num(), 20);
    EXPECT_EQ(QStringList({h.Lineas().first(), h.Lineas().last()}), QStringList({"1.  Curva 2", "20.  Curva 21"}));
    h.QuitarUltimo();
    EXPECT_EQ(h.Num(), 19);
    h.Recortar(2);
    EXPECT_EQ(h.Lineas(), (QStringList{QStringLiteral("1.  Curva 2"), QStringLiteral("2.  Curva 3")}));
    h.Vaciar(), h.QuitarUltimo(); // nothing left to take
    EXPECT_EQ(h.Num(), 0);
}

TEST(RutasCurvaTextos, AmpByItsLastFourCharactersAndAcvAppended)
{
    for (const char *amp : {"/a/b.amp", "/a/B.AMP"}) EXPECT_TRUE(RutasCurva::EsAMP(QString::fromLatin1(amp))) << amp;
    for (const char *otro : {"/a/b.ampx", "/a/b.acv", "amp"}) EXPECT_FALSE(RutasCurva::EsAMP(QString::fromLatin1(otro))) << otro;
    EXPECT_EQ(QStringList({RutasCurva::ConExtensionACV("/a/C.ACV"), RutasCurva::ConExtensionACV("/a/c.txt"),
                           RutasCurva::ConExtensionACV("/a/c")}),
              QStringList({"/a/C.ACV", "/a/c.txt.acv", "/a/c.acv"}));
}
