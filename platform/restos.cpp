#include "platform/restos.h"

#include "platform/carpetas.h"
#include "platform/descriptor.h"
#include "platform/temporales.h"

#include <QFile>

#include <ctime>
#include <limits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

namespace {
// A leftover goes when it is a regular file of this user, last changed
// before 'limite', and no running save holds its lock.
void BorrarSiAbandonado(const QByteArray &ruta, time_t limite)
{
    struct stat st, abierto;
    if (::lstat(ruta.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_mtime >= limite)
        return;
    Descriptor d;
    d.fd = ::open(ruta.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (d.fd < 0 || ::fstat(d.fd, &abierto) != 0 || abierto.st_ino != st.st_ino || abierto.st_dev != st.st_dev ||
        ::flock(d.fd, LOCK_EX | LOCK_NB) != 0)
        return;
    // Still that file under that name (another cleanup may have been first).
    if (::lstat(ruta.constData(), &st) == 0 && abierto.st_ino == st.st_ino && abierto.st_dev == st.st_dev) ::unlink(ruta.constData());
}
} // namespace

void BorrarRestos(const QByteArray &carpeta, const std::function<Resto(QByteArrayView)> &juzgar)
{
    const time_t haceUnaHora = ::time(nullptr) - 3600;
    for (const QString &nombre : Entradas(carpeta)) {
        const QByteArray n = QFile::encodeName(nombre);
        const Resto r = juzgar(n);
        if (r != Resto::Ajeno) BorrarSiAbandonado(carpeta + '/' + n, r == Resto::UnaHora ? haceUnaHora : std::numeric_limits<time_t>::max());
    }
}

void LimpiarTemporales()
{
    BorrarRestos(QFile::encodeName(CarpetaTemporal()), [](QByteArrayView n) {
        const auto clase = NombreTemporal::DeSuelto(n);
        if (!clase) return Resto::Ajeno;
        return clase->Prefijo() == kPrefijoEscritura ? Resto::Abandonado : Resto::UnaHora;
    });
    // The program's own scratch folder holds nothing else.
    BorrarRestos(QFile::encodeName(CarpetaBorradores()), [](QByteArrayView) { return Resto::UnaHora; });
}

} // namespace Archivos
