#include "support/sistema.h"

#include <QFile>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>

void Envejecer(const QString &ruta, long segundos)
{
    const time_t t = ::time(nullptr) - segundos;
    const utimbuf u{t, t};
    EXPECT_EQ(::utime(QFile::encodeName(ruta).constData(), &u), 0) << ruta.toStdString();
}

DiscoPequeno::DiscoPequeno(const QString &c, int kib) : carpeta(c)
{
    if (::mount("tmpfs", QFile::encodeName(c).constData(), "tmpfs", 0, ("size=" + std::to_string(kib) + "k").c_str()) != 0)
        motivo = QStringLiteral("no tmpfs can be mounted: ") + QString::fromLocal8Bit(std::strerror(errno));
}

DiscoPequeno::~DiscoPequeno()
{
    if (motivo.isEmpty()) ::umount2(QFile::encodeName(carpeta).constData(), MNT_DETACH);
}

void DiscoPequeno::Llenar() const
{
    const int fd = ::open(QFile::encodeName(carpeta + QStringLiteral("/.relleno")).constData(), O_WRONLY | O_CREAT, 0600);
    static const char bloque[4096] = {};
    for (size_t n = sizeof bloque; fd >= 0 && n > 0;) n = ::write(fd, bloque, n) > 0 ? n : n / 2;
    if (fd >= 0) ::close(fd);
}

bool DiscoPequeno::SoloLectura() const
{
    return motivo.isEmpty() &&
           ::mount("tmpfs", QFile::encodeName(carpeta).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

AlmacenEn::AlmacenEn(const QString &carpeta) { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, carpeta); }

AlmacenEn::~AlmacenEn()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME"));
}

unsigned ComoOtroUsuario::Uid() { return ::geteuid() == 0 ? 65534u : ::geteuid(); }

ComoOtroUsuario::ComoOtroUsuario() { cambiado = ::geteuid() == 0 && ::setegid(65534) == 0 && ::seteuid(65534) == 0; }

ComoOtroUsuario::~ComoOtroUsuario()
{
    if (cambiado && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::abort();
}
