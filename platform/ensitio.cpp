#include "platform/ensitio.h"

#include "platform/carpetas.h"
#include "platform/copias.h"
#include "platform/descriptor.h"
#include "platform/motivos.h"
#include "platform/temporales.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

namespace {
// A file of the temporary folder, removed on every way out.
struct Temporal {
    QByteArray ruta;
    Descriptor d;
    ~Temporal()
    {
        if (!ruta.isEmpty()) ::unlink(ruta.constData());
    }
    // 0 or an error number.
    int Crear(const QByteArray &prefijo)
    {
        QByteArray r;
        const int e = CrearExclusivo(QFile::encodeName(CarpetaTemporal()), NombreTemporal::Suelto(prefijo, QByteArrayLiteral(".tmp")),
                                     r, d.fd);
        if (e == 0) ruta = r;
        return e;
    }
};

// True when the open file is no longer as 'antes' found it: its length or
// its times of change moved.
bool Cambiado(int fd, const struct stat &antes)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) return false;
    return st.st_size != antes.st_size || st.st_mtim.tv_sec != antes.st_mtim.tv_sec ||
           st.st_mtim.tv_nsec != antes.st_mtim.tv_nsec || st.st_ctim.tv_sec != antes.st_ctim.tv_sec ||
           st.st_ctim.tv_nsec != antes.st_ctim.tv_nsec;
}

// Puts the old content back into the file from its copy; 0 or an error number.
int Reponer(int fd, int copia, off_t tam)
{
    const Copia c = CopiarBytes(copia, fd, tam);
    if (c.error) return c.error;
    if (::ftruncate(fd, tam) != 0 || ::fsync(fd) != 0) return errno;
    return 0;
}
} // namespace

// As careful editors do: the new content is made and checked first (in the
// temporary folder, or in memory when it is all at hand), and so is a copy
// of the old file; only then is the file written in place. Any failure while
// writing puts the old content back from the copy; if even that fails, the
// copy stays and the message says what the file holds and where the copy is.
bool EnSitio(const QByteArray &real, const Escritor &escribir, bool enMemoria, QString *error)
{
    Temporal nuevo;
    if (enMemoria) {
        nuevo.d.fd = ::memfd_create("zolv", MFD_CLOEXEC);
        if (nuevo.d.fd < 0) return Fallo(error, MotivoSistema(errno));
    } else if (const int e = nuevo.Crear(kPrefijoEscritura)) {
        return Fallo(error, MotivoTemporal(e));
    }
    if (!Llenar(nuevo.d.fd, escribir, error, enMemoria ? MotivoSistema : MotivoTemporal)) return false;
    const off_t tam = ::lseek(nuevo.d.fd, 0, SEEK_END);
    if (tam < 0) return Fallo(error, MotivoSistema(errno));

    Descriptor f;
    f.fd = ::open(real.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    struct stat viejo;
    if (f.fd < 0 || ::fstat(f.fd, &viejo) != 0) return Fallo(error, MotivoSistema(errno));

    // With no room for a checked copy nothing is touched.
    CopiaAnterior copia;
    if (const int e = copia.Crear(real.mid(real.lastIndexOf('/') + 1))) return Fallo(error, MotivoCopias(e));
    Copia c = CopiarBytes(f.fd, copia.d.fd, viejo.st_size);
    if (!c.error && ::fsync(copia.d.fd) != 0) c.error = errno;
    if (!c.error && !Iguales(f.fd, copia.d.fd, viejo.st_size)) c = {EIO, true};
    // The next start tells of this save only if the file does not end whole.
    if (!c.error) c.error = copia.Anotar(real, tam, Huella(nuevo.d.fd, tam));
    const QString sinCopia = QStringLiteral("No se pudo copiar el fichero antes de escribirlo: ");
    // A program that does not wait for our lock wrote the file meanwhile:
    // that, not the disk, is why the copy did not read back the same.
    if (c.alLeer && Cambiado(f.fd, viejo))
        return Fallo(error, sinCopia + QStringLiteral("otro programa lo cambió mientras se comprobaba la copia"));
    if (c.error) return Fallo(error, sinCopia + (c.alLeer ? MotivoSistema(c.error) : MotivoCopias(c.error)));

    // In place: room first, then the bytes, then the length.
    int e = tam > viejo.st_size ? ::posix_fallocate(f.fd, 0, tam) : 0;
    if (e == 0) {
        const Copia w = CopiarBytes(nuevo.d.fd, f.fd, tam);
        e = w.error;
        if (e && w.alLeer) e = EIO; // our own temporary went bad
        if (e == 0 && ::ftruncate(f.fd, tam) != 0) e = errno;
    }
    if (e) {
        const QString motivo = MotivoSistema(e);
        const int r = Reponer(f.fd, copia.d.fd, viejo.st_size);
        if (r == 0) return Fallo(error, motivo + QStringLiteral(". El fichero conserva su contenido anterior."));
        // Not put back: the user reads what the file holds now.
        const QString donde = copia.Conservar();
        if (Contiene(f.fd, nuevo.d.fd, tam))
            return Fallo(error, motivo + QStringLiteral(". El fichero tiene todo el contenido nuevo; queda una copia del "
                                                        "contenido anterior en ") + donde);
        if (Contiene(f.fd, copia.d.fd, viejo.st_size))
            return Fallo(error, motivo + QStringLiteral(". El fichero tiene su contenido anterior, pero el disco no confirmó "
                                                        "la escritura (") + MotivoSistema(r) +
                                    QStringLiteral("); queda una copia en ") + donde);
        return Fallo(error, motivo + QStringLiteral(". No se pudo reponer el contenido anterior (") + MotivoSistema(r) +
                                QStringLiteral("): queda una copia en ") + donde);
    }
    // The new content is all in place: a failure now is the disk's word.
    e = ::fsync(f.fd) != 0 ? errno : f.Cerrar();
    if (e)
        return Fallo(error, QStringLiteral("El fichero se ha escrito, pero el disco no confirmó la escritura (") +
                                MotivoSistema(e) + QStringLiteral("). Queda una copia del contenido anterior en ") +
                                copia.Conservar());
    return true;
}

} // namespace Archivos
