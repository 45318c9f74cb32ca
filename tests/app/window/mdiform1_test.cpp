#include "app/acercade.h"
#include "app/appstate.h"
#include "app/idioma.h"
#include "app/mdiform1.h"
#include "imaging/cargar.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "support/imagen.h"
#include "support/scripted.h"
#include "support/sistema.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(carpeta.isValid());
        Archivos::FijarCarpetaPrograma(carpeta.path());
        // Each case starts in Spanish, whatever an earlier case stored.
        Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("es"));
        modIdioma::Idioma = QStringLiteral("es");
    }
    void TearDown() override { Archivos::FijarCarpetaPrograma(QString()); }

    void Manual(const char *nombre) { Poner(carpeta.filePath(QStringLiteral("ayuda/") + QString::fromLatin1(nombre)), "<html></html>"); }

    static QString Texto(MDIForm1 &m, const char *nombre)
    {
        if (auto *a = m.findChild<QAction *>(QString::fromLatin1(nombre))) return a->text();
        if (auto *mm = m.findChild<QMenu *>(QString::fromLatin1(nombre))) return mm->title();
        return QStringLiteral("<no existe>");
    }

    QTemporaryDir carpeta;
};

QStringList CaptionsBarra(MDIForm1 &m)
{
    QStringList l;
    for (QAction *a : m.menuBar()->actions()) l << a->text();
    return l;
}

} // namespace

TEST_F(MainWindowTest, ArrancaEnEspanolYElInglesSobreviveAlReinicio)
{
    Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("EN"));
    {
        MDIForm1 m;
        EXPECT_EQ((std::pair{m.windowTitle(), m.VersionApp()}), (std::pair{QStringLiteral("ZOLV Halvora"), QStringLiteral("1.01")}));
        EXPECT_EQ(CaptionsBarra(m),
                  (QStringList{"|", "&Generar carta grises", "|", "Evaluar &escaneo y generar curva", "|",
                               "Editar &curva e imprimir imagen", "|", "Idioma / Language", "|", "&Ayuda", "|",
                               "&Acerca de...", "|", "&Salir", "|"}));
        EXPECT_EQ(Texto(m, "mnuAyudaUso"), QStringLiteral("Cómo usar el programa"));
        EXPECT_TRUE(m.findChild<QAction *>(QStringLiteral("mnuIdiomaEs"))->isChecked());
        EXPECT_TRUE(m.AreaMDI()->subWindowList().isEmpty()); // no child window at start

        // Clicking the current language keeps its check mark.
        for (int i = 0; i < 2; ++i) m.findChild<QAction *>(QStringLiteral("mnuIdiomaEn"))->trigger();
        EXPECT_EQ(CaptionsBarra(m),
                  (QStringList{"|", "&Generate grayscale chart", "|", "Evaluate &scan and generate curve", "|",
                               "Edit &curve and print image", "|", "Language / Idioma", "|", "&Help", "|", "&About...",
                               "|", "E&xit", "|"}));
        EXPECT_EQ(Texto(m, "mnuAyudaUso"), QStringLiteral("How to use the program"));
        EXPECT_FALSE(m.findChild<QAction *>(QStringLiteral("mnuIdiomaEs"))->isChecked());
        EXPECT_TRUE(m.findChild<QAction *>(QStringLiteral("mnuIdiomaEn"))->isChecked());
    }
    modIdioma::Idioma = QString();
    MDIForm1 m2;
    EXPECT_EQ((std::pair{modIdioma::Idioma, Texto(m2, "mnuSalir")}), (std::pair{QStringLiteral("en"), QStringLiteral("E&xit")}));
}

TEST_F(MainWindowTest, SalirPreguntaYNoCierraConNo)
{
    CajasGuionadas cajas;
    MDIForm1 m;
    int fin = 0;
    m.FinPrograma = [&fin] { ++fin; };
    m.show();
    QWidget *acerca = m.MostrarVentana(QStringLiteral("frmAcercaDe"));
    ASSERT_NE(acerca, nullptr);

    cajas.Responder(MsgBox::No);
    m.findChild<QAction *>(QStringLiteral("mnuSalir"))->trigger();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ((std::tuple{cajas.llamadas[0].texto, cajas.llamadas[0].titulo, cajas.llamadas[0].estilo}),
              (std::tuple{QStringLiteral("¿Desea salir de la aplicación?"), QStringLiteral("Salir"),
                          MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2}));
    EXPECT_TRUE(fin == 0 && modAppState::FormularioCargado(QStringLiteral("frmAcercaDe")));

    // Yes unloads every window, hidden ones included, then ends.
    acerca->parentWidget()->hide();
    cajas.Responder(MsgBox::Yes);
    m.mnuSalir_Click();
    EXPECT_TRUE(fin == 1 && !modAppState::FormularioCargado(QStringLiteral("frmAcercaDe")));
}

TEST_F(MainWindowTest, LaCopiaDelPerfilSeBorraAlTerminar)
{
    CajasGuionadas cajas;
    cajas.Responder(MsgBox::Yes);
    // Either way out: the Exit menu, the close box.
    for (const bool menu : {true, false}) {
        MDIForm1 m;
        int fin = 0;
        m.FinPrograma = [&fin] { ++fin; };
        m.show();
        FIBITMAP *b = prueba::Color24(5, 3, [](int x, int y) { return uint32_t(x * 40 + y); });
        prueba::Incrustar(b, prueba::PerfilDesc("Perfil"));
        modImage::CargarMuestra(prueba::Guardar(b, FIF_TIFF, "muestra.tif"), nullptr);
        const QString copia = modImage::RutaPerfilICCTemp();
        ASSERT_TRUE(!copia.isEmpty() && QFile::exists(copia));
        if (menu)
            m.mnuSalir_Click();
        else
            m.close();
        EXPECT_EQ((std::tuple{fin, QFile::exists(copia), modImage::RutaPerfilICCTemp()}), (std::tuple{1, false, QString()})) << menu;
        EXPECT_EQ(prueba::Temporales("zolv_icc_"), QStringList()) << menu;
    }
}

TEST_F(MainWindowTest, VentanasUnicasYAcercaDe)
{
    ShellGuionado shell;
    MDIForm1 m;
    m.show();
    auto *a = static_cast<frmAcercaDe *>(m.MostrarVentana(QStringLiteral("frmAcercaDe")));
    EXPECT_EQ(m.MostrarVentana(QStringLiteral("frmAcercaDe")), a);
    EXPECT_EQ(m.AreaMDI()->subWindowList().size(), 1);
    // The About box reads the frame's texts; its caption is set only by a language change.
    EXPECT_EQ((std::pair{a->findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), a->findChild<QLabel *>(QStringLiteral("lblWeb"))->text()}),
              (std::pair{QStringLiteral("Vers. 1.01"), m.WebApp()}));
    modIdioma::CambiarIdioma(QStringLiteral("en"));
    EXPECT_EQ(a->windowTitle(), QStringLiteral("About..."));
    modIdioma::CambiarIdioma(QStringLiteral("es"));
    EXPECT_EQ(a->windowTitle(), QStringLiteral("Acerca de..."));
    a->AbrirPaginaWeb();
    EXPECT_EQ(shell.abiertos, QStringList{m.WebApp()});
}

TEST_F(MainWindowTest, ManualPorIdiomaConReservaEspanola)
{
    ShellGuionado shell;
    CajasGuionadas cajas;
    MDIForm1 m;
    m.MostrarManual(); // no manual at all: nothing happens
    const QString es = carpeta.filePath(QStringLiteral("ayuda/halvora_manual_es.html")),
                  en = carpeta.filePath(QStringLiteral("ayuda/halvora_manual_en.html"));
    Manual("halvora_manual_es.html");
    modIdioma::CambiarIdioma(QStringLiteral("en"));
    m.findChild<QAction *>(QStringLiteral("mnuAyudaUso"))->trigger(); // the Spanish one stands in
    Manual("halvora_manual_en.html");
    m.MostrarManual();
    modIdioma::CambiarIdioma(QStringLiteral("es"));
    m.MostrarManual();
    EXPECT_EQ(shell.abiertos, QStringList({es, en, es}));
    EXPECT_TRUE(cajas.llamadas.isEmpty());

    // No browser or viewer: the user is told where the manual is.
    shell.exito = false;
    m.MostrarManual();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_TRUE(cajas.llamadas[0].texto.endsWith(QStringLiteral(":\r\n") + es));
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);
}
