#include "platform/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace Archivos {

namespace {
QString &CarpetaFijada()
{
    static QString c;
    return c;
}

// Milliseconds since the system started, like the platform's tick count.
qint64 Ticks()
{
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference() % 4294967296LL;
}

// Permissions a new file of the user would get (0666 less the umask).
QFileDevice::Permissions PermisosNuevos()
{
    const mode_t m = umask(0);
    umask(m);
    const mode_t p = 0666 & ~m;
    QFileDevice::Permissions r;
    if (p & S_IRUSR) r |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (p & S_IWUSR) r |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (p & S_IRGRP) r |= QFileDevice::ReadGroup;
    if (p & S_IWGRP) r |= QFileDevice::WriteGroup;
    if (p & S_IROTH) r |= QFileDevice::ReadOther;
    if (p & S_IWOTH) r |= QFileDevice::WriteOther;
    return r;
}
} // namespace

QString CarpetaPrograma()
{
    if (!CarpetaFijada().isEmpty()) return CarpetaFijada();
    return QCoreApplication::applicationDirPath();
}

void FijarCarpetaPrograma(const QString &carpeta) { CarpetaFijada() = carpeta; }

QString CarpetaTemporal()
{
    QString t = QDir::tempPath();
    while (t.size() > 1 && t.endsWith(u'/')) t.chop(1);
    return t;
}

QString CrearTemporal(const QString &prefijo, const QString &extension)
{
    QTemporaryFile f(CarpetaTemporal() + u'/' + prefijo + QString::number(Ticks()) +
                     QStringLiteral("_XXXXXX") + extension);
    f.setAutoRemove(false);
    if (!f.open()) return QString();
    return f.fileName();
}

bool Borrar(const QString &ruta)
{
    if (ruta.isEmpty() || !QFileInfo::exists(ruta)) return true;
    return QFile::remove(ruta);
}

bool EscribirAtomico(const QString &destino, const QByteArray &datos, QString *error)
{
    QSaveFile f(destino);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error) *error = f.errorString();
        return false;
    }
    if (f.write(datos) != datos.size()) {
        if (error) *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        if (error) *error = f.errorString();
        return false;
    }
    return true;
}

DestinoSeguro::DestinoSeguro(const QString &destino) : destino_(destino)
{
    const QFileInfo info(destino);
    QTemporaryFile f(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                     QStringLiteral(".XXXXXX.tmp"));
    f.setAutoRemove(false);
    if (f.open()) temporal_ = f.fileName();
}

DestinoSeguro::~DestinoSeguro()
{
    if (!confirmado_ && !temporal_.isEmpty()) QFile::remove(temporal_);
}

bool DestinoSeguro::Confirmar(QString *error)
{
    if (temporal_.isEmpty()) {
        if (error) *error = QStringLiteral("no se pudo crear el fichero temporal");
        return false;
    }
    // Keep the permissions of the file being replaced, or those of a new file.
    const QFileInfo viejo(destino_);
    QFile::setPermissions(temporal_, viejo.exists() ? viejo.permissions() : PermisosNuevos());
    // rename(2) replaces the target in one step.
    if (std::rename(QFile::encodeName(temporal_).constData(), QFile::encodeName(destino_).constData()) != 0) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    confirmado_ = true;
    return true;
}

} // namespace Archivos
