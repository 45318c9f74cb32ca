#pragma once
// The per-user settings store: application "ZOLV Halvora", sections and keys
// as the program names them, string values. An INI file in the user's config
// folder (XDG_CONFIG_HOME).

#include <QString>

namespace Ajustes {

QString GetSetting(const QString &seccion, const QString &clave, const QString &defecto = QString());
void SaveSetting(const QString &seccion, const QString &clave, const QString &valor);

// Where the store lives (for the README and tests).
QString RutaAlmacen();

} // namespace Ajustes
