#include "platform/sonda.h"

#include "platform/files.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Ajustes {

int Sonda(const QString &carpeta, qint64 bytes)
{
    const int fd = ::open(QFile::encodeName(carpeta).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EOPNOTSUPP || errno == EISDIR ? 0 : errno;
    // Written, not just reserved: a disk takes the room as a writer's.
    static const char ceros[65536] = {};
    Archivos::Flujo f(fd);
    for (qint64 hecho = 0; hecho < bytes && f.Escribir(ceros, std::min<qint64>(sizeof ceros, bytes - hecho));) hecho += sizeof ceros;
    ::close(fd);
    return f.Error();
}

} // namespace Ajustes
