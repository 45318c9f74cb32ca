#include "platform/carpetas.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

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

} // namespace Archivos
