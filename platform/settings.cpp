#include "platform/settings.h"

#include "platform/files.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSettings>
#include <QThread>
#include <QVariantMap>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Ajustes {

namespace {
QSettings Almacen()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZOLV Halvora"),
                     QStringLiteral("ZOLV Halvora"));
}

// Values kept for the session because the store could not take them yet.
QHash<QString, QString> &Pendientes()
{
    static QHash<QString, QString> p;
    return p;
}

// Another instance holds the lock for a few milliseconds at most; a lock
// that stays (a stale folder, a file of garbage) is waited for no longer.
constexpr int kEsperaBloqueoMs = 250;
// At exit there is time to wait for the others.
constexpr int kEsperaSalidaMs = 2000;

const QString kOcupado = QStringLiteral("otra instancia del programa la tiene ocupada");

// The store's lock. QSettings' own is a lock file beside the store; where
// the folder takes no new file but the store may be written, every instance
// locks the store itself instead. QLockFile's own wait sleeps longer each
// time (0.1 s, 0.2 s, 0.4 s...) and keeps missing a store that other
// instances take for a few milliseconds at a time: this one tries every 10 ms.
struct Candado {
    explicit Candado(const QString &ruta) : archivo(ruta + QStringLiteral(".lock")), almacen(ruta) {}
    ~Candado()
    {
        if (fd >= 0) ::close(fd);
    }
    // "" when taken, otherwise why not.
    QString Tomar(int esperaMs)
    {
        const QDeadlineTimer plazo(esperaMs);
        while (!archivo.tryLock(0)) {
            if (archivo.error() == QLockFile::PermissionError) return SobreElAlmacen(plazo);
            if (plazo.hasExpired() || archivo.error() != QLockFile::LockFailedError) return kOcupado;
            QThread::msleep(10);
        }
        return QString();
    }
    QString SobreElAlmacen(const QDeadlineTimer &plazo)
    {
        fd = ::open(QFile::encodeName(almacen).constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
        // No store and no room for one beside it: the folder is what refuses.
        if (fd < 0) return Archivos::MotivoSistema(errno == ENOENT ? EACCES : errno);
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (plazo.hasExpired() || errno != EWOULDBLOCK) return kOcupado;
            QThread::msleep(10);
        }
        return QString();
    }
    QLockFile archivo;
    QString almacen;
    int fd = -1;
};

// A scratch file of the program's scratch folder, gone with it.
struct Borrador {
    QString ruta = Archivos::CrearTemporal(QStringLiteral("zolv_ini_"), QStringLiteral(".ini"), Archivos::CarpetaBorradores());
    ~Borrador() { Archivos::Borrar(ruta); }
    // Every byte written and closed, or false.
    bool Poner(const QByteArray &bytes) const
    {
        QFile f(ruta);
        if (ruta.isEmpty() || !f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) return false;
        const bool ok = f.write(bytes) == bytes.size();
        f.close();
        return ok && f.error() == QFileDevice::NoError;
    }
    bool Tomar(QByteArray &bytes) const
    {
        QFile f(ruta);
        if (!f.open(QIODevice::ReadOnly)) return false;
        bytes = f.readAll();
        return f.error() == QFileDevice::NoError;
    }
};

QVariantMap Claves(QSettings &s)
{
    QVariantMap m;
    const QStringList claves = s.allKeys();
    for (const QString &k : claves) m.insert(k, s.value(k));
    return m;
}

bool No(QString *motivo, const QString &m)
{
    if (motivo) *motivo = m;
    return false;
}

// The store's text with every pending value set. QSettings writes it into a
// scratch copy, where nothing else holds a lock, and says nothing when a
// read or a write fails: what it read is only taken when a second copy of
// the old text reads the same, and the new text when a copy of it reads
// back with every key equal to what was meant. A store QSettings cannot
// read is not replaced by a guess.
bool TextoNuevo(const QByteArray &actual, QByteArray &nuevo, QString *motivo)
{
    const QString sinSitio = QStringLiteral("no se pudo escribir en la carpeta ") + Archivos::CarpetaBorradores();
    QDir().mkpath(Archivos::CarpetaBorradores());
    const Borrador escrito, original, leido;
    if (!escrito.Poner(actual) || !original.Poner(actual)) return No(motivo, sinSitio);
    QVariantMap esperado;
    {
        QSettings s(escrito.ruta, QSettings::IniFormat), o(original.ruta, QSettings::IniFormat);
        if (s.status() != QSettings::NoError || o.status() != QSettings::NoError)
            return No(motivo, QStringLiteral("el fichero ") + RutaAlmacen() + QStringLiteral(" está dañado y no se sustituye"));
        esperado = Claves(s);
        if (esperado != Claves(o)) return No(motivo, sinSitio);
        for (auto it = Pendientes().cbegin(); it != Pendientes().cend(); ++it) {
            s.setValue(it.key(), it.value());
            esperado.insert(it.key(), it.value());
        }
        s.sync();
        if (s.status() != QSettings::NoError) return No(motivo, sinSitio);
    }
    if (!escrito.Tomar(nuevo) || !leido.Poner(nuevo)) return No(motivo, sinSitio);
    QSettings s(leido.ruta, QSettings::IniFormat);
    if (s.status() == QSettings::NoError && Claves(s) == esperado) return true;
    return No(motivo, sinSitio);
}

// The store as it is: "" when there is none yet (a dangling link included),
// or nothing and why not.
bool Actual(const QString &ruta, QByteArray &actual, QString *motivo)
{
    const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno == ENOENT || No(motivo, Archivos::MotivoSistema(errno));
    Archivos::Flujo f(fd);
    char buf[16384];
    for (int64_t n; (n = f.Leer(buf, sizeof buf)) > 0;) actual.append(buf, int(n));
    const int64_t tamano = f.Tamano();
    ::close(fd);
    // An unreadable store is left alone rather than replaced by ours.
    if (f.Fallo()) return No(motivo, f.Motivo());
    if (actual.size() != tamano) return No(motivo, Archivos::MotivoSistema(EIO));
    // A byte-order mark (an editor's on another system) is no damage.
    if (actual.startsWith("\xEF\xBB\xBF")) actual.remove(0, 3);
    return true;
}

// Writes every pending value under the store's lock, by the program's
// writing rule; false leaves them pending.
bool Escribir(int esperaMs, QString *motivo)
{
    if (Pendientes().isEmpty()) return true;
    const QString ruta = RutaAlmacen();
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    Candado candado(ruta);
    const QString sinCandado = candado.Tomar(esperaMs);
    if (!sinCandado.isEmpty()) return No(motivo, sinCandado);
    QByteArray actual, nuevo;
    if (!Actual(ruta, actual, motivo) || !TextoNuevo(actual, nuevo, motivo) || !Archivos::EscribirAtomico(ruta, nuevo, motivo))
        return false;
    Pendientes().clear();
    return true;
}
} // namespace

QString GetSetting(const QString &seccion, const QString &clave, const QString &defecto)
{
    const QString k = seccion + u'/' + clave;
    const auto p = Pendientes().constFind(k);
    if (p != Pendientes().cend()) return p.value();
    // Reading takes no lock.
    QSettings s = Almacen();
    return s.value(k, defecto).toString();
}

bool SaveSetting(const QString &seccion, const QString &clave, const QString &valor, QString *motivo)
{
    Pendientes().insert(seccion + u'/' + clave, valor);
    return Escribir(kEsperaBloqueoMs, motivo);
}

bool GuardarPendientes(QString *motivo) { return Escribir(kEsperaSalidaMs, motivo); }

QString RutaAlmacen() { return Almacen().fileName(); }

} // namespace Ajustes
