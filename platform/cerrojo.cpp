#include "platform/cerrojo.h"

#include <QDeadlineTimer>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

const QString kOtroGuardado = QStringLiteral("Hay otro guardado de este fichero en curso; inténtelo de nuevo cuando termine");

namespace {
// The files this program's saves hold now.
std::mutex cerrojosMutex;
std::set<std::pair<dev_t, ino_t>> &Tenidos()
{
    static std::set<std::pair<dev_t, ino_t>> t;
    return t;
}

bool Mismo(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }
} // namespace

Cerrojo::~Cerrojo()
{
    if (fd_ < 0) return;
    {
        const std::lock_guard<std::mutex> g(cerrojosMutex);
        Tenidos().erase({dev_, ino_});
    }
    ::close(fd_);
}

int Cerrojo::Tomar(const QByteArray &real, int esperaMs)
{
    const QDeadlineTimer plazo(esperaMs);
    for (;;) {
        struct stat st, abierto;
        // Nothing to hold: no file yet, or none a save may write (the
        // writer says why).
        if (::stat(real.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
        const int fd = ::open(real.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return 0;
        if (::fstat(fd, &abierto) != 0 || !Mismo(st, abierto)) {
            ::close(fd);
            continue;
        }
        {
            const std::lock_guard<std::mutex> g(cerrojosMutex);
            if (Tenidos().count({abierto.st_dev, abierto.st_ino})) {
                ::close(fd);
                return EBUSY;
            }
        }
        struct flock l {};
        l.l_type = F_WRLCK;
        l.l_whence = SEEK_SET;
        int e;
        while ((e = ::fcntl(fd, F_OFD_SETLK, &l) == 0 ? 0 : errno) != 0) {
            if (e == EINTR) continue;
            if ((e != EAGAIN && e != EACCES) || plazo.hasExpired()) break;
            QThread::msleep(10);
        }
        if (e == EAGAIN || e == EACCES) {
            ::close(fd);
            return EBUSY;
        }
        if (e) { // a file system that locks nothing
            ::close(fd);
            return 0;
        }
        // The save it waited for may have put another file under the name.
        if (::stat(real.constData(), &st) != 0 || !Mismo(st, abierto)) {
            ::close(fd);
            if (plazo.hasExpired()) return EBUSY;
            continue;
        }
        const std::lock_guard<std::mutex> g(cerrojosMutex);
        fd_ = fd, dev_ = abierto.st_dev, ino_ = abierto.st_ino;
        Tenidos().insert({dev_, ino_});
        return 0;
    }
}

} // namespace Archivos
