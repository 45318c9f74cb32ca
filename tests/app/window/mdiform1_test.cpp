// The main window: its menus in either language, Exit, its single windows,
// the About box and the manual; and the end the system asks for by a signal
// (a logout, a shutdown, Ctrl+C), which goes as Exit does.

#include "app/acercade.h"
#include "app/appstate.h"
#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/senales.h"
#include "imaging/cargar.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "support/imagen.h"
#include "support/scripted.h"

#include <QAction>
#include <QLabel>
#include <QLockFile>
#include <QMdiArea>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    // Each case starts in Spanish, whatever an earlier case stored.
    void SetUp() override { Archivos::FijarCarpetaPrograma(carpeta.path()), Ajustes::SaveSetting("Config", "idioma", "es"), modIdioma::Idioma = "es"; }
    void TearDown() override { Archivos::FijarCarpetaPrograma(QString()); }
    QTemporaryDir carpeta;
};

QAction *Accion(MDIForm1 &m, const char *nombre) { return m.findChild<QAction *>(QString::fromLatin1(nombre)); }

QStringList CaptionsBarra(MDIForm1 &m)
{
    QStringList l;
    for (QAction *a : m.menuBar()->actions()) l << a->text();
    return l;
}

// Loads a sample with an embedded profile; the path of the profile's copy.
QString MuestraConPerfil()
{
    FIBITMAP *b = prueba::Color24(5, 3, [](int x, int y) { return uint32_t(x * 40 + y); });
    prueba::Incrustar(b, prueba::PerfilDesc("Perfil"));
    modImage::CargarMuestra(prueba::Guardar(b, FIF_TIFF, "muestra.tif"), nullptr);
    return modImage::RutaPerfilICCTemp();
}

} // namespace

TEST_F(MainWindowTest, ArrancaEnEspanolYElInglesSobreviveAlReinicio)
{
    Ajustes::SaveSetting("Config", "idioma", "EN");
    {
        MDIForm1 m;
        EXPECT_EQ((std::pair{m.windowTitle(), m.VersionApp()}), (std::pair{QString("ZOLV Halvora"), QString("1.01")}));
        EXPECT_EQ(CaptionsBarra(m),
                  (QStringList{"|", "&Generar carta grises", "|", "Evaluar &escaneo y generar curva", "|",
                               "Editar &curva e imprimir imagen", "|", "Idioma / Language", "|", "&Ayuda", "|",
                               "&Acerca de...", "|", "&Salir", "|"}));
        EXPECT_EQ(Accion(m, "mnuAyudaUso")->text(), "Cómo usar el programa");
        EXPECT_TRUE(Accion(m, "mnuIdiomaEs")->isChecked());
        EXPECT_TRUE(m.AreaMDI()->subWindowList().isEmpty()); // no child window at start

        // Clicking the current language keeps its check mark.
        for (int i = 0; i < 2; ++i) Accion(m, "mnuIdiomaEn")->trigger();
        EXPECT_EQ(CaptionsBarra(m),
                  (QStringList{"|", "&Generate grayscale chart", "|", "Evaluate &scan and generate curve", "|",
                               "Edit &curve and print image", "|", "Language / Idioma", "|", "&Help", "|", "&About...",
                               "|", "E&xit", "|"}));
        EXPECT_EQ(Accion(m, "mnuAyudaUso")->text(), "How to use the program");
        EXPECT_EQ((std::pair{Accion(m, "mnuIdiomaEs")->isChecked(), Accion(m, "mnuIdiomaEn")->isChecked()}), (std::pair{false, true}));
    }
    modIdioma::Idioma = QString();
    MDIForm1 m2;
    EXPECT_EQ((std::pair{modIdioma::Idioma, Accion(m2, "mnuSalir")->text()}), (std::pair{QString("en"), QString("E&xit")}));
}

TEST_F(MainWindowTest, SalirPreguntaYLaCopiaDelPerfilSeBorraAlTerminar)
{
    CajasGuionadas cajas;
    // Either way out: the Exit menu (No first), the close box (which asks nothing).
    for (const bool menu : {true, false}) {
        SCOPED_TRACE(menu);
        MDIForm1 m;
        int fin = 0;
        m.FinPrograma = [&fin] { ++fin; };
        m.show();
        QWidget *acerca = m.MostrarVentana("frmAcercaDe");
        ASSERT_NE(acerca, nullptr);
        const QString copia = MuestraConPerfil();
        ASSERT_TRUE(!copia.isEmpty() && QFile::exists(copia));
        if (menu) {
            cajas.Responder(MsgBox::No);
            Accion(m, "mnuSalir")->trigger();
            ASSERT_EQ(cajas.llamadas.size(), 1);
            EXPECT_EQ((std::tuple{cajas.llamadas[0].texto, cajas.llamadas[0].titulo, cajas.llamadas[0].estilo}),
                      (std::tuple{QString("¿Desea salir de la aplicación?"), QString("Salir"),
                                  MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2}));
            EXPECT_TRUE(fin == 0 && modAppState::FormularioCargado("frmAcercaDe") && QFile::exists(copia));
            // Yes unloads every window, hidden ones included, then ends.
            acerca->parentWidget()->hide();
            cajas.Responder(MsgBox::Yes);
            m.mnuSalir_Click();
        } else {
            m.close();
        }
        EXPECT_EQ(cajas.llamadas.size(), 2);
        EXPECT_EQ((std::tuple{fin, modAppState::FormularioCargado("frmAcercaDe"), QFile::exists(copia), modImage::RutaPerfilICCTemp()}),
                  (std::tuple{1, false, false, QString()}));
        EXPECT_EQ(prueba::Temporales("zolv_icc_"), QStringList());
    }
}

TEST_F(MainWindowTest, VentanasUnicasYAcercaDe)
{
    ShellGuionado shell;
    MDIForm1 m;
    m.show();
    auto *a = static_cast<frmAcercaDe *>(m.MostrarVentana("frmAcercaDe"));
    EXPECT_EQ(m.MostrarVentana("frmAcercaDe"), a);
    EXPECT_EQ(m.AreaMDI()->subWindowList().size(), 1);
    // The About box reads the frame's texts; its caption is set only by a language change.
    EXPECT_EQ((std::pair{a->findChild<QLabel *>("lblVersion")->text(), a->findChild<QLabel *>("lblWeb")->text()}),
              (std::pair{QString("Vers. 1.01"), m.WebApp()}));
    modIdioma::CambiarIdioma("en");
    EXPECT_EQ(a->windowTitle(), "About...");
    modIdioma::CambiarIdioma("es");
    EXPECT_EQ(a->windowTitle(), "Acerca de...");
    a->AbrirPaginaWeb();
    EXPECT_EQ(shell.abiertos, QStringList{m.WebApp()});
}

TEST_F(MainWindowTest, ManualPorIdiomaConReservaEspanola)
{
    ShellGuionado shell;
    CajasGuionadas cajas;
    MDIForm1 m;
    m.MostrarManual(); // no manual at all: nothing happens
    const QString es = carpeta.filePath("ayuda/halvora_manual_es.html"), en = carpeta.filePath("ayuda/halvora_manual_en.html");
    Poner(es, "<html></html>");
    modIdioma::CambiarIdioma("en");
    Accion(m, "mnuAyudaUso")->trigger(); // the Spanish one stands in
    Poner(en, "<html></html>");
    m.MostrarManual();
    modIdioma::CambiarIdioma("es");
    m.MostrarManual();
    EXPECT_EQ(shell.abiertos, QStringList({es, en, es}));
    EXPECT_TRUE(cajas.llamadas.isEmpty());

    // No browser or viewer: the user is told where the manual is.
    shell.exito = false;
    m.MostrarManual();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_TRUE(cajas.llamadas[0].texto.endsWith(":\r\n" + es));
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);
}

// Run by the test below as the program that gets the signal; nothing on its own.
TEST(Senales, ProgramaQueLaRecibe)
{
    const QString carpeta = qEnvironmentVariable("HALVORA_SENAL");
    if (carpeta.isEmpty()) GTEST_SKIP() << "run by Senales.TerminaComoSalir";
    const AlmacenEn almacen(carpeta);
    CajasGuionadas cajas;
    MDIForm1 m;
    Senales::Instalar(&m, [&m] { m.TerminarPorSenal(); });
    m.show();
    const QString copia = MuestraConPerfil();
    // The store is held by the test: the choice stays pending.
    m.findChild<QAction *>("mnuIdiomaEn")->trigger();
    // Renamed into place, so the test never reads it half written.
    Poner(carpeta + "/listo.parte", copia.toUtf8()), QFile::rename(carpeta + "/listo.parte", carpeta + "/listo");
    EXPECT_EQ(QCoreApplication::exec(), 0);
    // No box at the end, whatever the store did: nobody may be there.
    Poner(carpeta + "/cajas", QByteArray::number(cajas.llamadas.size()));
}

TEST(Senales, UnaOperacionLargaTerminaAntes)
{
    QWidget dueno;
    int fin = 0;
    Senales::Instalar(&dueno, [&fin] { ++fin; });
    {
        GuardaOcupado ocupado;
        ::raise(SIGTERM);
        QTest::qWait(200);
        EXPECT_EQ(fin, 0);
    }
    QTest::qWait(200);
    EXPECT_EQ(fin, 1);
}

TEST(Senales, TerminaComoSalir)
{
    for (int senal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(senal);
        QTemporaryDir d;
        const AlmacenEn almacen(d.path());
        QDir().mkpath(QFileInfo(Ajustes::RutaAlmacen()).path());
        QLockFile ocupado(Ajustes::RutaAlmacen() + ".lock");
        ASSERT_TRUE(ocupado.tryLock(0));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HALVORA_SENAL", d.path()), env.insert("TMPDIR", d.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=Senales.ProgramaQueLaRecibe"});
        for (int i = 0; i < 3000 && !QFile::exists(d.filePath("listo")); ++i) QThread::msleep(10);
        const QString copia = QString::fromUtf8(Leer(d.filePath("listo")));
        ASSERT_TRUE(QFile::exists(copia)) << copia.toStdString();
        // Freed before the end, but for the hang-up: the store still refuses.
        if (senal != SIGHUP) ocupado.unlock();
        ::kill(pid_t(p.processId()), senal);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(std::pair(p.exitStatus(), p.exitCode()), std::pair(QProcess::NormalExit, 0));
        EXPECT_FALSE(QFile::exists(copia));
        EXPECT_EQ(QSettings(Ajustes::RutaAlmacen(), QSettings::IniFormat).value("Config/idioma").toString(), senal != SIGHUP ? "en" : "");
        EXPECT_EQ(Leer(d.filePath("cajas")), "1"); // the store's refusal, told once during the run
    }
}
