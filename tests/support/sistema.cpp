#include "support/sistema.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

DiscoPequeno::DiscoPequeno(const QString &carpeta, int kib) : carpeta_(carpeta)
{
    const QByteArray opciones = "size=" + QByteArray::number(kib) + "k";
    if (::mount("tmpfs", QFile::encodeName(carpeta).constData(), "tmpfs", 0, opciones.constData()) == 0)
        montado_ = true;
    else
        motivo_ = QStringLiteral("no se puede montar un tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
}

DiscoPequeno::~DiscoPequeno()
{
    if (montado_) ::umount2(QFile::encodeName(carpeta_).constData(), MNT_DETACH);
}

void DiscoPequeno::Llenar()
{
    const int fd = ::open(QFile::encodeName(carpeta_ + QStringLiteral("/.relleno")).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    static const char bloque[4096] = {};
    while (fd >= 0 && ::write(fd, bloque, sizeof bloque) > 0) {
    }
    // The last partial page too.
    while (fd >= 0 && ::write(fd, bloque, 1) > 0) {
    }
    if (fd >= 0) ::close(fd);
}

bool ComoOtroUsuario::EsRoot() { return ::geteuid() == 0; }

unsigned ComoOtroUsuario::Uid() { return EsRoot() ? 65534u : ::geteuid(); }

ComoOtroUsuario::ComoOtroUsuario()
{
    if (::geteuid() != 0) return;
    cambiado_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
}

ComoOtroUsuario::~ComoOtroUsuario()
{
    if (cambiado_ && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::abort();
}
