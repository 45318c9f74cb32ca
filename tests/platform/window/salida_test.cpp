// Settings through the main window: what the store's lock kept from a save
// is written when the program ends, and switching the language with the
// temporary folder full loses none of the remembered folders.

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "support/scripted.h"
#include "support/sistema.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

class Salida : public ::testing::Test {
protected:
    void SetUp() override
    {
        Archivos::FijarCarpetaPrograma(carpeta.path());
        modIdioma::Idioma = QStringLiteral("es");
    }
    void TearDown() override
    {
        Archivos::FijarCarpetaPrograma(QString());
        modIdioma::Idioma = QStringLiteral("es");
    }
    static QString Guardado(const QString &clave)
    {
        return QSettings(Ajustes::RutaAlmacen(), QSettings::IniFormat).value(clave, "<nada>").toString();
    }
    static void Elegir(MDIForm1 &m, const char *idioma) { m.findChild<QAction *>(QString::fromLatin1(idioma))->trigger(); }

    QTemporaryDir carpeta;
    const AlmacenEn almacen{carpeta.filePath("config")};
};

} // namespace

TEST_F(Salida, LoQueElCandadoRetuvoSeEscribeAlCerrar)
{
    Ajustes::SaveSetting("Config", "idioma", "es");
    MDIForm1 m;
    int fin = 0;
    m.FinPrograma = [&fin] { ++fin; };
    m.show();
    // Another instance holds the store while English is chosen.
    QLockFile otra(Ajustes::RutaAlmacen() + ".lock");
    ASSERT_TRUE(otra.tryLock(0));
    Elegir(m, "mnuIdiomaEn");
    EXPECT_EQ(Guardado("Config/idioma"), "es");
    otra.unlock();
    m.close();
    EXPECT_EQ(fin, 1);
    EXPECT_EQ(Guardado("Config/idioma"), "en");
}

TEST_F(Salida, CambiarDeIdiomaConLaCarpetaTemporalLlena)
{
    const QString tmp = carpeta.filePath("tmp");
    QDir().mkpath(tmp);
    DiscoPequeno disco(tmp, 8);
    if (!disco.motivo.isEmpty()) GTEST_SKIP() << disco.motivo.toStdString();
    const struct { const char *seccion, *clave, *valor; } recordados[] = {
        {"DialogFolders", "Imagen", "/fotos/2026"}, {"DialogFolders", "Escaneo", "/escaneos"},
        {"DialogFolders", "Curva", "/curvas"},      {"Config", "idioma", "es"},
    };
    for (const auto &r : recordados) ASSERT_TRUE(Ajustes::SaveSetting(r.seccion, r.clave, r.valor));
    const QByteArray antes = Leer(Ajustes::RutaAlmacen());

    MDIForm1 m;
    m.FinPrograma = [] {};
    m.show();
    disco.Llenar();
    {
        const TemporalEn lleno(tmp);
        for (const char *idioma : {"mnuIdiomaEn", "mnuIdiomaEs", "mnuIdiomaEn"}) Elegir(m, idioma);
        EXPECT_EQ(Leer(Ajustes::RutaAlmacen()), antes);
        EXPECT_EQ(modIdioma::Idioma, "en");
    }
    // With a usable temporary folder at exit, everything is there, and the
    // language last chosen.
    m.close();
    for (const auto &r : recordados)
        EXPECT_EQ(Guardado(QString(r.seccion) + '/' + r.clave), QString(r.clave) == "idioma" ? "en" : r.valor) << r.clave;
}
