#pragma once
// The per-user settings store: application "ZOLV Halvora", sections and keys
// as the program names them, string values. An INI file in the user's config
// folder (XDG_CONFIG_HOME).
//
// A save never blocks: it waits a quarter of a second at most for the
// store's lock (another instance's; one whose owner is gone is taken at
// once, platform/candado.h), then gives up and keeps the value for the
// session, where GetSetting finds it; it is written with the next save that
// gets the lock, or at exit. The store is replaced by the program's writing
// rule (platform/files.h), and only by text that read back with every key
// as meant; that text is made in the program's own scratch folder, never
// the temporary folder. The old store is read as QSettings reads it: every
// key it reads is kept, lines it cannot read (a save killed halfway leaves
// one without '=') go. A store read short is left alone. A byte-order mark
// at its start is no damage; a store that is a dangling link creates the
// file it names. A save that cannot write keeps the value for the session
// too and says why, in the system's words and naming the folder when it is
// not the store's own (a full scratch folder, a folder that cannot be made).

#include <QString>

namespace Ajustes {

QString GetSetting(const QString &seccion, const QString &clave, const QString &defecto = QString());
// True when the value reached the store; otherwise why not in *motivo.
bool SaveSetting(const QString &seccion, const QString &clave, const QString &valor, QString *motivo = nullptr);

// At exit: writes the values kept for the session, waiting up to two
// seconds for the lock. True when nothing is left pending.
bool GuardarPendientes(QString *motivo = nullptr);

// Where the store lives (for the README and tests).
QString RutaAlmacen();

} // namespace Ajustes
