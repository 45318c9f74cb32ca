#pragma once
// The one way every writer replaces a user's file.
//
// Writing a file (EscribirSeguro, EscribirAtomico):
//   - a symbolic link is written through to the file it names (a dangling
//     one creates the file it names);
//   - the file is locked for the whole save (cerrojo.h): another save of it
//     waits for this one or is refused, never mixed with it;
//   - a target that exists must be a regular file we may write: a read-only
//     file (no write bit, or no access) is refused, never replaced;
//   - the content goes to a new temporary file beside the target, created
//     exclusively and locked while the save runs; every write, the sync to
//     disk and the close are checked, then the temporary is renamed over the
//     target with the old file's permissions (or a new file's);
//   - where the folder refuses new files but the file itself may be written,
//     the content is first written and checked in the temporary folder (or
//     held in memory when it is all at hand), and a copy of the old file is
//     made and checked in a folder of its own under the program's data
//     folder, with a note of the file it belongs to (no room for them:
//     nothing is touched); then the file is written in place. A failure
//     there puts the old content back from the copy; if even that fails,
//     the copy stays and the message says what the file holds and where the
//     copy is; a failure once the new content is all in place says so. A
//     save killed meanwhile leaves the copy and its note for the next start
//     (GuardadosInterrumpidos);
//   - on any failure the temporary is removed, the old file is left exactly
//     as it was, and the reason is the system's, in words (MotivoSistema),
//     naming the temporary folder when the failure was there;
//   - the program's own temporaries of the same file (its whole name, its
//     mark) older than an hour, owned by the user and held by no running
//     save, are removed by its next save.

#include "platform/flujo.h"

#include <QByteArray>
#include <QString>

namespace Archivos {

// Writes a file by the rules above. On failure the reason is in *error.
bool EscribirSeguro(const QString &destino, const Escritor &escribir, QString *error = nullptr);
// The same with the whole content at hand.
bool EscribirAtomico(const QString &destino, const QByteArray &datos, QString *error = nullptr);

} // namespace Archivos
