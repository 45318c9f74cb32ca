// Every writer (curve export, chart, processed image, settings) on a full
// disk, through a symbolic link, onto a read-only file and into a folder
// that refuses new files: the old file is never damaged, the user is told
// the system's reason, and no temporary file is left behind.

#include "curves/archivoscurva.h"
#include "imaging/guardar.h"
#include "imaging2/ayuda_imagen.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "support/scripted.h"
#include "support/sistema.h"
#include "windows/chart/guardarcarta.h"

#include <FreeImage.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Escritor {
    QString nombre; // the file written
    // The message the user sees: %1 the path, %2 the reason; "" for none.
    QString mensaje;
    std::function<bool(const QString &ruta, QString &mensaje)> escribir;
};

// Runs a writer that speaks through message boxes and returns the one box.
bool ConCaja(const std::function<bool()> &f, QString &mensaje)
{
    CajasGuionadas cajas;
    const bool ok = f();
    mensaje = cajas.llamadas.isEmpty() ? QString() : cajas.llamadas.last().texto;
    return ok;
}

std::vector<Escritor> Escritores()
{
    std::vector<Escritor> e;
    e.push_back({QStringLiteral("curva.acv"), QStringLiteral("No se pudo exportar la curva ACV: %2"),
                 [](const QString &r, QString &m) { return ConCaja([&] { return modEngine::ExportarCurvaACV(r); }, m); }});
    for (int i = 0; i < CartaGrises::kNumFormatos; ++i)
        e.push_back({QStringLiteral("carta.") + CartaGrises::FormatoDeIndice(i).extension, QStringLiteral("%2"),
                     [i](const QString &r, QString &m) {
                         QImage img(40, 30, QImage::Format_RGB32);
                         img.fill(QColor(90, 90, 90));
                         return CartaGrises::GuardarImagenCarta(img, r, i, 300, &m);
                     }});
    for (auto [fif, ext] : {std::pair{FIF_BMP, "bmp"}, {FIF_JPEG, "jpg"}, {FIF_PNG, "png"}, {FIF_TIFF, "tif"}, {FIF_WEBP, "webp"}})
        e.push_back({QStringLiteral("imagen.") + QLatin1String(ext), QStringLiteral("Error al guardar la imagen en:\r\n%1\r\n%2"),
                     [fif](const QString &r, QString &m) {
                         PonerMuestra(37, 23, Aleatorio(37, 23, 7));
                         return ConCaja([&] { return modImage::GuardarImagenProcesada(r, fif, 0); }, m);
                     }});
    // The settings store lives where QSettings is pointed (see Almacen below).
    e.push_back({QStringLiteral("ZOLV Halvora/ZOLV Halvora.ini"), QString(), [](const QString &, QString &m) {
                     m.clear();
                     return Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("en"));
                 }});
    return e;
}

QByteArray Leer(const QString &r)
{
    QFile f(r);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no existe)");
}
void Poner(const QString &r, const QByteArray &b)
{
    QDir().mkpath(QFileInfo(r).absolutePath());
    QFile f(r);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(b) == b.size());
}
QStringList Contenido(const QString &carpeta)
{
    QStringList l = QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::System);
    l.removeAll(QStringLiteral(".relleno"));
    return l;
}
// Temporary files left in a folder.
QStringList Restos(const QString &carpeta) { return Contenido(carpeta).filter(QRegularExpression(QStringLiteral("^\\.|tmp"))); }
// What the user reads: %1 the path, %2 the reason.
std::string Mensaje(const QString &plantilla, const QString &ruta, const QString &motivo)
{
    return QString(plantilla).replace(QStringLiteral("%1"), ruta).replace(QStringLiteral("%2"), motivo).toStdString();
}
// The settings store in this folder for the life of the object.
struct Almacen {
    explicit Almacen(const QString &carpeta) { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, carpeta); }
    ~Almacen() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME")); }
};

class Escritura : public Motor {};

} // namespace

TEST_F(Escritura, DiscoLlenoNoDanaNadaYDiceElMotivo)
{
    const QByteArray viejo("[Config]\nidioma=es"); // 18 bytes, a settings store too
    QTemporaryDir dir;
    // A tmpfs of 200 KB as root; elsewhere the writers' own writes fail.
    for (bool real : {true, false}) {
        const QString carpeta = dir.filePath(real ? QStringLiteral("tmpfs") : QStringLiteral("simulado"));
        QDir().mkpath(carpeta);
        std::optional<DiscoPequeno> disco;
        if (real) {
            disco.emplace(carpeta, 200);
            if (!disco->Montado()) {
                std::cout << "[ SKIPPED  ] full tmpfs: " << disco->Motivo().toStdString() << "\n";
                continue;
            }
        }
        const Almacen almacen(carpeta + QStringLiteral("/reemplazado"));
        for (const Escritor &e : Escritores()) Poner(carpeta + QStringLiteral("/reemplazado/") + e.nombre, viejo);
        QDir().mkpath(carpeta + QStringLiteral("/nuevo/ZOLV Halvora"));
        if (real) disco->Llenar();
        else Archivos::SimularFalloEscritura(ENOSPC, 10);
        for (const char *caso : {"reemplazado", "nuevo"}) {
            for (const Escritor &e : Escritores()) {
                const QString r = carpeta + u'/' + QLatin1String(caso) + u'/' + e.nombre;
                SCOPED_TRACE((r + (real ? " tmpfs" : " simulado")).toStdString());
                if (e.mensaje.isEmpty() && QLatin1String(caso) == QLatin1String("nuevo")) continue; // one store
                const QByteArray antes = Leer(r);
                QString mensaje;
                EXPECT_FALSE(e.escribir(r, mensaje));
                EXPECT_EQ(mensaje.toStdString(), Mensaje(e.mensaje, r, QStringLiteral("No queda espacio en el disco")));
                EXPECT_EQ(Leer(r), antes);
                EXPECT_EQ(Restos(QFileInfo(r).absolutePath()), QStringList());
            }
        }
        Archivos::SimularFalloEscritura(0);
        // A settings value that did not reach the disk stays for the session
        // and is written once the disk has room again.
        EXPECT_EQ(Ajustes::GetSetting(QStringLiteral("Config"), QStringLiteral("idioma")), QStringLiteral("en"));
        QFile::remove(carpeta + QStringLiteral("/.relleno"));
        EXPECT_TRUE(Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("otra"), QStringLiteral("1")));
        const QByteArray ini = Leer(Ajustes::RutaAlmacen());
        EXPECT_TRUE(ini.contains("idioma=en") && ini.contains("otra=1")) << ini.toStdString();
    }
}

TEST_F(Escritura, EnlaceSoloLecturaYCarpetaCerrada)
{
    const QByteArray viejo("[Config]\nidioma=es");
    // Where an ordinary user can reach (the tests' own folder is root's alone).
    QTemporaryDir dir(QStringLiteral("/tmp/halvora-escritura-XXXXXX")), temporal(QStringLiteral("/tmp/halvora-tmp-XXXXXX"));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    for (const Escritor &e : Escritores()) {
        SCOPED_TRACE(e.nombre.toStdString());
        const QString base = dir.filePath(QFileInfo(e.nombre).fileName());
        const QString nombre = QFileInfo(e.nombre).fileName();
        QString m;

        // A link is written through: the link stays, its file changes.
        const QString real = base + QStringLiteral("/datos/") + nombre, enlace = base + QStringLiteral("/enlaces/") + e.nombre;
        Poner(real, viejo);
        QDir().mkpath(QFileInfo(enlace).absolutePath());
        ASSERT_TRUE(QFile::link(real, enlace));
        {
            const Almacen almacen(base + QStringLiteral("/enlaces"));
            EXPECT_TRUE(e.escribir(enlace, m)) << m.toStdString();
        }
        EXPECT_TRUE(QFileInfo(enlace).isSymLink());
        EXPECT_NE(Leer(real), viejo);
        EXPECT_EQ(Contenido(QFileInfo(real).absolutePath()), QStringList{nombre});

        // A read-only file is refused, even to root.
        const QString fijo = base + QStringLiteral("/fijo/") + e.nombre;
        Poner(fijo, viejo);
        ASSERT_TRUE(QFile::setPermissions(fijo, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        {
            const Almacen almacen(base + QStringLiteral("/fijo"));
            EXPECT_FALSE(e.escribir(fijo, m));
        }
        EXPECT_EQ(m.toStdString(), Mensaje(e.mensaje, fijo, QStringLiteral("Permiso denegado: el fichero es de solo lectura")));
        EXPECT_EQ(Leer(fijo), viejo);
        EXPECT_EQ(Contenido(QFileInfo(fijo).absolutePath()), QStringList{nombre});

        // A folder that takes no new file: the file itself is written in place.
        if (e.mensaje.isEmpty()) continue; // the store also needs its lock file there
        const QString cerrada = base + QStringLiteral("/cerrada"), enSitio = cerrada + u'/' + nombre;
        Poner(enSitio, viejo + viejo + viejo); // longer than some new files: the rest goes
        struct stat st{};
        ASSERT_EQ(::chown(QFile::encodeName(enSitio).constData(), ComoOtroUsuario::Uid(), ComoOtroUsuario::Uid()), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(cerrada).constData(), 0555), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(temporal.path()).constData(), 0777), 0);
        ASSERT_EQ(::stat(QFile::encodeName(enSitio).constData(), &st), 0);
        const QByteArray tmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temporal.path()));
        bool ok;
        {
            ComoOtroUsuario nadie;
            ok = e.escribir(enSitio, m);
        }
        qputenv("TMPDIR", tmpdir);
        EXPECT_TRUE(ok) << m.toStdString();
        struct stat despues{};
        ASSERT_EQ(::stat(QFile::encodeName(enSitio).constData(), &despues), 0);
        EXPECT_EQ(despues.st_ino, st.st_ino);
        EXPECT_EQ(Contenido(cerrada), QStringList{nombre});
        EXPECT_TRUE(QDir(temporal.path()).isEmpty());
        EXPECT_TRUE(Leer(enSitio) == Leer(real)) << "in place as through the link";
        ::chmod(QFile::encodeName(cerrada).constData(), 0755);
    }
}
