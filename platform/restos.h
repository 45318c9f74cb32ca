#pragma once
// What killed saves and runs leave behind: the program's own temporaries that
// no running instance holds any more. A leftover goes only when it is a
// regular file of this user whose name is one of the program's (its mark),
// nobody holds its lock, and it is older than an hour (a scratch file that
// may have lost its lock while in use) or of a kind held for its whole life.

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace Archivos {

// The cleanup runs on a thread of its own, one folder after another in the
// order asked, started once the program's event loop turns: the system takes
// tens of milliseconds to list a folder of 100,000 names, however little is
// done with them, and neither the start-up nor a save waits for that. The
// program waits for it at exit.

// At start: removes the program's scratch files of the temporary folder
// (and of its own scratch folder) owned by the user and held by no running
// instance: a save's new content whatever its age, the others once an hour
// old. Returns at once.
void LimpiarTemporales();
// Until every cleanup asked for so far has ended (started now if it waits
// for the event loop).
void EsperarLimpieza();

// How the cleanup takes a name of a folder.
enum class Resto {
    Ajeno,      // not the program's: left alone
    UnaHora,    // the program's: goes once an hour old and held by nobody
    Abandonado, // the program's, held for its whole life: goes once held by nobody
};
// Removes the leftovers of a folder among the names that begin with
// 'inicio', each judged by 'juzgar' (on the cleanup's thread); no other name
// costs more than a comparison. Returns at once.
void BorrarRestos(QByteArray carpeta, QByteArray inicio, std::function<Resto(QByteArrayView)> juzgar);

} // namespace Archivos
