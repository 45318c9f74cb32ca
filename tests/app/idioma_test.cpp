#include "app/appstate.h"
#include "app/idioma.h"
#include "app/progreso.h"
#include "app/ventanas.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// A loaded window that counts its re-captions.
class VentanaContadora : public QWidget, public ConIdioma {
public:
    explicit VentanaContadora(const QString &nombre) { setObjectName(nombre), Ventanas::Registrar(this); }
    ~VentanaContadora() override { Ventanas::Quitar(this); }
    void AplicarIdioma() override { ++veces; ultimo = T(QStringLiteral("es"), QStringLiteral("en")); }
    int veces = 0;
    QString ultimo;
};

QString Almacenado() { return Ajustes::GetSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("<nada>")); }

} // namespace

TEST(Idioma, TSoloIngleConEnExacto)
{
    for (const auto &[idioma, texto] : {std::pair{"", "hola"}, {"EN", "hola"}, {"en", "hello"}, {"es", "hola"}}) {
        modIdioma::Idioma = QString::fromLatin1(idioma);
        EXPECT_EQ(T(QStringLiteral("hola"), QStringLiteral("hello")), QString::fromLatin1(texto)) << idioma;
    }
}

TEST(Idioma, CargaNormaliza)
{
    // nullptr: no setting at all.
    const struct { const char *guardado; const char *idioma; } casos[] = {
        {"en", "en"}, {"es", "es"}, {"EN", "es"}, {"english", "es"}, {"fr", "es"}, {"", "es"}, {"en", "en"}, {nullptr, "es"},
    };
    for (const auto &c : casos) {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "ZOLV Halvora", "ZOLV Halvora").clear();
        if (c.guardado) Ajustes::SaveSetting("Config", "idioma", c.guardado);
        modIdioma::CargarIdioma();
        EXPECT_EQ(modIdioma::Idioma, QString::fromLatin1(c.idioma)) << (c.guardado ? c.guardado : "(none)");
    }
}

TEST(Idioma, CambioNormalizaGuardaYRecaptionaOcultas)
{
    modIdioma::Idioma = QStringLiteral("es");
    Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("es"));
    VentanaContadora visible(QStringLiteral("frmUno")), oculta(QStringLiteral("frmDos"));
    QWidget sinIdioma; // the progress window's kind: skipped silently
    sinIdioma.setObjectName(QStringLiteral("frmTres"));
    Ventanas::Registrar(&sinIdioma);
    visible.show();
    // Loaded by its name in any case, and only by its own.
    EXPECT_EQ((std::pair{modAppState::FormularioCargado("FRMDOS"), modAppState::FormularioCargado("frmCuatro")}), (std::pair{true, false}));

    modIdioma::CambiarIdioma(QStringLiteral("  EN "));
    EXPECT_EQ(QStringList({modIdioma::Idioma, Almacenado(), oculta.ultimo}), QStringList({"en", "en", "en"}));
    EXPECT_EQ((std::pair{visible.veces, oculta.veces}), (std::pair{1, 1}));
    // The current language again: nothing stored, nobody touched.
    Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("marca"));
    modIdioma::CambiarIdioma(QStringLiteral("en"));
    EXPECT_EQ((std::pair{Almacenado(), visible.veces}), (std::pair{QStringLiteral("marca"), 1}));
    // Any other code means Spanish.
    modIdioma::CambiarIdioma(QStringLiteral("de"));
    EXPECT_EQ((std::tuple{modIdioma::Idioma, Almacenado(), oculta.veces}), (std::tuple{QStringLiteral("es"), QStringLiteral("es"), 2}));
    Ventanas::Quitar(&sinIdioma);
}

TEST(AppState, CarpetasRecordadas)
{
    QTemporaryDir d;
    const QString carpeta = d.filePath(QStringLiteral("curvas"));
    ASSERT_TRUE(QDir().mkpath(carpeta));
    // A bare name, or a path whose only separator is the first character,
    // stores nothing; a file of that name is not a folder.
    const QString fichero = d.filePath(QStringLiteral("fichero"));
    ASSERT_TRUE(QFile(fichero).open(QIODevice::WriteOnly));
    for (const QString &r : {carpeta + "/mi.acv", QStringLiteral("suelto.acv"), QStringLiteral("/raiz.acv")})
        modAppState::GuardarCarpetaDialogo(QStringLiteral("Curva"), r);
    modAppState::GuardarCarpetaDialogo(QStringLiteral("Imagen"), fichero + QStringLiteral("/x.jpg"));
    EXPECT_EQ(QStringList({modAppState::LeerCarpetaDialogo("Curva"), Ajustes::GetSetting("DialogFolders", "Curva"),
                           modAppState::LeerCarpetaDialogo("Imagen")}),
              QStringList({carpeta, carpeta, QString()}));
    // A vanished folder is not offered.
    ASSERT_TRUE(QDir(carpeta).removeRecursively());
    EXPECT_EQ(modAppState::LeerCarpetaDialogo(QStringLiteral("Curva")) + modAppState::LeerCarpetaDialogo("Escaneo"), QString());
}

TEST(Progreso, VentanaLimitaElPorcentaje)
{
    frmProgresoCarga *p = frmProgresoCarga::Mostrar(QStringLiteral("Cargando imagen..."));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->isVisible() && modAppState::FormularioCargado(QStringLiteral("frmProgresoCarga")));
    EXPECT_EQ((std::pair{p->Mensaje(), p->Valor()}), (std::pair{QStringLiteral("Cargando imagen..."), 0}));
    for (const auto &[dado, visto] : {std::pair{150, 100}, {-5, 0}}) {
        p->PonerProgreso(dado);
        EXPECT_EQ(p->Valor(), visto) << dado;
    }
    Progreso::Informar(QStringLiteral("Aplicando"), 42);
    EXPECT_EQ((std::pair{p->Mensaje(), p->Valor()}), (std::pair{QStringLiteral("Aplicando"), 42}));
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
    EXPECT_EQ(p.textoReemplazar.arg("/x.acv"), "The file already exists:\r\n/x.acv\r\nDo you want to replace it?");
    modIdioma::Idioma = QStringLiteral("es");
    modAppState::ForzarExtension(p);
    EXPECT_TRUE(p.textoReemplazar.startsWith(QStringLiteral("El archivo ya existe:")));
}
