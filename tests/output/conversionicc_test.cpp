// Colour conversion before printing: the library loader, Little CMS against
// its own transform, Qt's fallback, and the failure texts.

#include "output/ayuda_impresion.h"

#include "imaging/freeimage_io.h"
#include "imaging/perfilicc.h"
#include "output/ajustesimpresora.h"
#include "output/cargalcms.h"
#include "output/conversionicc.h"
#include "platform/files.h"
#include "support/sistema.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace modImpresion;

namespace {

// The file of the library that holds a function.
QString ArchivoDe(void *funcion)
{
    Dl_info info{};
    return dladdr(funcion, &info) ? info.dli_fname : "";
}

class Conversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        FijarCarpetaColor(dir.path());
        Archivos::FijarCarpetaPrograma(dir.filePath("sin")); // no library there
    }
    void TearDown() override
    {
        FijarCarpetaColor(QString());
        Archivos::FijarCarpetaPrograma(QString());
        modLCMS::FijarBusquedaSistema(true);
    }
    QTemporaryDir dir;
    const QString srgb = prueba::Guardar(cmsCreate_sRGBProfile(), dir.filePath("sRGB.icc")),
                  ancho = prueba::Guardar(prueba::PerfilAncho(), dir.filePath("ancho.icc")),
                  papel = prueba::Guardar(prueba::PerfilAncho(true), dir.filePath("papel.icc")),
                  tablas = prueba::Guardar(prueba::PerfilDeTablas(), dir.filePath("tablas.icc")),
                  negro = prueba::Guardar(prueba::PerfilNegroElevado(), dir.filePath("negro.icc"));
};

} // namespace

TEST_F(Conversion, CargaDeLaBiblioteca)
{
    const QString lcms = ArchivoDe(reinterpret_cast<void *>(&cmsCreateLab4Profile)),
                  otra = ArchivoDe(dlsym(dlopen("libz.so.1", RTLD_NOW), "zlibVersion"));
    const struct {
        QString copia; // what lies in the folder as liblcms2.so.2
        bool sistema, barra, disponible;
    } casos[] = {
        {lcms, false, false, true}, {lcms, false, true, true}, // a trailing '/' is not doubled
        {"", false, false, false},  {"", true, false, true},   {"basura", false, false, false},
        {otra, false, false, false}, {otra, true, false, true}, // another library by that name
    };
    int n = 0;
    for (const auto &c : casos) {
        const QString carpeta = dir.filePath(QString::number(++n)), archivo = carpeta + "/liblcms2.so.2";
        QDir().mkpath(carpeta);
        if (c.copia == "basura") Archivos::EscribirAtomico(archivo, "\x7f" "ELF not really");
        else if (!c.copia.isEmpty()) QFile::copy(c.copia, archivo);
        modLCMS::FijarBusquedaSistema(c.sistema);
        EXPECT_EQ((std::pair{modLCMS::CargarLCMS(carpeta + (c.barra ? "/" : "")), modLCMS::ProbarLCMS()}),
                  (std::pair{c.disponible, c.disponible})) << n;
    }
}

TEST_F(Conversion, LittleCMSComoSuPropiaTransformacion)
{
    const QImage imagen = prueba::Patron(1001, 9);
    // The source profile as the sample load copies it out of an image file.
    modFreeImage::Bitmap bmp(FreeImage_Allocate(4, 4, 24));
    QByteArray bytes = Leer(ancho);
    FreeImage_CreateICCProfile(bmp.get(), bytes.data(), long(bytes.size()));
    const QString copia = modICC::GuardarPerfilEmbebidoTemp(bmp.get());
    const struct {
        QString origen, impresora;
        int16_t codigo;
        bool bpc;
        QString de, a; // what Little CMS is given, with that intent
        int intento;
    } casos[] = {
        {"", "papel.icc", 0, false, srgb, papel, INTENT_RELATIVE_COLORIMETRIC},
        {"  ", "papel.icc", 1, false, srgb, papel, INTENT_PERCEPTUAL},
        {dir.filePath("falta.icc"), "papel.icc", 3, false, srgb, papel, INTENT_ABSOLUTE_COLORIMETRIC},
        {"", papel, 2, true, srgb, papel, INTENT_SATURATION},
        {copia, "sRGB IEC61966-2.1", 0, true, ancho, srgb, INTENT_RELATIVE_COLORIMETRIC},
        {"", "tablas.icc", 0, false, srgb, tablas, INTENT_RELATIVE_COLORIMETRIC},
        {"", "tablas.icc", 1, false, srgb, tablas, INTENT_PERCEPTUAL},
        {"", "negro.icc", 0, false, srgb, negro, INTENT_RELATIVE_COLORIMETRIC},
        {"", "negro.icc", 0, true, srgb, negro, INTENT_RELATIVE_COLORIMETRIC},
    };
    for (const auto &c : casos) {
        QString msg = "x";
        const QImage r = ConvertirICC(imagen, 1001, 9, "prueba", c.origen, c.impresora, c.codigo, c.bpc, msg);
        EXPECT_EQ((std::tuple{msg, r.format(), r.bytesPerLine()}), (std::tuple{QString(), QImage::Format_BGR888, qsizetype(3004)}));
        EXPECT_EQ(prueba::Diferencia(r, prueba::TransformarLCMS(imagen, c.de, c.a, c.intento, c.bpc)), 0) << c.codigo;
    }
    EXPECT_EQ(imagen, prueba::Patron(1001, 9)); // the caller's picture is untouched
    Archivos::Borrar(copia);
}

TEST_F(Conversion, SinLittleCMSYFallos)
{
    const QImage imagen = prueba::Patron(300, 4);
    const QString roto = dir.filePath("roto.icc"), lab = prueba::Guardar(cmsCreateLab4Profile(nullptr), dir.filePath("lab.icc")),
                  noAbre = "No se pudieron abrir los perfiles ICC. Perfil ilegible o dañado: ";
    Archivos::EscribirAtomico(roto, QByteArray(300, 'x'));
    const QString roto2 = dir.filePath("roto2.icc"), noAbreLCMS = "No se pudieron abrir los perfiles ICC con LittleCMS. Perfil ilegible o dañado: ";
    Archivos::EscribirAtomico(roto2, QByteArray(300, 'y'));
    const struct {
        bool lcms, bpc;
        QString impresora, texto; // "" converts; with Qt, within 2 levels of Little CMS
        QString origen = "";
    } casos[] = {
        {false, false, "ancho.icc", ""},
        {false, true, "ancho.icc", "La compensacion de punto negro necesita la biblioteca Little CMS (liblcms2.so.2)."},
        {false, false, papel, noAbre + papel + "."}, // Qt reads no printer-class profile
        {true, false, roto, noAbre + roto + "."},   // Little CMS failed: only Qt's outcome counts
        {true, true, roto, noAbreLCMS + roto + "."},
        {true, true, "ancho.icc", noAbreLCMS + roto + ".", roto}, // the file that failed is named
        {true, true, roto2, noAbreLCMS + roto + ", " + roto2 + ".", roto},
        {true, true, roto, noAbreLCMS + roto + ".", roto}, // once
        {false, false, "ancho.icc", noAbre + roto + ".", roto},
        {true, true, lab, "No se pudo crear la transformacion ICC con LittleCMS. El perfil de impresora es Lab y hace falta uno RGB: " + lab + "."},
    };
    for (const auto &c : casos) {
        modLCMS::FijarBusquedaSistema(c.lcms);
        QString msg = "x";
        const QImage r = ConvertirICC(imagen, 300, 4, "prueba", c.origen, c.impresora, 0, c.bpc, msg);
        EXPECT_EQ((std::pair{msg, r.isNull()}), (std::pair{c.texto, !c.texto.isEmpty()})) << msg.toStdString();
        EXPECT_LE(prueba::Diferencia(r, prueba::TransformarLCMS(imagen, srgb, ancho, 1, false)), r.isNull() ? 256 : c.lcms ? 0 : 2);
    }
    QFile::remove(srgb); // every missing profile's fallback is missing too
    QString msg;
    EXPECT_TRUE(ConvertirICC(imagen, 300, 4, "prueba", "", "", 0, false, msg).isNull() && msg == "No se encontro el perfil de impresora.");
    modLCMS::FijarBusquedaSistema(false);
    EXPECT_TRUE(ConvertirICCConLCMS(imagen, 300, 4, "prueba", "", "ancho.icc", 0, false, msg).isNull());
    EXPECT_EQ(msg, "No se encuentra la biblioteca Little CMS (liblcms2.so.2).");
}
