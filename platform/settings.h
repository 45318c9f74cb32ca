#pragma once
// The per-user settings store: application "ZOLV Halvora", sections and keys
// as the program names them, string values. An INI file in the user's config
// folder (XDG_CONFIG_HOME).
//
// A save never blocks: it waits a quarter of a second at most for the
// store's lock (another instance, or a stale lock left behind), then gives
// up and keeps the value for the session, where GetSetting finds it; it is
// written with the next save that gets the lock, or at exit. The store is
// replaced by the program's writing rule (platform/files.h), and only by
// text that read back with every key as meant: a save that cannot write
// (a full temporary folder) leaves the store as it was and keeps the value
// for the session too.

#include <QString>

namespace Ajustes {

QString GetSetting(const QString &seccion, const QString &clave, const QString &defecto = QString());
// True when the value reached the store. Callers that did not ask the user
// to save anything say nothing either way.
bool SaveSetting(const QString &seccion, const QString &clave, const QString &valor);

// At exit: writes the values kept for the session, waiting up to two
// seconds for the lock. True when nothing is left pending.
bool GuardarPendientes();

// Where the store lives (for the README and tests).
QString RutaAlmacen();

} // namespace Ajustes
