#pragma once
// Why a folder takes no new file now, for a failure whose error nobody told
// (Qt's writers keep theirs): an unnamed file is made there and the room
// asked for written into it; it goes with its descriptor, so nothing is
// left behind and nobody else sees it.

#include <QString>

namespace Ajustes {

// The error of making a file of 'bytes' in the folder (ENOSPC for a full
// disk, EACCES, EROFS...), or 0 when it could, or when the file system
// cannot make unnamed files.
int Sonda(const QString &carpeta, qint64 bytes);

} // namespace Ajustes
