// Settings through the main window: what the store's lock kept from a save
// is told once and written when the program ends, and stores that once
// refused every save take the language.

#include "app/appstate.h"
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

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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
    std::optional<DiscoPequeno> disco;
    std::optional<TemporalEn> lleno;
};

} // namespace

TEST_F(Salida, LoQueElCandadoRetuvoSeDiceUnaVezYSeEscribeAlCerrar)
{
    const QString kDicho = "The settings could not be saved: otra instancia del programa la tiene ocupada.";
    const QString kOtraVez = "\r\nIt will be tried again with the next change and on exit.";
    // Another instance holds the store while the language is chosen three
    // times and a file is chosen in a dialog: the user hears it once. Freed
    // before the end, the values are written at exit; held to the end,
    // the user hears it again, the values lost.
    for (bool libre : {true, false}) {
        SCOPED_TRACE(libre);
        Ajustes::SaveSetting("Config", "idioma", "es");
        CajasGuionadas cajas;
        DialogosGuionados dialogos;
        MDIForm1 m;
        int fin = 0;
        m.FinPrograma = [&fin] { ++fin; };
        m.show();
        QLockFile otra(Ajustes::RutaAlmacen() + ".lock");
        ASSERT_TRUE(otra.tryLock(0));
        for (const char *idioma : {"mnuIdiomaEn", "mnuIdiomaEs", "mnuIdiomaEn"}) Elegir(m, idioma);
        dialogos.Responder(carpeta.filePath("curvas/una.acv"));
        modAppState::DialogoConCarpeta({}, "Curva");
        EXPECT_EQ(Guardado("Config/idioma"), "es");
        ASSERT_EQ(cajas.llamadas.size(), 1);
        EXPECT_EQ(cajas.llamadas[0].texto, kDicho + kOtraVez);
        EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
        if (libre) otra.unlock();
        m.close();
        EXPECT_EQ(fin, 1);
        EXPECT_EQ(cajas.llamadas.size(), libre ? 1 : 2);
        if (libre) {
            EXPECT_EQ((std::pair{Guardado("Config/idioma"), Guardado("DialogFolders/Curva")}), (std::pair{QString("en"), carpeta.filePath("curvas")}));
        } else {
            EXPECT_EQ(cajas.llamadas.last().texto, kDicho);
        }
        otra.unlock();
        Ajustes::GuardarPendientes();
    }
}

// Stores that once kept every save out, through the real window: English
// is chosen, the program ends by Exit and starts again in English, every
// other key still there, and nobody told of a failure.
TEST_F(Salida, AlmacenesDificilesGuardanElIdioma)
{
    // Where an ordinary user can reach (the tests' own folder is root's alone).
    QTemporaryDir abierta("/tmp/halvora-salida-XXXXXX");
    ::chmod(QFile::encodeName(abierta.path()).constData(), 0777);
    const QByteArray kOtros = "[DialogFolders]\nCurva=/curvas\n";
    const struct Caso {
        const char *nombre;
        QByteArray antes;                        // the store's bytes ("" for none)
        std::function<void(const QString &)> preparar; // given the store's path
        bool comoOtro = false;                   // run as an ordinary user
    } casos[] = {
        {"byte-order mark", "\xEF\xBB\xBF" + kOtros, {}},
        {"read-only folder, writable store", kOtros,
         [](const QString &ruta) {
             ASSERT_EQ(::chown(QFile::encodeName(ruta).constData(), ComoOtroUsuario::Uid(), ComoOtroUsuario::Uid()), 0);
             ::chmod(QFile::encodeName(QFileInfo(ruta).path()).constData(), 0555);
         },
         true},
        {"dangling link", "",
         [](const QString &ruta) {
             QDir().mkpath(QFileInfo(ruta).path() + "/real");
             ASSERT_TRUE(QFile::link(QFileInfo(ruta).path() + "/real/halvora.ini", ruta));
         }},
        {"full temporary folder", kOtros,
         [this](const QString &) {
             const QString tmp = carpeta.filePath("tmp");
             QDir().mkpath(tmp);
             disco.emplace(tmp, 8);
             if (disco->motivo.isEmpty()) disco->Llenar();
             lleno.emplace(tmp);
         }},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nombre);
        const QString config = abierta.filePath(c.nombre);
        const AlmacenEn almacen(config);
        const DatosEn datos(config + " datos");
        const QString ruta = Ajustes::RutaAlmacen();
        if (c.antes.isEmpty()) QDir().mkpath(QFileInfo(ruta).path()); else Poner(ruta, c.antes);
        ::chmod(QFile::encodeName(config).constData(), 0777);
        if (c.preparar) c.preparar(ruta);
        {
            std::optional<ComoOtroUsuario> otro;
            if (c.comoOtro) otro.emplace();
            CajasGuionadas cajas;
            cajas.Responder(MsgBox::Yes);
            {
                MDIForm1 m;
                m.FinPrograma = [] {};
                m.show();
                Elegir(m, "mnuIdiomaEn");
                m.mnuSalir_Click();
            }
            modIdioma::Idioma.clear();
            MDIForm1 otra;
            EXPECT_EQ(modIdioma::Idioma, "en");
            EXPECT_EQ(cajas.llamadas.size(), 1) ; // the question to exit
        }
        lleno.reset(), disco.reset();
        EXPECT_EQ(Guardado("Config/idioma"), "en");
        if (!c.antes.isEmpty()) {
            EXPECT_EQ(Guardado("DialogFolders/Curva"), "/curvas");
        }
        EXPECT_FALSE(Leer(ruta).startsWith("\xEF"));
        ::chmod(QFile::encodeName(QFileInfo(ruta).path()).constData(), 0755);
    }
}
