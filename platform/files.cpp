#include "platform/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
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

// Letters of the six-character tail of our temporary names.
constexpr char kLetras[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kCola = 6;
const QByteArray kFinTemporal = QByteArrayLiteral(".tmp");

// A new file, exclusively, from a template ending in "XXXXXX.tmp": 0, or an
// error number (EEXIST when every name tried was taken).
int CrearExclusivo(QByteArray &plantilla, int &fd)
{
    const qsizetype cola = plantilla.size() - kFinTemporal.size() - kCola;
    for (int intento = 0; intento < 100; ++intento) {
        for (int i = 0; i < kCola; ++i)
            plantilla[cola + i] = kLetras[QRandomGenerator::global()->bounded(int(sizeof kLetras) - 1)];
        fd = ::open(plantilla.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) return 0;
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Why a new file could not be made in a folder.
QString MotivoCrear(int e, const QByteArray &carpeta)
{
    if (e == EEXIST)
        return QStringLiteral("No quedan nombres libres para un fichero temporal en ") + QFile::decodeName(carpeta);
    return MotivoSistema(e);
}

// A failure in the temporary folder names it: it is not the target's disk.
QString MotivoTemporal(int e)
{
    const QString carpeta = CarpetaTemporal();
    switch (e) {
    case ENOSPC:
    case EDQUOT: return MotivoSistema(e) + QStringLiteral(" de la carpeta temporal ") + carpeta;
    case EEXIST: return MotivoCrear(e, QFile::encodeName(carpeta));
    default: return QStringLiteral("No se puede usar la carpeta temporal ") + carpeta + QStringLiteral(": ") + MotivoSistema(e);
    }
}

// For the calls whose failure changes nothing we could do.
void Ignorar(int) {}

// Runs the writer into a fresh file and checks all it did, the data synced;
// 'motivo' turns an error number into the user's words.
bool Llenar(int fd, const Escritor &escribir, QString *error, QString (*motivo)(int) = MotivoSistema)
{
    Flujo s(fd);
    const bool ok = escribir(s);
    if (s.Fallo()) return Fallo(error, s.Error() ? motivo(s.Error()) : s.Motivo());
    if (!ok) return Fallo(error, QStringLiteral("no se pudo escribir el fichero"));
    if (::fsync(fd) != 0) return Fallo(error, motivo(errno));
    return true;
}

mode_t PermisosNuevos()
{
    const mode_t m = ::umask(0);
    ::umask(m);
    return 0666 & ~m;
}

// A file of the temporary folder, removed on every way out unless kept.
struct Temporal {
    QByteArray ruta;
    Descriptor d;
    bool conservar = false;
    ~Temporal()
    {
        if (!ruta.isEmpty() && !conservar) ::unlink(ruta.constData());
    }
    // 0 or an error number.
    int Crear(const QByteArray &prefijo)
    {
        QByteArray p = QFile::encodeName(CarpetaTemporal()) + '/' + prefijo + "XXXXXX" + kFinTemporal;
        const int e = CrearExclusivo(p, d.fd);
        if (e == 0) ruta = p;
        return e;
    }
};

// The outcome of a copy between two open files: 0, or the first error
// number and on which side it happened.
struct Copia {
    int error = 0;
    bool alLeer = false;
};

// Copies n bytes from the start of one file to the start of another.
Copia CopiarBytes(int de, int a, off_t n)
{
    static constexpr size_t kBloque = 1 << 16;
    std::unique_ptr<char[]> buf(new char[kBloque]);
    for (off_t pos = 0; pos < n;) {
        const ssize_t r = ::pread(de, buf.get(), std::min<off_t>(kBloque, n - pos), pos);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return {r < 0 ? errno : EIO, true};
        for (ssize_t hecho = 0; hecho < r;) {
            const ssize_t w = ::pwrite(a, buf.get() + hecho, r - hecho, pos + hecho);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return {w < 0 ? errno : EIO, false};
            hecho += w;
        }
        pos += r;
    }
    return {};
}

// True when both files hold the same first n bytes.
bool Iguales(int a, int b, off_t n)
{
    static constexpr size_t kBloque = 1 << 16;
    std::unique_ptr<char[]> x(new char[kBloque]), y(new char[kBloque]);
    for (off_t pos = 0; pos < n;) {
        const size_t k = std::min<off_t>(kBloque, n - pos);
        if (::pread(a, x.get(), k, pos) != ssize_t(k) || ::pread(b, y.get(), k, pos) != ssize_t(k) ||
            std::memcmp(x.get(), y.get(), k) != 0)
            return false;
        pos += k;
    }
    return true;
}

// Puts the old content back into the file from its copy; 0 or an error number.
int Reponer(int fd, int copia, off_t tam)
{
    const Copia c = CopiarBytes(copia, fd, tam);
    if (c.error) return c.error;
    if (::ftruncate(fd, tam) != 0 || ::fsync(fd) != 0) return errno;
    return 0;
}

// The folder refuses new files but the file may be written. As careful
// editors do: the new content is made and checked in the temporary folder,
// and so is a copy of the old file; only then is the file written in place.
// Any failure while writing puts the old content back from the copy; if even
// that fails, the copy stays and the message names it.
bool EnSitio(const QByteArray &real, const Escritor &escribir, QString *error)
{
    Temporal nuevo;
    if (const int e = nuevo.Crear("zolv_escritura_")) return Fallo(error, MotivoTemporal(e));
    if (!Llenar(nuevo.d.fd, escribir, error, MotivoTemporal)) return false;
    const off_t tam = ::lseek(nuevo.d.fd, 0, SEEK_END);
    if (tam < 0) return Fallo(error, MotivoSistema(errno));

    Descriptor f;
    f.fd = ::open(real.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    struct stat viejo;
    if (f.fd < 0 || ::fstat(f.fd, &viejo) != 0) return Fallo(error, MotivoSistema(errno));

    // With no room for a checked copy nothing is touched.
    Temporal copia;
    const QByteArray nombre = real.mid(real.lastIndexOf('/') + 1).left(64);
    if (const int e = copia.Crear("zolv_copia_" + nombre + '_')) return Fallo(error, MotivoTemporal(e));
    Copia c = CopiarBytes(f.fd, copia.d.fd, viejo.st_size);
    if (!c.error && ::fsync(copia.d.fd) != 0) c.error = errno;
    if (!c.error && !Iguales(f.fd, copia.d.fd, viejo.st_size)) c = {EIO, true};
    if (c.error)
        return Fallo(error, QStringLiteral("No se pudo copiar el fichero antes de escribirlo: ") +
                                (c.alLeer ? MotivoSistema(c.error) : MotivoTemporal(c.error)));

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
        if (const int r = Reponer(f.fd, copia.d.fd, viejo.st_size)) {
            copia.conservar = true;
            return Fallo(error, motivo + QStringLiteral(". No se pudo reponer el contenido anterior (") +
                                    MotivoSistema(r) + QStringLiteral("): queda una copia en ") +
                                    QFile::decodeName(copia.ruta));
        }
        return Fallo(error, motivo + QStringLiteral(". El fichero conserva su contenido anterior."));
    }
    // The new content is all in place: a failure now is the disk's word.
    e = ::fsync(f.fd) != 0 ? errno : f.Cerrar();
    if (e) {
        copia.conservar = true;
        return Fallo(error, QStringLiteral("El fichero se ha escrito, pero el disco no confirmó la escritura (") +
                                MotivoSistema(e) + QStringLiteral("). Queda una copia del contenido anterior en ") +
                                QFile::decodeName(copia.ruta));
    }
    return true;
}

// A save killed midway leaves its hidden temporary beside the target: those
// of this file's own naming older than an hour go with its next save.
void BorrarRestos(const QByteArray &carpeta, const QByteArray &prefijo)
{
    DIR *d = ::opendir(carpeta.constData());
    if (!d) return;
    const time_t limite = ::time(nullptr) - 3600;
    while (const dirent *e = ::readdir(d)) {
        const QByteArray n(e->d_name);
        if (n.size() != prefijo.size() + kCola + kFinTemporal.size() || !n.startsWith(prefijo) ||
            !n.endsWith(kFinTemporal))
            continue;
        const QByteArray cola = n.mid(prefijo.size(), kCola);
        if (std::any_of(cola.begin(), cola.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }))
            continue;
        const QByteArray ruta = carpeta + '/' + n;
        struct stat st;
        if (::lstat(ruta.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < limite)
            ::unlink(ruta.constData());
    }
    ::closedir(d);
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
    // Qt gives nothing for a folder that does not exist: that folder is
    // still the one to use, and to name when it fails.
    QString t = QDir::tempPath();
    if (t.isEmpty()) t = QDir::cleanPath(qEnvironmentVariable("TMPDIR"));
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
    case EEXIST: return QStringLiteral("Ya existe un fichero con ese nombre");
    case ENXIO:
    case ENODEV: return QStringLiteral("El dispositivo no está disponible");
    case ESTALE:
    case ENOTCONN:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH: return QStringLiteral("Se ha perdido la conexión con el disco de red");
    case EOPNOTSUPP: return QStringLiteral("El sistema de ficheros no admite la operación");
    // The C library speaks English here; the number lets the user look it up.
    default: return QStringLiteral("Error del sistema número %1").arg(e);
    }
}

QString MotivoNoRegular(unsigned modo)
{
    return S_ISDIR(modo) ? MotivoSistema(EISDIR) : QStringLiteral("No es un fichero normal");
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
    if (existe && !S_ISREG(viejo.st_mode)) return Fallo(error, MotivoNoRegular(viejo.st_mode));
    // A file nobody may write is refused even where the system would let
    // us (root) replace it.
    // A read-only mount is the disk's doing, not the file's.
    if (existe && ::access(real.constData(), W_OK) != 0 && errno == EROFS) return Fallo(error, MotivoSistema(EROFS));
    if (existe && ((viejo.st_mode & 0222) == 0 || ::access(real.constData(), W_OK) != 0))
        return Fallo(error, QStringLiteral("Permiso denegado: el fichero es de solo lectura"));

    const QByteArray carpeta = Carpeta(real);
    const QByteArray prefijo = "." + real.mid(real.lastIndexOf('/') + 1).left(64) + ".";
    QByteArray plantilla = carpeta + '/' + prefijo + "XXXXXX" + kFinTemporal;
    Descriptor temp;
    if (const int e = CrearExclusivo(plantilla, temp.fd)) {
        if (existe && (e == EACCES || e == EPERM)) return EnSitio(real, escribir, error);
        return Fallo(error, MotivoCrear(e, carpeta));
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
    BorrarRestos(carpeta, prefijo);
    return true;
}

bool EscribirAtomico(const QString &destino, const QByteArray &datos, QString *error)
{
    return EscribirSeguro(
        destino, [&datos](Flujo &s) { return s.Escribir(datos.constData(), datos.size()); }, error);
}

} // namespace Archivos
