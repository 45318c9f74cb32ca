#include "platform/settings.h"

#include <QSettings>

namespace Ajustes {

namespace {
QSettings Almacen()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZOLV Halvora"),
                     QStringLiteral("ZOLV Halvora"));
}
} // namespace

QString GetSetting(const QString &seccion, const QString &clave, const QString &defecto)
{
    QSettings s = Almacen();
    return s.value(seccion + u'/' + clave, defecto).toString();
}

void SaveSetting(const QString &seccion, const QString &clave, const QString &valor)
{
    QSettings s = Almacen();
    s.setValue(seccion + u'/' + clave, valor);
    s.sync();
}

QString RutaAlmacen() { return Almacen().fileName(); }

} // namespace Ajustes
