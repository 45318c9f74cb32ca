#include "app/appstate.h"
#include "app/idioma.h"
#include "app/progreso.h"
#include "app/ventanas.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// A loaded window that counts its re-captions.
class VentanaContadora : public QWidget, public ConIdioma {
public:
    explicit VentanaContadora(const QString &nombre)
    {
        setObjectName(nombre);
        Ventanas::Registrar(this);
    }
    ~VentanaContadora() override { Ventanas::Quitar(this); }
    void AplicarIdioma() override { ++veces; ultimo = T(QStringLiteral("es"), QStringLiteral("en")); }
    int veces = 0;
    QString ultimo;
};

QString Almacenado() { return Ajustes::GetSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("<nada>")); }

} // namespace

TEST(Idioma, TSoloIngleConEnExacto)
{
    modIdioma::Idioma = QString();
    EXPECT_EQ(T(QStringLiteral("hola"), QStringLiteral("hello")), QStringLiteral("hola"));
    modIdioma::Idioma = QStringLiteral("EN");
    EXPECT_EQ(T(QStringLiteral("hola"), QStringLiteral("hello")), QStringLiteral("hola"));
    modIdioma::Idioma = QStringLiteral("en");
    EXPECT_EQ(T(QStringLiteral("hola"), QStringLiteral("hello")), QStringLiteral("hello"));
    modIdioma::Idioma = QStringLiteral("es");
    EXPECT_EQ(T(QStringLiteral("hola"), QStringLiteral("hello")), QStringLiteral("hola"));
}

TEST(Idioma, CargaNormaliza)
{
    const struct { const char *guardado; const char *idioma; } casos[] = {
        {"en", "en"}, {"es", "es"}, {"EN", "es"}, {"english", "es"}, {"fr", "es"}, {"", "es"}};
    for (const auto &c : casos) {
        Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QString::fromLatin1(c.guardado));
        modIdioma::CargarIdioma();
        EXPECT_EQ(modIdioma::Idioma, QString::fromLatin1(c.idioma)) << c.guardado;
    }
    // Absent setting: Spanish.
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZOLV Halvora"), QStringLiteral("ZOLV Halvora")).clear();
    modIdioma::CargarIdioma();
    EXPECT_EQ(modIdioma::Idioma, QStringLiteral("es"));
}

TEST(Idioma, CambioNormalizaGuardaYRecaptionaOcultas)
{
    modIdioma::Idioma = QStringLiteral("es");
    Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("es"));
    VentanaContadora visible(QStringLiteral("frmUno"));
    VentanaContadora oculta(QStringLiteral("frmDos"));
    QWidget sinIdioma; // the progress window's kind: skipped silently
    sinIdioma.setObjectName(QStringLiteral("frmTres"));
    Ventanas::Registrar(&sinIdioma);
    visible.show();

    modIdioma::CambiarIdioma(QStringLiteral("  EN "));
    EXPECT_EQ(modIdioma::Idioma, QStringLiteral("en"));
    EXPECT_EQ(Almacenado(), QStringLiteral("en"));
    EXPECT_EQ(visible.veces, 1);
    EXPECT_EQ(oculta.veces, 1);
    EXPECT_EQ(oculta.ultimo, QStringLiteral("en"));

    // The current language again: nothing stored, nobody touched.
    Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("marca"));
    modIdioma::CambiarIdioma(QStringLiteral("en"));
    EXPECT_EQ(Almacenado(), QStringLiteral("marca"));
    EXPECT_EQ(visible.veces, 1);

    // Any other code means Spanish.
    modIdioma::CambiarIdioma(QStringLiteral("de"));
    EXPECT_EQ(modIdioma::Idioma, QStringLiteral("es"));
    EXPECT_EQ(Almacenado(), QStringLiteral("es"));
    EXPECT_EQ(oculta.veces, 2);
    Ventanas::Quitar(&sinIdioma);
}

TEST(AppState, FormularioCargadoSinMayusculas)
{
    EXPECT_FALSE(modAppState::FormularioCargado(QStringLiteral("frmEditarAplicarCurva")));
    {
        VentanaContadora v(QStringLiteral("frmEditarAplicarCurva"));
        EXPECT_TRUE(modAppState::FormularioCargado(QStringLiteral("FRMEDITARAPLICARCURVA")));
    }
    EXPECT_FALSE(modAppState::FormularioCargado(QStringLiteral("frmEditarAplicarCurva")));
}

TEST(AppState, CarpetasRecordadas)
{
    QTemporaryDir d;
    const QString carpeta = d.filePath(QStringLiteral("curvas"));
    ASSERT_TRUE(QDir().mkpath(carpeta));
    modAppState::GuardarCarpetaDialogo(QStringLiteral("Curva"), carpeta + QStringLiteral("/mi.acv"));
    EXPECT_EQ(modAppState::LeerCarpetaDialogo(QStringLiteral("Curva")), carpeta);
    EXPECT_EQ(Ajustes::GetSetting(QStringLiteral("DialogFolders"), QStringLiteral("Curva")), carpeta);

    // A bare name, or a path whose only separator is the first character, stores nothing.
    modAppState::GuardarCarpetaDialogo(QStringLiteral("Curva"), QStringLiteral("suelto.acv"));
    modAppState::GuardarCarpetaDialogo(QStringLiteral("Curva"), QStringLiteral("/raiz.acv"));
    EXPECT_EQ(modAppState::LeerCarpetaDialogo(QStringLiteral("Curva")), carpeta);

    // A file of that name is not a folder; a vanished folder is not offered.
    const QString fichero = d.filePath(QStringLiteral("fichero"));
    QFile f(fichero);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    modAppState::GuardarCarpetaDialogo(QStringLiteral("Imagen"), fichero + QStringLiteral("/x.jpg"));
    EXPECT_EQ(modAppState::LeerCarpetaDialogo(QStringLiteral("Imagen")), QString());
    ASSERT_TRUE(QDir(carpeta).removeRecursively());
    EXPECT_EQ(modAppState::LeerCarpetaDialogo(QStringLiteral("Curva")), QString());
    EXPECT_EQ(modAppState::LeerCarpetaDialogo(QStringLiteral("Escaneo")), QString());
}

TEST(Progreso, VentanaLimitaElPorcentaje)
{
    frmProgresoCarga *p = frmProgresoCarga::Mostrar(QStringLiteral("Cargando imagen..."));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->Mensaje(), QStringLiteral("Cargando imagen..."));
    EXPECT_EQ(p->Valor(), 0);
    p->PonerProgreso(150);
    EXPECT_EQ(p->Valor(), 100);
    p->PonerProgreso(-5);
    EXPECT_EQ(p->Valor(), 0);
    Progreso::Informar(QStringLiteral("Aplicando"), 42);
    EXPECT_EQ(p->Valor(), 42);
    EXPECT_EQ(p->Mensaje(), QStringLiteral("Aplicando"));
    EXPECT_TRUE(modAppState::FormularioCargado(QStringLiteral("frmProgresoCarga")));
    frmProgresoCarga::Descargar();
    EXPECT_EQ(frmProgresoCarga::Instancia(), nullptr);
    EXPECT_FALSE(modAppState::FormularioCargado(QStringLiteral("frmProgresoCarga")));
    Progreso::Informar(50); // nothing registered: nothing happens
}

TEST(AppState, ExtensionForzadaPreguntaEnElIdiomaActual)
{
    Dialogos::Peticion p;
    modIdioma::Idioma = QStringLiteral("en");
    modAppState::ForzarExtension(p);
    EXPECT_TRUE(p.forzarExtension);
    EXPECT_EQ(p.textoReemplazar.arg(QStringLiteral("/x.acv")),
              QStringLiteral("The file already exists:\r\n/x.acv\r\nDo you want to replace it?"));
    modIdioma::Idioma = QStringLiteral("es");
    modAppState::ForzarExtension(p);
    EXPECT_TRUE(p.textoReemplazar.startsWith(QStringLiteral("El archivo ya existe:")));
}
