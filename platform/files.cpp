#include "platform/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

namespace {
QString &CarpetaFijada()
{
    static QString c;
    return c;
}

// Milliseconds since the system started, like the platform's tick count.
qint64 Ticks()
{
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference() % 4294967296LL;
}

struct FalloSimulado {
    int error = 0;
    int64_t bytes = 0;
};
FalloSimulado &Simulado()
{
    static FalloSimulado f;
    return f;
}

// Closes on every way out unless released.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0) ::close(fd);
    }
    // close(2) reports delayed write errors (NFS, quota): checked.
    int Cerrar()
    {
        const int r = ::close(fd);
        fd = -1;
        return r == 0 ? 0 : errno;
    }
};

bool Fallo(QString *error, const QString &motivo)
{
    if (error) *error = motivo;
    return false;
}

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
    for (int vuelta = 0; vuelta < 40; ++vuelta) {
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

// A new file, exclusively, from a template ending in "XXXXXX.tmp".
int CrearExclusivo(QByteArray &plantilla) { return ::mkostemps(plantilla.data(), 4, O_CLOEXEC); }

// For the calls whose failure changes nothing we could do.
void Ignorar(int) {}

// Runs the writer into a fresh file and checks all it did, the data synced.
bool Llenar(int fd, const Escritor &escribir, QString *error)
{
    Flujo s(fd);
    const bool ok = escribir(s);
    if (s.Fallo()) return Fallo(error, s.Motivo());
    if (!ok) return Fallo(error, QStringLiteral("no se pudo escribir el fichero"));
    if (::fsync(fd) != 0) return Fallo(error, MotivoSistema(errno));
    return true;
}

mode_t PermisosNuevos()
{
    const mode_t m = ::umask(0);
    ::umask(m);
    return 0666 & ~m;
}

// The folder refuses new files but the file may be written: the content is
// made and checked in the temporary folder, room for all of it is reserved
// in the file, then it is copied over the old bytes.
bool EnSitio(const QByteArray &real, const struct stat &viejo, const Escritor &escribir, QString *error)
{
    QByteArray plantilla = QFile::encodeName(CarpetaTemporal()) + "/zolv_escritura_XXXXXX.tmp";
    Descriptor temp;
    temp.fd = CrearExclusivo(plantilla);
    if (temp.fd < 0) return Fallo(error, MotivoSistema(errno));
    struct Borrador {
        QByteArray ruta;
        ~Borrador() { ::unlink(ruta.constData()); }
    } borrar{plantilla};
    if (!Llenar(temp.fd, escribir, error)) return false;
    const off_t tam = ::lseek(temp.fd, 0, SEEK_END);
    if (tam < 0) return Fallo(error, MotivoSistema(errno));

    Descriptor f;
    f.fd = ::open(real.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (f.fd < 0) return Fallo(error, MotivoSistema(errno));
    if (tam > viejo.st_size) {
        const int e = ::posix_fallocate(f.fd, 0, tam);
        if (e != 0) {
            // Whatever the reservation added goes; the old bytes were not touched.
            Ignorar(::ftruncate(f.fd, viejo.st_size));
            return Fallo(error, MotivoSistema(e));
        }
    }
    Flujo destino(f.fd);
    char buf[1 << 16];
    for (off_t pos = 0; pos < tam;) {
        const ssize_t n = ::pread(temp.fd, buf, sizeof buf, pos);
        if (n <= 0) return Fallo(error, MotivoSistema(n < 0 ? errno : EIO));
        if (!destino.Escribir(buf, n)) return Fallo(error, destino.Motivo());
        pos += n;
    }
    if (::ftruncate(f.fd, tam) != 0 || ::fsync(f.fd) != 0) return Fallo(error, MotivoSistema(errno));
    if (const int e = f.Cerrar()) return Fallo(error, MotivoSistema(e));
    return true;
}
} // namespace

QString CarpetaPrograma()
{
    if (!CarpetaFijada().isEmpty()) return CarpetaFijada();
    return QCoreApplication::applicationDirPath();
}

void FijarCarpetaPrograma(const QString &carpeta) { CarpetaFijada() = carpeta; }

QString CarpetaTemporal()
{
    QString t = QDir::tempPath();
    while (t.size() > 1 && t.endsWith(u'/')) t.chop(1);
    return t;
}

QString CrearTemporal(const QString &prefijo, const QString &extension)
{
    QTemporaryFile f(CarpetaTemporal() + u'/' + prefijo + QString::number(Ticks()) +
                     QStringLiteral("_XXXXXX") + extension);
    f.setAutoRemove(false);
    if (!f.open()) return QString();
    return f.fileName();
}

bool Borrar(const QString &ruta)
{
    if (ruta.isEmpty() || !QFileInfo::exists(ruta)) return true;
    return QFile::remove(ruta);
}

QString MotivoSistema(int e)
{
    switch (e) {
    case ENOSPC: return QStringLiteral("No queda espacio en el disco");
    case EDQUOT: return QStringLiteral("Se ha superado la cuota de disco");
    case EACCES:
    case EPERM: return QStringLiteral("Permiso denegado");
    case EROFS: return QStringLiteral("El disco es de solo lectura");
    case ENOENT: return QStringLiteral("No existe la carpeta o el fichero");
    case ENOTDIR: return QStringLiteral("Una parte de la ruta no es una carpeta");
    case EISDIR: return QStringLiteral("Es una carpeta");
    case ELOOP: return QStringLiteral("Demasiados enlaces simbólicos");
    case ENAMETOOLONG: return QStringLiteral("El nombre es demasiado largo");
    case EFBIG: return QStringLiteral("El fichero es demasiado grande");
    case EIO: return QStringLiteral("Error de lectura o escritura en el disco");
    case ENOMEM: return QStringLiteral("No hay memoria suficiente");
    case EMFILE:
    case ENFILE: return QStringLiteral("Demasiados ficheros abiertos");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("El fichero está en uso");
    default: return QString::fromLocal8Bit(std::strerror(e));
    }
}

// ---------------------------------------------------------------- Flujo

bool Flujo::Escribir(const void *datos, int64_t n)
{
    if (Fallo()) return false;
    const char *p = static_cast<const char *>(datos);
    const FalloSimulado sim = Simulado();
    int64_t resto = n;
    if (sim.error && escritos_ + n > sim.bytes) resto = sim.bytes > escritos_ ? sim.bytes - escritos_ : 0;
    while (resto > 0) {
        const ssize_t w = ::write(fd_, p, static_cast<size_t>(resto));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            Fallar(w < 0 ? errno : EIO);
            return false;
        }
        p += w;
        resto -= w;
        escritos_ += w;
    }
    if (p != static_cast<const char *>(datos) + n) {
        Fallar(sim.error);
        return false;
    }
    return true;
}

int64_t Flujo::Leer(void *datos, int64_t n)
{
    if (Fallo()) return 0;
    char *p = static_cast<char *>(datos);
    int64_t leidos = 0;
    while (leidos < n) {
        const ssize_t r = ::read(fd_, p + leidos, static_cast<size_t>(n - leidos));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            Fallar(errno);
            break;
        }
        if (r == 0) break;
        leidos += r;
    }
    return leidos;
}

bool Flujo::Posicionar(int64_t desplazamiento, int origen)
{
    if (Fallo()) return false;
    if (::lseek(fd_, desplazamiento, origen) >= 0) return true;
    Fallar(errno);
    return false;
}

int64_t Flujo::Posicion() const { return ::lseek(fd_, 0, SEEK_CUR); }

int64_t Flujo::Tamano() const
{
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? st.st_size : -1;
}

void Flujo::Fallar(int numeroError)
{
    if (!Fallo()) error_ = numeroError ? numeroError : EIO;
}

void Flujo::Fallar(const QString &motivo)
{
    if (!Fallo()) motivo_ = motivo;
}

QString Flujo::Motivo() const { return error_ ? MotivoSistema(error_) : motivo_; }

void SimularFalloEscritura(int numeroError, int64_t bytes) { Simulado() = {numeroError, bytes}; }

// ---------------------------------------------------------------- writing

bool EscribirSeguro(const QString &destino, const Escritor &escribir, QString *error)
{
    QByteArray real;
    if (const int e = Resolver(destino, real)) return Fallo(error, MotivoSistema(e));
    struct stat viejo;
    const bool existe = ::stat(real.constData(), &viejo) == 0;
    if (!existe && errno != ENOENT) return Fallo(error, MotivoSistema(errno));
    if (existe && S_ISDIR(viejo.st_mode)) return Fallo(error, MotivoSistema(EISDIR));
    if (existe && !S_ISREG(viejo.st_mode)) return Fallo(error, QStringLiteral("No es un fichero normal"));
    // A file nobody may write is refused even where the system would let
    // us (root) replace it.
    if (existe && ((viejo.st_mode & 0222) == 0 || ::access(real.constData(), W_OK) != 0))
        return Fallo(error, QStringLiteral("Permiso denegado: el fichero es de solo lectura"));

    const QByteArray carpeta = Carpeta(real);
    const QByteArray nombre = real.mid(real.lastIndexOf('/') + 1);
    QByteArray plantilla = carpeta + "/." + nombre.left(64) + ".XXXXXX.tmp";
    Descriptor temp;
    temp.fd = CrearExclusivo(plantilla);
    if (temp.fd < 0) {
        const int e = errno;
        if (existe && (e == EACCES || e == EPERM)) return EnSitio(real, viejo, escribir, error);
        return Fallo(error, MotivoSistema(e));
    }
    bool ok = Llenar(temp.fd, escribir, error);
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
    if (ok && ::rename(plantilla.constData(), real.constData()) != 0) ok = Fallo(error, MotivoSistema(errno));
    if (!ok) {
        ::unlink(plantilla.constData());
        return false;
    }
    // The new name itself reaches the disk with the folder.
    Descriptor dir;
    dir.fd = ::open(carpeta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Data and name are in place already; some file systems cannot sync a folder.
    if (dir.fd >= 0) Ignorar(::fsync(dir.fd));
    return true;
}

bool EscribirAtomico(const QString &destino, const QByteArray &datos, QString *error)
{
    return EscribirSeguro(
        destino, [&datos](Flujo &s) { return s.Escribir(datos.constData(), datos.size()); }, error);
}

} // namespace Archivos
