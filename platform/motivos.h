#pragma once
// The system's errors as the user reads them, and the folder they happened in
// when it is one of the program's own.

#include <QByteArray>
#include <QString>

namespace Archivos {

// The system's reason for an error number, as the user reads it
// (ENOSPC: "No queda espacio en el disco").
QString MotivoSistema(int numeroError);
// Why a path that is no regular file (its st_mode) cannot be read or written
// as one: a folder, a FIFO, a device.
QString MotivoNoRegular(unsigned modo);

// Why a new file could not be made in a folder (EEXIST: every name tried
// was taken).
QString MotivoCrear(int numeroError, const QByteArray &carpeta);
// A failure in a folder of the program's own names it: it is not the
// target's disk. 'cual' says which folder ("la carpeta temporal ").
QString MotivoCarpeta(int numeroError, const QString &carpeta, const QString &cual);
// The same for the temporary folder.
QString MotivoTemporal(int numeroError);

} // namespace Archivos
