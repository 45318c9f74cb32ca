// The settings store is replaced only by content that read back complete: a
// failure at any write of the save (Qt's own included) or a full temporary
// folder leaves it as it was, the value held for the session; instances
// saving at once lose nothing.

#include "support/inyeccion/inyeccion.h"
#include "support/texto.h"
#include "platform/settings.h"
#include "support/sistema.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QThread>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>

using Inyeccion::Llamada;

namespace {

// Every key of the store as the program reads it.
QMap<QString, QString> Claves(const QString &ruta)
{
    QSettings s(ruta, QSettings::IniFormat);
    QMap<QString, QString> m;
    for (const QString &k : s.allKeys()) m.insert(k, s.value(k).toString());
    return m;
}

} // namespace

TEST(AjustesSeguros, UnFalloEnCadaEscrituraDejaElAlmacenComoEstaba)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.filePath("config"));
    const DatosEn datos(d.filePath("datos"));
    QMap<QString, QString> esperado; // 20 remembered values, about 15 bytes a key
    for (int i = 0; i < 20; ++i) {
        esperado.insert(QString("Recordado/Clave%1").arg(i), QString("/ruta/%1").arg(i));
        EXPECT_TRUE(Ajustes::SaveSetting("Recordado", QString("Clave%1").arg(i), QString("/ruta/%1").arg(i)));
    }
    const QString ruta = Ajustes::RutaAlmacen();
    // The k-th call of each kind in the save's folders fails (the store's
    // own, its lock, the scratch copies, Qt's writes to them), or a read of
    // the scratch copies ends early, for every k until a save passes
    // untouched.
    const QByteArray carpeta = QFile::encodeName(d.path()), borradores = QFile::encodeName(d.filePath("datos"));
    const struct { Llamada llamada; QByteArray donde; long corto; } tipos[] = {
        {Llamada::Abrir, carpeta, -1},       {Llamada::Escribir, carpeta, -1}, {Llamada::Truncar, carpeta, -1},
        {Llamada::Sincronizar, carpeta, -1}, {Llamada::Cerrar, carpeta, -1},   {Llamada::Leer, carpeta, -1},
        {Llamada::Leer, borradores, 0},
    };
    int fallidos = 0;
    for (const auto &t : tipos) {
        for (int k = 1; k < 100; ++k) {
            SCOPED_TRACE("call kind " + std::to_string(int(t.llamada)) + ", number " + std::to_string(k) + ", short " + std::to_string(t.corto));
            const QByteArray antes = Leer(ruta);
            const QString valor = QString("valor %1 %2 %3").arg(int(t.llamada)).arg(k).arg(t.corto);
            bool ok, disparada;
            {
                const Inyeccion::Fallos fallos({{t.llamada, t.donde, k, EIO, false, t.corto}});
                ok = Ajustes::SaveSetting("Config", "idioma", valor);
                disparada = fallos.Disparada();
            }
            // The whole store with the new value, or the store as it was
            // and the value held for the session.
            esperado["Config/idioma"] = valor;
            EXPECT_EQ(Ajustes::GetSetting("Config", "idioma"), valor);
            if (ok) {
                EXPECT_EQ(Claves(ruta), esperado);
            } else {
                EXPECT_EQ(Leer(ruta), antes);
            }
            fallidos += !ok;
            if (!disparada) {
                EXPECT_TRUE(ok);
                break;
            }
        }
    }
    EXPECT_GT(fallidos, 10);
    EXPECT_TRUE(Ajustes::GuardarPendientes());
}

TEST(AjustesSeguros, LoQueOtraInstanciaGuardaDespuesSeRespeta)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.filePath("config"));
    const int abiertos = QDir("/proc/self/fd").count();
    ASSERT_TRUE(Ajustes::SaveSetting("Config", "idioma", "en"));
    // Another instance stores its choice; this one saves something else.
    QSettings(Ajustes::RutaAlmacen(), QSettings::IniFormat).setValue("Config/idioma", "es");
    ASSERT_TRUE(Ajustes::SaveSetting("DialogFolders", "Curva", "/curvas"));
    EXPECT_EQ(QDir("/proc/self/fd").count(), abiertos);
    EXPECT_EQ(Claves(Ajustes::RutaAlmacen()), (QMap<QString, QString>{{"Config/idioma", "es"}, {"DialogFolders/Curva", "/curvas"}}));
    EXPECT_EQ(Ajustes::GetSetting("Config", "idioma"), "es");
}

TEST(AjustesSeguros, AlmacenesDeCualquierLargoConservanSusClaves)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.filePath("config"));
    // Lengths about the reader's blocks: the last read may bring one byte.
    for (const int largo : {1, 16383, 16384, 16385, 40001}) {
        const QByteArray relleno(std::max(0, largo - 13), 'a');
        Poner(Ajustes::RutaAlmacen(), largo < 13 ? QByteArray(largo, '\n') : "[Relleno]\nx=" + relleno + '\n');
        ASSERT_EQ(Leer(Ajustes::RutaAlmacen()).size(), largo);
        EXPECT_TRUE(Ajustes::SaveSetting("Config", "idioma", QString::number(largo)));
        QMap<QString, QString> esperado{{"Config/idioma", QString::number(largo)}};
        if (largo >= 13) esperado.insert("Relleno/x", relleno);
        EXPECT_EQ(Claves(Ajustes::RutaAlmacen()), esperado) << largo;
    }
}

TEST(AjustesSeguros, SinFicheroDeBloqueoSeBloqueaElAlmacen)
{
    // A folder that takes no new file, a store its user may write, as an
    // ordinary user (the tests' own folder is root's alone).
    QTemporaryDir d("/tmp/halvora-ajustes-XXXXXX");
    ::chmod(QFile::encodeName(d.path()).constData(), 0777);
    const AlmacenEn almacen(d.filePath("config"));
    const DatosEn datos(d.filePath("datos"));
    const QString ruta = Poner(Ajustes::RutaAlmacen(), "[Config]\nidioma=es\n");
    ASSERT_EQ(::chown(QFile::encodeName(ruta).constData(), ComoOtroUsuario::Uid(), ComoOtroUsuario::Uid()), 0);
    ::chmod(QFile::encodeName(QFileInfo(ruta).path()).constData(), 0555);
    ComoOtroUsuario nadie;
    // Another instance holds the store itself: the value waits, and says why.
    QFile otra(ruta);
    ASSERT_TRUE(otra.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(otra.handle(), LOCK_EX), 0);
    QString motivo;
    EXPECT_FALSE(Ajustes::SaveSetting("Config", "idioma", "en", &motivo));
    EXPECT_EQ(motivo, "otra instancia del programa la tiene ocupada");
    EXPECT_EQ(Leer(ruta), "[Config]\nidioma=es\n");
    otra.close();
    EXPECT_TRUE(Ajustes::GuardarPendientes());
    EXPECT_EQ(Claves(ruta), (QMap<QString, QString>{{"Config/idioma", "en"}}));
    EXPECT_EQ(QDir(QFileInfo(ruta).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(ruta).fileName()});
}

constexpr int kClaves = 3; // saved by each instance

// Waits (a minute at most) until the folder holds 'n' files of the pattern.
void Esperar(const QString &carpeta, const QString &patron, int n)
{
    for (int i = 0; i < 6000 && QDir(carpeta).entryList({patron}, QDir::Files).size() < n; ++i) QThread::msleep(10);
}

// Run as another instance by the test below; nothing on its own.
TEST(AjustesSeguros, GuardaComoOtraInstancia)
{
    const QString n = qEnvironmentVariable("HALVORA_INSTANCIA");
    if (n.isEmpty()) GTEST_SKIP() << "run by AjustesSeguros.SeisInstanciasAlaVez";
    const QString config = qEnvironmentVariable("HALVORA_INSTANCIA_CONFIG");
    const AlmacenEn almacen(config);
    // Ready; all start saving together.
    Poner(config + "/listo" + n, "");
    Esperar(config, "ya", 1);
    for (int j = 0; j < kClaves; ++j) Ajustes::SaveSetting("Instancia" + n, QString("clave%1").arg(j), QString("%1.%2").arg(n).arg(j));
    Poner(config + "/guardado" + n, "");
    // As the program does at exit.
    EXPECT_TRUE(Ajustes::GuardarPendientes());
}

TEST(AjustesSeguros, SeisInstanciasAlaVez)
{
    QTemporaryDir d;
    std::vector<std::unique_ptr<QProcess>> instancias;
    for (int i = 0; i < 6; ++i) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HALVORA_INSTANCIA", QString::number(i));
        env.insert("HALVORA_INSTANCIA_CONFIG", d.path());
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(), {"--gtest_filter=AjustesSeguros.GuardaComoOtraInstancia"});
        instancias.push_back(std::move(p));
    }
    const AlmacenEn almacen(d.path());
    Esperar(d.path(), "listo*", 6);
    {
        // A seventh instance holds the store until the first has made all
        // its saves (none could write): that one's values go at its exit.
        QDir().mkpath(QFileInfo(Ajustes::RutaAlmacen()).absolutePath());
        QLockFile septima(Ajustes::RutaAlmacen() + ".lock");
        ASSERT_TRUE(septima.tryLock(0));
        Poner(d.filePath("ya"), "");
        Esperar(d.path(), "guardado*", 1);
    }
    for (auto &p : instancias) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0);
    }
    const QMap<QString, QString> claves = Claves(Ajustes::RutaAlmacen());
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < kClaves; ++j)
            EXPECT_EQ(claves.value(QString("Instancia%1/clave%2").arg(i).arg(j)), QString("%1.%2").arg(i).arg(j));
}
