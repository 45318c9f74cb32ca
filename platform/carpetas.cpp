#include "platform/carpetas.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace Archivos {

namespace {
QString &CarpetaFijada()
{
    static QString c;
    return c;
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
    // Qt gives nothing for a folder that does not exist: that folder is
    // still the one to use, and to name when it fails.
    QString t = QDir::tempPath();
    if (t.isEmpty()) t = QDir::cleanPath(qEnvironmentVariable("TMPDIR"));
    while (t.size() > 1 && t.endsWith(u'/')) t.chop(1);
    return t;
}

QString CarpetaDatos()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ZOLV Halvora");
}

QString CarpetaBorradores() { return CarpetaDatos() + QStringLiteral("/borradores"); }

int CrearCarpeta(const QString &carpeta)
{
    const QByteArray r = QFile::encodeName(carpeta);
    for (qsizetype i = 1; i <= r.size(); ++i)
        if ((i == r.size() || r[i] == '/') && ::mkdir(r.left(i).constData(), 0777) != 0 && errno != EEXIST) return errno;
    return 0;
}

} // namespace Archivos
