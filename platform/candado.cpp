#include "platform/candado.h"

#include "platform/files.h"
#include "platform/sonda.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Ajustes {

namespace {

// Why a save waited in vain.
const QString kOcupado = QStringLiteral("otra instancia del programa la tiene ocupada");

// Between two tries of a lock another instance holds, and between the two
// looks at a lock file that names nobody. QLockFile's own wait sleeps
// longer each time (0.1 s, 0.2 s, 0.4 s...) and keeps missing a store that
// other instances take for a few milliseconds at a time.
constexpr int kPausaMs = 10;
// QLockFile's line: its pid, program, machine and boot.
constexpr qint64 kLinea = 128;

bool MismoFichero(int fd, const QByteArray &ruta)
{
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::stat(ruta.constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool Denegado(int e) { return e == EACCES || e == EPERM || e == EROFS; }

QString MotivoCrear(const QString &ruta, int e)
{
    // A full disk is the disk's, whichever file found it.
    if (e == ENOSPC || e == EDQUOT) return Archivos::MotivoSistema(e);
    return QStringLiteral("no se puede crear el fichero ") + ruta + QStringLiteral(": ") + Archivos::MotivoSistema(e);
}

} // namespace

Candado::Candado(const QString &almacen) : archivo_(almacen + QStringLiteral(".lock")), almacen_(almacen) {}

Candado::~Candado()
{
    if (fd_ >= 0) ::close(fd_);
}

QString Candado::Tomar(int esperaMs)
{
    const QDeadlineTimer plazo(esperaMs);
    const QString carpeta = QFileInfo(almacen_).absolutePath();
    while (!archivo_.tryLock(0)) {
        switch (archivo_.error()) {
        case QLockFile::LockFailedError: {
            const Hallazgo h = QuitarHuerfano();
            // Something else in its place: nobody can make the lock file.
            if (h.que == Hallado::NoEsFichero) return SobreElAlmacen(plazo, true);
            if (h.que == Hallado::NoSeQuita) {
                // A folder that takes no change keeps it for everyone.
                if (Denegado(h.error)) return SobreElAlmacen(plazo, false, h.error);
                return QStringLiteral("no se puede quitar el fichero ") + archivo_.fileName() + QStringLiteral(": ") +
                       Archivos::MotivoSistema(h.error);
            }
            break; // held, or gone with its owner, or gone: tried again
        }
        case QLockFile::PermissionError: {
            const int e = Sonda(carpeta, kLinea);
            return SobreElAlmacen(plazo, false, Denegado(e) ? e : EACCES);
        }
        default:
            // No file made, or its line not written (a full disk).
            if (const int e = Sonda(carpeta, kLinea)) return MotivoCrear(archivo_.fileName(), e);
            return QStringLiteral("no se pudo crear el fichero ") + archivo_.fileName();
        }
        if (plazo.hasExpired()) return kOcupado;
        QThread::msleep(kPausaMs);
    }
    return QString();
}

// An owner's line that names a running process of this machine may be of
// one letting its file go right now (QLockFile lets go, then removes); Qt
// takes one whose process is gone, where it can remove it.
bool Candado::NoNombraANadie() const
{
    qint64 pid = 0;
    QString maquina, programa;
    if (!archivo_.getLockInfo(&pid, &maquina, &programa)) return true;
    if (!maquina.isEmpty() && maquina != QSysInfo::machineHostName()) return false;
    return pid > INT_MAX || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
}

Candado::Hallazgo Candado::QuitarHuerfano()
{
    const QByteArray ruta = QFile::encodeName(archivo_.fileName());
    struct stat antes {};
    for (int mirada = 0;; ++mirada) {
        if (mirada) QThread::msleep(kPausaMs);
        const int fd = ::open(ruta.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            return {errno == ELOOP ? Hallado::NoEsFichero : Hallado::Otro};
        }
        struct stat st {};
        const bool leido = ::fstat(fd, &st) == 0;
        // Held by nobody (we hold it now), naming nobody, and the same file
        // at both looks.
        const bool abandonado = leido && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && NoNombraANadie() &&
                                (mirada == 0 || (st.st_dev == antes.st_dev && st.st_ino == antes.st_ino));
        Hallazgo h{leido && !S_ISREG(st.st_mode) ? Hallado::NoEsFichero : Hallado::Otro};
        if (abandonado && mirada == 0) {
            antes = st;
            ::close(fd);
            continue;
        }
        // Removed while held, and only while its name is still that file.
        if (abandonado && MismoFichero(fd, ruta) && ::unlink(ruta.constData()) != 0 && errno != ENOENT) h = {Hallado::NoSeQuita, errno};
        ::close(fd);
        return h;
    }
}

QString Candado::SobreElAlmacen(const QDeadlineTimer &plazo, bool carpeta, int sinCandado)
{
    const QString que = carpeta ? QFileInfo(almacen_).absolutePath() : almacen_;
    const QString nombre = (carpeta ? QStringLiteral("la carpeta ") : QStringLiteral("el fichero ")) + que;
    const QByteArray ruta = QFile::encodeName(que);
    for (;;) {
        // The store opened for writing: one we may not write says so now.
        const int fd = ::open(ruta.constData(), (carpeta ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            const int e = errno;
            // No store, and no room for one: the folder is what refuses.
            if (e == ENOENT && !carpeta) return MotivoCrear(almacen_, sinCandado);
            return QStringLiteral("no se puede escribir en ") + nombre + QStringLiteral(": ") + Archivos::MotivoSistema(e);
        }
        const bool tomado = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        const int e = errno;
        if (tomado && MismoFichero(fd, ruta)) {
            fd_ = fd;
            return QString();
        }
        ::close(fd);
        // Held by another instance, or replaced by one's save meanwhile (the
        // new one is locked next).
        if (!tomado && e != EWOULDBLOCK)
            return QStringLiteral("no se puede bloquear ") + nombre + QStringLiteral(": ") + Archivos::MotivoSistema(e);
        if (plazo.hasExpired()) return kOcupado;
        QThread::msleep(kPausaMs);
    }
}

} // namespace Ajustes
