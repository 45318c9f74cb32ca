#include "platform/settings.h"

#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSettings>

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

// The store's text with every pending value set: QSettings writes it into a
// scratch copy in the temporary folder, where nothing else holds a lock. A
// store QSettings cannot read is not replaced by a guess.
bool TextoNuevo(const QByteArray &actual, QByteArray &nuevo)
{
    const QString copia = Archivos::CrearTemporal(QStringLiteral("zolv_ini_"), QStringLiteral(".ini"));
    if (copia.isEmpty()) return false;
    bool ok = Archivos::EscribirAtomico(copia, actual);
    if (ok) {
        QSettings s(copia, QSettings::IniFormat);
        for (auto it = Pendientes().cbegin(); it != Pendientes().cend(); ++it) s.setValue(it.key(), it.value());
        s.sync();
        ok = s.status() == QSettings::NoError;
    }
    QFile f(copia);
    ok = ok && f.open(QIODevice::ReadOnly);
    if (ok) nuevo = f.readAll();
    f.close();
    Archivos::Borrar(copia);
    return ok;
}

// Writes every pending value under the store's lock, by the program's
// writing rule; false leaves them pending.
bool Escribir()
{
    const QString ruta = RutaAlmacen();
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    // The lock QSettings takes, so that other instances keep out meanwhile.
    QLockFile bloqueo(ruta + QStringLiteral(".lock"));
    if (!bloqueo.tryLock(kEsperaBloqueoMs)) return false;
    QByteArray actual;
    QFile f(ruta);
    if (f.exists()) {
        // An unreadable store is left alone rather than replaced by ours.
        if (!f.open(QIODevice::ReadOnly)) return false;
        actual = f.readAll();
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
    return Escribir();
}

QString RutaAlmacen() { return Almacen().fileName(); }

} // namespace Ajustes
