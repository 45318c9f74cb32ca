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

// At start: removes the program's scratch files of the temporary folder
// (and of its own scratch folder) owned by the user and held by no running
// instance: a save's new content whatever its age, the others once an hour
// old.
void LimpiarTemporales();

// How the cleanup takes a name of a folder.
enum class Resto {
    Ajeno,      // not the program's: left alone
    UnaHora,    // the program's: goes once an hour old and held by nobody
    Abandonado, // the program's, held for its whole life: goes once held by nobody
};
// The leftovers of a folder, each name judged by 'juzgar'.
void BorrarRestos(const QByteArray &carpeta, const std::function<Resto(QByteArrayView)> &juzgar);

} // namespace Archivos
