// Colour conversion before printing: the library loader, Little CMS against
// its own transform, Qt's fallback, and the failure texts.

#include "output/ayuda_impresion.h"

#include "imaging/perfilicc.h"
#include "output/ajustesimpresora.h"
#include "output/cargalcms.h"
#include "output/conversionicc.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <dlfcn.h>
#include <link.h>

using namespace modImpresion;

namespace {

QString ArchivoDe(void *biblioteca)
{
    link_map *m = nullptr;
    return biblioteca && dlinfo(biblioteca, RTLD_DI_LINKMAP, &m) == 0 ? QString::fromLocal8Bit(m->l_name) : QString();
}

class Conversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        FijarCarpetaColor(dir.filePath("color"));
        QDir().mkpath(dir.filePath("color"));
        srgb = prueba::Guardar(cmsCreate_sRGBProfile(), dir.filePath("color/sRGB.icc"));
        ancho = prueba::Guardar(prueba::PerfilAncho(), dir.filePath("color/ancho.icc"));
        papel = prueba::Guardar(prueba::PerfilAncho(true), dir.filePath("color/papel.icc"));
        tablas = prueba::Guardar(prueba::PerfilConTablas(), dir.filePath("color/tablas.icc"));
        Archivos::FijarCarpetaPrograma(dir.filePath("programa")); // no library there
    }
    void TearDown() override
    {
        FijarCarpetaColor(QString());
        Archivos::FijarCarpetaPrograma(QString());
        modLCMS::FijarBusquedaSistema(true);
    }
    QTemporaryDir dir;
    QString srgb, ancho, papel, tablas;
};

} // namespace

TEST_F(Conversion, CargaDeLaBiblioteca)
{
    Dl_info info{};
    ASSERT_TRUE(dladdr(reinterpret_cast<void *>(&cmsCreateLab4Profile), &info));
    const QString sistema = QString::fromLocal8Bit(info.dli_fname);
    const QString otra = ArchivoDe(dlopen("libz.so.1", RTLD_NOW));
    ASSERT_FALSE(otra.isEmpty());
    const struct {
        const char *caso, *copia; // what lies in the folder as liblcms2.so.2
        bool sistema, barra, disponible;
    } casos[] = {
        {"copy in the folder, system off", "lcms", false, false, true},
        {"folder ending in '/' is not doubled", "lcms", false, true, true},
        {"nothing in the folder, system off", nullptr, false, false, false},
        {"nothing in the folder, system on", nullptr, true, false, true},
        {"not a library, system off", "basura", false, false, false},
        {"another library, system off", "otra", false, false, false},
        {"another library, system on", "otra", true, false, true},
    };
    int n = 0;
    for (const auto &c : casos) {
        const QString carpeta = dir.filePath(QString::number(++n));
        QDir().mkpath(carpeta);
        const QString destino = carpeta + "/liblcms2.so.2";
        if (c.copia && QByteArray(c.copia) == "lcms") QFile::copy(sistema, destino);
        if (c.copia && QByteArray(c.copia) == "otra") QFile::copy(otra, destino);
        if (c.copia && QByteArray(c.copia) == "basura") {
            QFile f(destino);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("\x7f" "ELF not really");
        }
        modLCMS::FijarBusquedaSistema(c.sistema);
        EXPECT_EQ(modLCMS::CargarLCMS(c.barra ? carpeta + "/" : carpeta), c.disponible) << c.caso;
        EXPECT_EQ(modLCMS::ProbarLCMS(), c.disponible) << c.caso;
    }
}

TEST_F(Conversion, LittleCMSComoSuPropiaTransformacion)
{
    const QImage imagen = prueba::Patron(1001, 9);
    // The source profile as the sample load copies it out of an image file.
    QFile f(ancho);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    FIBITMAP *bmp = FreeImage_Allocate(4, 4, 24);
    FreeImage_CreateICCProfile(bmp, bytes.data(), long(bytes.size()));
    const QString copia = modICC::GuardarPerfilEmbebidoTemp(bmp);
    FreeImage_Unload(bmp);
    ASSERT_FALSE(copia.isEmpty());

    const struct {
        const char *caso;
        QString origen, impresora;
        int16_t intento;
        bool bpc;
        QString esperadoDe, esperadoA; // the profiles Little CMS is given
        int intentoICC;
    } casos[] = {
        {"code 0 is relative colorimetric", "", "papel.icc", 0, false, srgb, papel, INTENT_RELATIVE_COLORIMETRIC},
        {"code 1 is perceptual", "  ", "papel.icc", 1, false, srgb, papel, INTENT_PERCEPTUAL},
        {"code 3 is absolute", dir.filePath("falta.icc"), "papel.icc", 3, false, srgb, papel, INTENT_ABSOLUTE_COLORIMETRIC},
        {"compensation, profile copied from an image", copia, "sRGB IEC61966-2.1", 0, true, ancho, srgb,
         INTENT_RELATIVE_COLORIMETRIC},
        {"lookup-table printer profile", "", tablas, 2, true, srgb, tablas, INTENT_SATURATION},
    };
    for (const auto &c : casos) {
        for (bool sistema : {true, false}) { // the system's copy, or one in the program folder
            modLCMS::FijarBusquedaSistema(sistema);
            if (!sistema) {
                Dl_info info{};
                dladdr(reinterpret_cast<void *>(&cmsCreateLab4Profile), &info);
                QDir().mkpath(dir.filePath("programa"));
                QFile::copy(QString::fromLocal8Bit(info.dli_fname), dir.filePath("programa/liblcms2.so.2"));
            }
            QString msg = "x";
            const QImage r = ConvertirICC(imagen, 1001, 9, "prueba", c.origen, c.impresora, c.intento, c.bpc, msg);
            ASSERT_FALSE(r.isNull()) << c.caso << ": " << msg.toStdString();
            EXPECT_EQ(msg, "") << c.caso;
            EXPECT_EQ(r.format(), QImage::Format_BGR888);
            EXPECT_EQ(r.bytesPerLine(), 3004);
            EXPECT_EQ(prueba::Diferencia(r, prueba::TransformarLCMS(imagen, c.esperadoDe, c.esperadoA, c.intentoICC, c.bpc)), 0)
                << c.caso;
            EXPECT_EQ(imagen, prueba::Patron(1001, 9)); // the caller's picture is untouched
        }
    }
    EXPECT_GT(prueba::Diferencia(prueba::TransformarLCMS(imagen, srgb, papel, INTENT_ABSOLUTE_COLORIMETRIC, false),
                                 prueba::TransformarLCMS(imagen, srgb, papel, INTENT_RELATIVE_COLORIMETRIC, false)),
              4); // so the intent really reached the engine
    Archivos::Borrar(copia);
}

TEST_F(Conversion, SinLittleCMSYFallos)
{
    const QImage imagen = prueba::Patron(300, 4);
    const QString basura = dir.filePath("color/roto.icc");
    QFile f(basura);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(300, 'x'));
    f.close();
    const QString lab = prueba::Guardar(cmsCreateLab4Profile(nullptr), dir.filePath("color/lab.icc"));
    const QString sinLCMS = "No se encuentra la biblioteca Little CMS (liblcms2.so.2).",
                  bpc = "La compensacion de punto negro necesita la biblioteca Little CMS (liblcms2.so.2).",
                  noAbre = "No se pudieron abrir los perfiles ICC.",
                  noAbreLCMS = "No se pudieron abrir los perfiles ICC con LittleCMS.",
                  noPerfil = "No se encontro el perfil de impresora.",
                  noTransf = "No se pudo crear la transformacion ICC con LittleCMS.";
    const struct {
        const char *caso;
        bool lcms, bpc;
        QString impresora;
        int32_t ancho;
        QString texto; // "" converts; with Qt, within 2 levels of Little CMS
    } casos[] = {
        {"Qt converts matrix profiles", false, false, "ancho.icc", 300, ""},
        {"compensation needs Little CMS", false, true, "ancho.icc", 300, bpc},
        {"Qt cannot read lookup tables", false, false, tablas, 300, noAbre},
        {"Little CMS fails to open, Qt's text counts", true, false, basura, 300, noAbre},
        {"Little CMS fails to open, with compensation", true, true, basura, 300, noAbreLCMS},
        {"a Lab profile is no printer profile", true, true, lab, 300, noTransf},
        {"wider than the picture", true, false, "ancho.icc", 301, "No se pudo copiar el bitmap origen ICC."},
    };
    for (const auto &c : casos) {
        modLCMS::FijarBusquedaSistema(c.lcms);
        QString msg = "x";
        const QImage r = ConvertirICC(imagen, c.ancho, 4, "prueba", "", c.impresora, 0, c.bpc, msg);
        EXPECT_EQ(msg, c.texto) << c.caso;
        EXPECT_EQ(r.isNull(), !c.texto.isEmpty()) << c.caso;
        if (!r.isNull() && !c.lcms) {
            EXPECT_LE(prueba::Diferencia(r, prueba::TransformarLCMS(imagen, srgb, ancho, INTENT_RELATIVE_COLORIMETRIC, false)), 2)
                << c.caso;
        }
    }
    QFile::remove(srgb); // the fallback of every missing profile is missing too
    QString msg;
    EXPECT_TRUE(ConvertirICC(imagen, 300, 4, "prueba", "", "", 0, false, msg).isNull());
    EXPECT_EQ(msg, noPerfil);
    modLCMS::FijarBusquedaSistema(false);
    EXPECT_TRUE(ConvertirICCConLCMS(imagen, 300, 4, "prueba", "", "ancho.icc", 0, false, msg).isNull());
    EXPECT_EQ(msg, sinLCMS);
}
