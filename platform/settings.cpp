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

// QLockFile's own wait sleeps longer each time (0.1 s, 0.2 s, 0.4 s...) and
// keeps missing a store that other instances take for a few milliseconds at
// a time: this one tries every 10 ms.
bool Tomar(QLockFile &bloqueo, int esperaMs)
{
    const QDeadlineTimer plazo(esperaMs);
    while (!bloqueo.tryLock(0)) {
        if (plazo.hasExpired() || bloqueo.error() != QLockFile::LockFailedError) return false;
        QThread::msleep(10);
    }
    return true;
}

// A scratch file of the temporary folder, gone with it.
struct Borrador {
    QString ruta = Archivos::CrearTemporal(QStringLiteral("zolv_ini_"), QStringLiteral(".ini"));
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

// The store's text with every pending value set. QSettings writes it into a
// scratch copy in the temporary folder, where nothing else holds a lock, and
// says nothing when that write fails: the text is only taken when a second
// copy of it reads back with every key equal to what was meant. A store
// QSettings cannot read is not replaced by a guess.
bool TextoNuevo(const QByteArray &actual, QByteArray &nuevo)
{
    const Borrador escrito, leido;
    if (!escrito.Poner(actual)) return false;
    QVariantMap esperado;
    {
        QSettings s(escrito.ruta, QSettings::IniFormat);
        if (s.status() != QSettings::NoError) return false;
        esperado = Claves(s);
        for (auto it = Pendientes().cbegin(); it != Pendientes().cend(); ++it) {
            s.setValue(it.key(), it.value());
            esperado.insert(it.key(), it.value());
        }
        s.sync();
        if (s.status() != QSettings::NoError) return false;
    }
    if (!escrito.Tomar(nuevo) || !leido.Poner(nuevo)) return false;
    QSettings s(leido.ruta, QSettings::IniFormat);
    return s.status() == QSettings::NoError && Claves(s) == esperado;
}

// Writes every pending value under the store's lock, by the program's
// writing rule; false leaves them pending.
bool Escribir(int esperaMs)
{
    if (Pendientes().isEmpty()) return true;
    const QString ruta = RutaAlmacen();
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    // The lock QSettings takes, so that other instances keep out meanwhile.
    QLockFile bloqueo(ruta + QStringLiteral(".lock"));
    if (!Tomar(bloqueo, esperaMs)) return false;
    QByteArray actual;
    QFile f(ruta);
    if (f.exists()) {
        // An unreadable store is left alone rather than replaced by ours.
        if (!f.open(QIODevice::ReadOnly)) return false;
        actual = f.readAll();
        if (f.error() != QFileDevice::NoError) return false;
        f.close();
    }
    QByteArray nuevo;
    if (!TextoNuevo(actual, nuevo) || !Archivos::EscribirAtomico(ruta, nuevo)) return false;
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

bool SaveSetting(const QString &seccion, const QString &clave, const QString &valor)
{
    Pendientes().insert(seccion + u'/' + clave, valor);
    return Escribir(kEsperaBloqueoMs);
}

bool GuardarPendientes() { return Escribir(kEsperaSalidaMs); }

QString RutaAlmacen() { return Almacen().fileName(); }

} // namespace Ajustes
