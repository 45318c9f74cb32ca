#include "platform/settings.h"

#include "platform/candado.h"
#include "platform/files.h"
#include "platform/sonda.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QVariantMap>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

// Another instance holds the lock for a few milliseconds at most.
constexpr int kEsperaBloqueoMs = 250;
// At exit there is time to wait for the others.
constexpr int kEsperaSalidaMs = 2000;

// A failure whose error nobody told.
constexpr int kSinMotivo = -1;

// The whole of an open file, or the error; a read that ends before the
// file's size is an error too.
int LeerTodo(int fd, QByteArray &bytes)
{
    Archivos::Flujo f(fd);
    char buf[16384];
    for (int64_t n; (n = f.Leer(buf, sizeof buf)) > 0;) bytes.append(buf, int(n));
    if (f.Fallo()) return f.Error() ? f.Error() : EIO;
    return bytes.size() == f.Tamano() ? 0 : EIO;
}

// A scratch file of the program's scratch folder, gone with it. Each step
// gives 0 or its error.
struct Borrador {
    QString ruta = Archivos::CrearTemporal(QStringLiteral("zolv_ini_"), QStringLiteral(".ini"), Archivos::CarpetaBorradores());
    ~Borrador() { Archivos::Borrar(ruta); }
    int Poner(const QByteArray &bytes) const
    {
        if (ruta.isEmpty()) return kSinMotivo; // the folder says why
        const int fd = ::open(QFile::encodeName(ruta).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return errno;
        Archivos::Flujo f(fd);
        f.Escribir(bytes.constData(), bytes.size());
        const int e = f.Fallo() ? f.Error() : 0;
        // A disk that takes the data late reports a full disk here.
        return ::close(fd) != 0 && !e ? errno : e;
    }
    int Tomar(QByteArray &bytes) const
    {
        const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return errno;
        const int e = LeerTodo(fd, bytes);
        ::close(fd);
        return e;
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

// Why the scratch folder failed: its error, or none known.
QString MotivoBorradores(int e)
{
    const QString carpeta = Archivos::CarpetaBorradores();
    if (e == ENOSPC || e == EDQUOT) return Archivos::MotivoSistema(e) + QStringLiteral(" de la carpeta ") + carpeta;
    if (e > 0) return QStringLiteral("no se puede usar la carpeta ") + carpeta + QStringLiteral(": ") + Archivos::MotivoSistema(e);
    return QStringLiteral("no se pudo escribir en la carpeta ") + carpeta;
}

// The store's text with every pending value set. QSettings writes it into a
// scratch copy, where nothing else holds a lock, and says nothing when a
// read or a write fails: what it read is only taken when a second copy of
// the old text reads the same, and the new text when two copies of it read
// back alike with every key equal to what was meant. Lines QSettings
// cannot read (a save killed halfway leaves one without '=') are left out,
// as it leaves them; every key it reads is kept.
bool TextoNuevo(const QByteArray &actual, QByteArray &nuevo, QString *motivo)
{
    const QString carpeta = Archivos::CarpetaBorradores();
    // Qt's text is about as long as the old one and the values together.
    qint64 largo = actual.size();
    for (auto it = Pendientes().cbegin(); it != Pendientes().cend(); ++it) largo += (it.key() + it.value()).toUtf8().size();
    // A failure whose error nobody told: the folder, asked for that much,
    // says why when it can.
    const auto sinSitio = [&](int e) {
        if (e == kSinMotivo) e = Sonda(carpeta, largo);
        return No(motivo, MotivoBorradores(e ? e : kSinMotivo));
    };
    if (const int e = Archivos::CrearCarpeta(carpeta)) return sinSitio(e);
    const Borrador escrito, original, leido;
    int e = escrito.Poner(actual);
    if (!e) e = original.Poner(actual);
    if (e) return sinSitio(e);
    QVariantMap esperado;
    {
        QSettings s(escrito.ruta, QSettings::IniFormat), o(original.ruta, QSettings::IniFormat);
        // A copy it could not open reads empty (and takes no write).
        esperado = Claves(s);
        if (esperado != Claves(o)) return sinSitio(EIO);
        for (auto it = Pendientes().cbegin(); it != Pendientes().cend(); ++it) {
            s.setValue(it.key(), it.value());
            esperado.insert(it.key(), it.value());
        }
        // Once it has met a line it cannot read, its status no longer tells
        // a failed write: the text read back does.
        s.sync();
    }
    // The new text, read back from two copies of it (a read that fails
    // once reads differently).
    const Borrador otro;
    e = escrito.Tomar(nuevo);
    if (!e) e = leido.Poner(nuevo);
    if (!e) e = otro.Poner(nuevo);
    if (e) return sinSitio(e);
    QSettings s(leido.ruta, QSettings::IniFormat), t(otro.ruta, QSettings::IniFormat);
    const QVariantMap hay = Claves(s);
    if (hay != Claves(t)) return sinSitio(EIO);
    if (hay == esperado) return true;
    // A value of ours missing: Qt's write failed.
    for (auto it = Pendientes().cbegin(); it != Pendientes().cend(); ++it)
        if (hay.value(it.key()) != QVariant(it.value())) return sinSitio(kSinMotivo);
    // Some other key not as it was read: QSettings cannot write that key
    // back as it reads it, and it is not dropped unasked.
    const QStringList claves = esperado.keys() + hay.keys();
    for (const QString &k : claves)
        if (esperado.contains(k) != hay.contains(k) || esperado.value(k) != hay.value(k))
            return No(motivo, QStringLiteral("el fichero ") + RutaAlmacen() +
                                  QStringLiteral(" tiene una clave que no se puede volver a escribir igual: ") + k);
    return sinSitio(EIO); // not reached: the two differ
}

// The store as it is: "" when there is none yet (a dangling link included),
// or nothing and why not.
bool Actual(const QString &ruta, QByteArray &actual, QString *motivo)
{
    const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno == ENOENT || No(motivo, Archivos::MotivoSistema(errno));
    // An unreadable store, or one read short, is left alone rather than
    // replaced by ours.
    const int e = LeerTodo(fd, actual);
    ::close(fd);
    if (e) return No(motivo, Archivos::MotivoSistema(e));
    // A byte-order mark (an editor's on another system) is no damage.
    if (actual.startsWith("\xEF\xBB\xBF")) actual.remove(0, 3);
    return true;
}

// Writes every pending value under the store's lock, by the program's
// writing rule; false leaves them pending.
bool Escribir(int esperaMs, QString *motivo)
{
    if (Pendientes().isEmpty()) return true;
    const QString ruta = RutaAlmacen(), carpeta = QFileInfo(ruta).absolutePath();
    if (const int e = Archivos::CrearCarpeta(carpeta))
        return No(motivo, QStringLiteral("no se puede crear la carpeta ") + carpeta + QStringLiteral(": ") + Archivos::MotivoSistema(e));
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
