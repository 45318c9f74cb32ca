#include "platform/sonda.h"

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
    int e = 0;
    for (qint64 hecho = 0; e == 0 && hecho < bytes;) {
        const ssize_t n = ::write(fd, ceros, size_t(std::min<qint64>(sizeof ceros, bytes - hecho)));
        if (n > 0)
            hecho += n;
        else if (n == 0 || errno != EINTR)
            e = n == 0 ? ENOSPC : errno;
    }
    ::close(fd);
    return e;
}

} // namespace Ajustes
