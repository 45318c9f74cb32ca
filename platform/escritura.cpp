#include "platform/escritura.h"

#include "platform/cerrojo.h"
#include "platform/descriptor.h"
#include "platform/ensitio.h"
#include "platform/motivos.h"
#include "platform/restos.h"
#include "platform/temporales.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

namespace {
QByteArray Carpeta(const QByteArray &ruta)
{
    const int barra = ruta.lastIndexOf('/');
    if (barra < 0) return QByteArrayLiteral(".");
    return barra == 0 ? QByteArrayLiteral("/") : ruta.left(barra);
}

// The file a path finally names, through any chain of symbolic links (a
// dangling link names the file it would create). 0 or an error number.
int Resolver(const QString &ruta, QByteArray &real)
{
    QByteArray p = QFile::encodeName(ruta);
    for (int vuelta = 0; vuelta <= 40; ++vuelta) { // 40 links, as the system follows
        struct stat st;
        if (::lstat(p.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            real = p;
            return 0;
        }
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(p.constData(), buf, sizeof buf);
        if (n < 0) return errno;
        QByteArray destino(buf, static_cast<int>(n));
        if (!destino.startsWith('/')) destino = Carpeta(p) + '/' + destino;
        p = destino;
    }
    return ELOOP;
}

mode_t PermisosNuevos()
{
    const mode_t m = ::umask(0);
    ::umask(m);
    return 0666 & ~m;
}

// Runs every writer by the rules of the header; 'enMemoria' when the
// content is all at hand.
bool Escribir(const QString &destino, const Escritor &escribir, bool enMemoria, QString *error)
{
    QByteArray real;
    if (const int e = Resolver(destino, real)) return Fallo(error, MotivoSistema(e));
    // Held to the end: another save of this file waits, and what follows
    // sees the file as it is once that one is done.
    Cerrojo cerrojo;
    if (cerrojo.Tomar(real) == EBUSY) return Fallo(error, kOtroGuardado);
    struct stat viejo;
    const bool existe = ::stat(real.constData(), &viejo) == 0;
    if (!existe && errno != ENOENT) return Fallo(error, MotivoSistema(errno));
    if (existe && !S_ISREG(viejo.st_mode)) return Fallo(error, MotivoNoRegular(viejo.st_mode));
    // A read-only mount is the disk's doing, not the file's.
    if (existe && ::access(real.constData(), W_OK) != 0 && errno == EROFS) return Fallo(error, MotivoSistema(EROFS));
    // A file nobody may write is refused even where the system would let
    // us (root) replace it.
    if (existe && ((viejo.st_mode & 0222) == 0 || ::access(real.constData(), W_OK) != 0))
        return Fallo(error, QStringLiteral("Permiso denegado: el fichero es de solo lectura"));

    const QByteArray carpeta = Carpeta(real);
    const NombreTemporal junto = NombreTemporal::Junto(real.mid(real.lastIndexOf('/') + 1));
    QByteArray temporal;
    Descriptor temp;
    if (const int e = CrearExclusivo(carpeta, junto, temporal, temp.fd)) {
        if (existe && (e == EACCES || e == EPERM)) return EnSitio(real, escribir, enMemoria, error);
        return Fallo(error, MotivoCrear(e, carpeta));
    }
    bool ok = Llenar(temp.fd, escribir, error, MotivoSistema);
    if (ok) {
        // The replaced file's permissions and owner, or a new file's.
        if (::fchmod(temp.fd, existe ? (viejo.st_mode & 07777) : PermisosNuevos()) != 0) {
            ok = Fallo(error, MotivoSistema(errno));
        } else if (existe && (viejo.st_uid != ::geteuid() || viejo.st_gid != ::getegid())) {
            // Only root may give a file away; otherwise it stays the writer's.
            Ignorar(::fchown(temp.fd, viejo.st_uid, viejo.st_gid));
        }
    }
    if (ok) {
        if (const int e = temp.Cerrar()) ok = Fallo(error, MotivoSistema(e));
    }
    if (ok && ::rename(temporal.constData(), real.constData()) != 0) ok = Fallo(error, MotivoSistema(errno));
    if (!ok) {
        ::unlink(temporal.constData());
        return false;
    }
    // The new name itself reaches the disk with the folder.
    Descriptor dir;
    dir.fd = ::open(carpeta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Data and name are in place already; some file systems cannot sync a folder.
    if (dir.fd >= 0) Ignorar(::fsync(dir.fd));
    BorrarRestos(carpeta, junto.Cabeza(), [junto](QByteArrayView n) { return junto.Es(n) ? Resto::UnaHora : Resto::Ajeno; });
    return true;
}
} // namespace

bool EscribirSeguro(const QString &destino, const Escritor &escribir, QString *error)
{
    return Escribir(destino, escribir, false, error);
}

bool EscribirAtomico(const QString &destino, const QByteArray &datos, QString *error)
{
    return Escribir(
        destino, [&datos](Flujo &s) { return s.Escribir(datos.constData(), datos.size()); }, true, error);
}

} // namespace Archivos
