// Settings at exit: what the store's lock kept from a save is told once and
// written at the end; stores that once refused every save take the language.
// A save killed at each step of writing in place leaves the file old, new or
// mixed, byte for byte; where it may be damaged the next start tells once where
// the old content is, and its cleanup takes only the program's scratch files.

#include "app/appstate.h"
#include "app/idioma.h"
#include "app/mdiform1.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "support/inyeccion/inyeccion.h"
#include "support/scripted.h"
#include "support/sistema.h"
#include "support/texto.h"

#include <QAction>
#include <QCoreApplication>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using Inyeccion::Llamada;

namespace {

const QByteArray kViejo = PatronBytes(150000, 'v'), kNuevo = PatronBytes(100000, 'n'), kIgual = PatronBytes(100000, 'i');

QStringList Ficheros(const QString &carpeta) { return QDir(carpeta).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

class Salida : public ::testing::Test {
protected:
    void SetUp() override { Archivos::FijarCarpetaPrograma(carpeta.path()), modIdioma::Idioma = "es"; }
    void TearDown() override { Archivos::FijarCarpetaPrograma(QString()), modIdioma::Idioma = "es"; }
    static QString Guardado(const QString &clave) { return QSettings(Ajustes::RutaAlmacen(), QSettings::IniFormat).value(clave, "<nada>").toString(); }
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
        // A save killed while writing in place: the end of the old text.
        {"line without '='", kOtros + "rvas/viejas\n", {}},
        // A save killed while making its lock file.
        {"empty lock file, its owner gone", kOtros, [](const QString &ruta) { Poner(ruta + ".lock", ""); }},
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
        EXPECT_EQ(Guardado("DialogFolders/Curva"), c.antes.isEmpty() ? "<nada>" : "/curvas");
        EXPECT_FALSE(Leer(ruta).startsWith("\xEF"));
        ::chmod(QFile::encodeName(QFileInfo(ruta).path()).constData(), 0755);
    }
}

// Run by the test below as the program that is killed; nothing on its own.
TEST(Interrumpido, GuardaHastaQueLoMaten)
{
    const QStringList paso = qEnvironmentVariable("HALVORA_MATAR").split(u'|');
    if (paso.size() != 4) GTEST_SKIP() << "run by Interrumpido.CadaPasoYElArranqueSiguiente";
    const QString destino = qEnvironmentVariable("HALVORA_DESTINO");
    const TemporalEn tmp(qEnvironmentVariable("HALVORA_TMP"));
    const Inyeccion::Fallos fallos({{Llamada::Abrir, QFile::encodeName(QFileInfo(destino).path() + "/."), 1, EACCES, true},
                                    {Llamada(paso[0].toInt()), paso[2].toUtf8(), paso[1].toInt(), 0, false, -1, false, paso[3].toInt()}});
    Archivos::EscribirSeguro(destino, [](Archivos::Flujo &f) { return f.Escribir(kNuevo.constData(), kNuevo.size()); });
    ADD_FAILURE() << "not killed";
}

TEST(Interrumpido, CadaPasoYElArranqueSiguiente)
{
    QTemporaryDir dir;
    const QString destino = dir.filePath("cerrada/foto.tif"), temporal = dir.filePath("tmp");
    const QString copias = dir.filePath("datos/ZOLV Halvora/copias");
    QDir().mkpath(temporal);
    const DatosEn datos(dir.filePath("datos"));
    const TemporalEn tmp(temporal);
    const struct {
        const char *paso;
        Llamada llamada;
        QString ruta;
        int n;
        QByteArray queda;
        bool aviso; // the next start tells where the old content is
        QByteArray antes = kViejo;
    } pasos[] = {
        {"new content", Llamada::Escribir, temporal, 1, kViejo, false},
        {"copy of the old content", Llamada::Escribir, copias, 1, kViejo, false},
        {"note", Llamada::Escribir, ".nota", 1, kViejo, false},
        {"first write in place", Llamada::Escribir, destino, 1, kViejo, true},
        {"second write in place", Llamada::Escribir, destino, 2, kNuevo.left(65536) + kViejo.mid(65536), true},
        // As long as the new content, and not it.
        {"second write in place, same length", Llamada::Escribir, destino, 2, kNuevo.left(65536) + kIgual.mid(65536), true, kIgual},
        {"length", Llamada::Truncar, destino, 1, kNuevo + kViejo.mid(100000), true},
        // The file is whole and new: nothing to tell, and the copy goes.
        {"sync", Llamada::Sincronizar, destino, 1, kNuevo, false},
    };
    // The program, stopped by a signal of its own at a call of a step.
    auto lanzar = [&](Llamada llamada, int n, const QString &ruta, int senal) {
        auto hijo = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HALVORA_MATAR", QString("%1|%2|%3|%4").arg(int(llamada)).arg(n).arg(ruta).arg(senal));
        env.insert("HALVORA_DESTINO", destino);
        env.insert("HALVORA_TMP", temporal);
        env.insert("TMPDIR", dir.path()); // the child's own folders, gone with ours
        hijo->setProcessEnvironment(env);
        hijo->setProcessChannelMode(QProcess::ForwardedChannels);
        hijo->start(QCoreApplication::applicationFilePath(), {"--gtest_filter=Interrumpido.GuardaHastaQueLoMaten"});
        return hijo;
    };
    CajasGuionadas cajas;
    for (const auto &p : pasos) {
        SCOPED_TRACE(p.paso);
        Poner(destino, p.antes);
        const auto hijo = lanzar(p.llamada, p.n, p.ruta, SIGKILL);
        ASSERT_TRUE(hijo->waitForFinished(60000));
        ASSERT_EQ(hijo->exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(Leer(destino), p.queda);

        // The next start, and the one after.
        const QStringList hay = QDir(copias).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        const QString copia = hay.isEmpty() ? QString() : copias + '/' + hay[0] + "/foto.tif";
        cajas.llamadas.clear();
        for (int arranque = 0; arranque < 2; ++arranque) MDIForm1 m;
        if (p.aviso) {
            ASSERT_EQ(cajas.llamadas.size(), 1);
            EXPECT_EQ(cajas.llamadas[0].texto, "No se terminó de guardar el fichero:\r\n" + destino + "\r\nSu contenido anterior está en:\r\n" + copia);
            EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
            EXPECT_EQ(Leer(copia), p.antes);
            QDir(copias).removeRecursively();
        } else {
            // Nothing was touched, or the new content is all there: the
            // copy goes unmentioned.
            EXPECT_EQ(cajas.llamadas.size(), 0);
            EXPECT_EQ(QDir(copias).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        }
        // The killed save's new content, held by nobody now, went at once.
        Archivos::EsperarLimpieza();
        EXPECT_EQ(Ficheros(temporal), QStringList());
    }

    // A save still running (held at its first write in place) is no
    // interrupted one: a start says nothing of it and leaves its new
    // content; once killed, the next start tells, and takes that content.
    Poner(destino, kViejo);
    const auto parado = lanzar(Llamada::Escribir, 1, destino, SIGSTOP);
    const QString estado = QString("/proc/%1/stat").arg(parado->processId());
    for (int i = 0; i < 6000 && Leer(estado).split(' ').value(2) != "T"; ++i) QThread::msleep(10);
    cajas.llamadas.clear();
    for (bool vivo : {true, false}) {
        MDIForm1 m;
        EXPECT_EQ(cajas.llamadas.size(), vivo ? 0 : 1) << vivo;
        Archivos::EsperarLimpieza();
        EXPECT_EQ(Ficheros(temporal).filter(QRegularExpression("^zolv_escritura_[0-9]+~zolv-[A-Za-z0-9]{6}\\.tmp$")).size(), vivo ? 1 : 0);
        parado->kill();
        parado->waitForFinished(60000);
    }
    QDir(copias).removeRecursively();

    // Nothing else goes: not a file of the user's (nor one whose tail is a
    // letter longer or shorter than ours, or with a letter among the tick
    // count's digits or a capital in its kind), nor another user's, nor one a
    // running instance holds; other scratch files (which a rename may leave
    // without their lock while in use) only once an hour old. The program's
    // scratch folder goes too.
    const QString escritura = "zolv_escritura_12~zolv-", icc = "zolv_icc_12~zolv-";
    const QString ajeno = Poner(temporal + '/' + escritura + "Otro01.tmp", "suyo"), usuario = Poner(temporal + "/zolv_notas_backup.tmp", "mias");
    const QString corto = Poner(temporal + '/' + escritura + "Corto.tmp", "mio"), largo = Poner(temporal + '/' + escritura + "Largo12.tmp", "mio");
    const QString letra = Poner(temporal + "/zolv_escritura_1x2~zolv-AbC123.tmp", "mio"), mayuscula = Poner(temporal + "/zolv_Escritura_12~zolv-AbC123.tmp", "mio");
    ASSERT_EQ(::chown(QFile::encodeName(ajeno).constData(), ComoOtroUsuario::Uid(), ComoOtroUsuario::Uid()), 0);
    const QString abierto = Archivos::CrearTemporal("zolv_icc_", ".icc"), enUso = Archivos::CrearTemporal("zolv_escritura_", ".tmp");
    const QString borrador = Poner(Archivos::CarpetaBorradores() + "/zolv_ini_1.ini", "x");
    const QString reciente = Poner(temporal + '/' + icc + "Recien.icc", "x"), nueva = Poner(temporal + '/' + escritura + "Nueva1.tmp", "x");
    for (const QString &f : {ajeno, usuario, corto, largo, letra, mayuscula, abierto, enUso, borrador, Poner(temporal + '/' + icc + "Viejo1.icc", "x")})
        Envejecer(f);
    ASSERT_TRUE(QFileInfo::exists(nueva));
    { MDIForm1 m; }
    Archivos::EsperarLimpieza();
    QStringList quedan{QFileInfo(ajeno).fileName(), QFileInfo(reciente).fileName(), QFileInfo(abierto).fileName(),
                       QFileInfo(enUso).fileName(), "zolv_notas_backup.tmp", QFileInfo(corto).fileName(), QFileInfo(largo).fileName(),
                       QFileInfo(letra).fileName(), QFileInfo(mayuscula).fileName()};
    quedan.sort();
    EXPECT_EQ(Ficheros(temporal), quedan);
    EXPECT_EQ(Ficheros(Archivos::CarpetaBorradores()), QStringList());
    EXPECT_TRUE(Archivos::Borrar(abierto));
    EXPECT_TRUE(Archivos::Borrar(enUso));
}
