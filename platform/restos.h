#pragma once
// What killed saves and runs leave behind: the program's own temporaries that
// no running instance holds any more. A leftover goes only when it is a
// regular file of this user whose name is one of the program's (its mark),
// older than an hour, and nobody holds its lock.

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace Archivos {

// At start: removes the program's scratch files of the temporary folder
// (and of its own scratch folder) older than an hour, owned by the user and
// held by no running instance.
void LimpiarTemporales();

// The leftovers of a folder whose names 'nuestro' recognises.
void BorrarRestos(const QByteArray &carpeta, const std::function<bool(QByteArrayView)> &nuestro);

} // namespace Archivos
