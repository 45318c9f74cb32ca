#include "platform/files.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/file.h>
#include <sys/mman.h>
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

// For the calls whose failure changes nothing we could do.
void Ignorar(int) {}

// Letters of the six-character tail of our temporary names.
constexpr char kLetras[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kCola = 6;
// The program's mark in every temporary name: nobody types it by chance.
const QByteArray kMarca = QByteArrayLiteral("~zolv-");
const QByteArray kFinTemporal = QByteArrayLiteral(".tmp");
// Beside a kept copy's folder: the note of its file, and the same once told.
const QByteArray kNota = QByteArrayLiteral(".nota"), kAvisada = QByteArrayLiteral(".avisada");

// A new file, exclusively, from a template whose unique tail is the kCola
// bytes at 'cola': 0, or an error number (EEXIST when every name tried was
// taken). It is locked at once, so no cleanup takes a running save's file.
int CrearExclusivo(QByteArray &plantilla, qsizetype cola, int &fd)
{
    for (int intento = 0; intento < 100; ++intento) {
        for (int i = 0; i < kCola; ++i)
            plantilla[cola + i] = kLetras[QRandomGenerator::global()->bounded(int(sizeof kLetras) - 1)];
        fd = ::open(plantilla.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // Where the file system locks nothing, the age rule still holds.
            Ignorar(::flock(fd, LOCK_EX | LOCK_NB));
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// A temporary of a folder: prefix, tick count, mark, tail, extension.
int CrearEn(const QByteArray &carpeta, const QByteArray &prefijo, const QByteArray &extension, QByteArray &ruta, int &fd)
{
    ruta = carpeta + '/' + prefijo + QByteArray::number(Ticks()) + kMarca + QByteArray(kCola, 'X') + extension;
    return CrearExclusivo(ruta, ruta.size() - extension.size() - kCola, fd);
}

// Why a new file could not be made in the target's folder.
QString MotivoCrear(int e, const QByteArray &carpeta)
{
    if (e == EEXIST)
        return QStringLiteral("No quedan nombres libres para un fichero temporal en ") + QFile::decodeName(carpeta);
    return MotivoSistema(e);
}

// A failure in a folder of the program's own names it: it is not the
// target's disk. 'cual' says which folder ("la carpeta temporal ").
QString MotivoCarpeta(int e, const QString &carpeta, const QString &cual)
{
    switch (e) {
    case ENOSPC:
    case EDQUOT: return MotivoSistema(e) + QStringLiteral(" de ") + cual + carpeta;
    case EEXIST: return MotivoCrear(e, QFile::encodeName(carpeta));
    default: return QStringLiteral("No se puede usar ") + cual + carpeta + QStringLiteral(": ") + MotivoSistema(e);
    }
}
QString MotivoTemporal(int e) { return MotivoCarpeta(e, CarpetaTemporal(), QStringLiteral("la carpeta temporal ")); }

// Where in-place saves keep the old content.
QString CarpetaCopias() { return CarpetaDatos() + QStringLiteral("/copias"); }
QString MotivoCopias(int e) { return MotivoCarpeta(e, CarpetaCopias(), QStringLiteral("la carpeta ")); }

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
        const int e = CrearEn(QFile::encodeName(CarpetaTemporal()), prefijo, kFinTemporal, r, d.fd);
        if (e == 0) ruta = r;
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

// All n bytes at pos, however many reads the system takes to give them.
bool LeerEntero(int fd, char *buf, size_t n, off_t pos)
{
    for (size_t hecho = 0; hecho < n;) {
        const ssize_t r = ::pread(fd, buf + hecho, n - hecho, pos + off_t(hecho));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        hecho += size_t(r);
    }
    return true;
}

// True when both files hold the same first n bytes.
bool Iguales(int a, int b, off_t n)
{
    static constexpr size_t kBloque = 1 << 16;
    std::unique_ptr<char[]> x(new char[kBloque]), y(new char[kBloque]);
    for (off_t pos = 0; pos < n;) {
        const size_t k = std::min<off_t>(kBloque, n - pos);
        if (!LeerEntero(a, x.get(), k, pos) || !LeerEntero(b, y.get(), k, pos) || std::memcmp(x.get(), y.get(), k) != 0)
            return false;
        pos += k;
    }
    return true;
}

// True when the file is exactly the first n bytes of the other.
bool Contiene(int fd, int de, off_t n)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && st.st_size == n && Iguales(fd, de, n);
}

// Puts the old content back into the file from its copy; 0 or an error number.
int Reponer(int fd, int copia, off_t tam)
{
    const Copia c = CopiarBytes(copia, fd, tam);
    if (c.error) return c.error;
    if (::ftruncate(fd, tam) != 0 || ::fsync(fd) != 0) return errno;
    return 0;
}

// The copy of the old content that an in-place save keeps until the file is
// whole again: a folder of its own under the data folder, locked while the
// save runs, the copy in it under the file's name, and beside the folder a
// note of the file it belongs to, written once the copy is checked (the
// next start looks for those). Removed on every way out unless kept.
struct CopiaAnterior {
    QByteArray carpeta, fichero;
    Descriptor dir, d;
    bool conservar = false;
    ~CopiaAnterior()
    {
        if (carpeta.isEmpty() || conservar) return;
        ::unlink((carpeta + kNota).constData());
        if (!fichero.isEmpty()) ::unlink(fichero.constData());
        ::rmdir(carpeta.constData());
    }
    // 0 or an error number.
    int Crear(const QByteArray &nombre)
    {
        errno = 0;
        if (!QDir().mkpath(CarpetaCopias())) return errno ? errno : EACCES;
        QByteArray plantilla = QFile::encodeName(CarpetaCopias()) + "/XXXXXX";
        if (!::mkdtemp(plantilla.data())) return errno;
        carpeta = plantilla;
        dir.fd = ::open(carpeta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir.fd < 0) return errno;
        Ignorar(::flock(dir.fd, LOCK_EX | LOCK_NB));
        d.fd = ::open((carpeta + '/' + nombre).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (d.fd < 0) return errno;
        fichero = carpeta + '/' + nombre;
        return 0;
    }
    // From here the next start knows of the copy: the note, synced with its folder.
    int Anotar(const QByteArray &destino)
    {
        Descriptor n;
        n.fd = ::open((carpeta + kNota).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (n.fd < 0) return errno;
        const QByteArray texto = destino + '\n';
        Flujo f(n.fd);
        if (!f.Escribir(texto.constData(), texto.size())) return f.Error();
        if (::fsync(n.fd) != 0) return errno;
        if (const int e = n.Cerrar()) return e;
        Descriptor c;
        c.fd = ::open(QFile::encodeName(CarpetaCopias()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (c.fd >= 0) Ignorar(::fsync(c.fd));
        return 0;
    }
    // The message names it: it stays, and the next start does not tell again.
    QString Conservar()
    {
        conservar = true;
        Ignorar(::rename((carpeta + kNota).constData(), (carpeta + kAvisada).constData()));
        return QFile::decodeName(fichero);
    }
};

// The folder refuses new files but the file may be written. As careful
// editors do: the new content is made and checked first (in the temporary
// folder, or in memory when it is all at hand), and so is a copy of the old
// file; only then is the file written in place. Any failure while writing
// puts the old content back from the copy; if even that fails, the copy
// stays and the message says what the file holds and where the copy is.
bool EnSitio(const QByteArray &real, const Escritor &escribir, bool enMemoria, QString *error)
{
    Temporal nuevo;
    if (enMemoria) {
        nuevo.d.fd = ::memfd_create("zolv", MFD_CLOEXEC);
        if (nuevo.d.fd < 0) return Fallo(error, MotivoSistema(errno));
    } else if (const int e = nuevo.Crear("zolv_escritura_")) {
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
    if (!c.error) c.error = copia.Anotar(real);
    if (c.error)
        return Fallo(error, QStringLiteral("No se pudo copiar el fichero antes de escribirlo: ") +
                                (c.alLeer ? MotivoSistema(c.error) : MotivoCopias(c.error)));

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

// Every name in a folder, hidden ones and broken links included.
QStringList Entradas(const QByteArray &carpeta)
{
    return QDir(QFile::decodeName(carpeta)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A leftover goes when it is a regular file of this user, older than an
// hour, and no running save holds its lock.
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
    ::unlink(ruta.constData());
}

// The leftovers of a folder whose names 'nuestro' recognises.
void BorrarRestos(const QByteArray &carpeta, const std::function<bool(const QByteArray &)> &nuestro)
{
    const time_t limite = ::time(nullptr) - 3600;
    for (const QString &nombre : Entradas(carpeta)) {
        const QByteArray n = QFile::encodeName(nombre);
        if (nuestro(n)) BorrarSiAbandonado(carpeta + '/' + n, limite);
    }
}

// The start of a target's temporaries: "." + its name's first 64 bytes, the
// mark, and a digest of the whole name (two long names that begin alike
// still differ here); the unique tail and ".tmp" follow.
QByteArray PrefijoJunto(const QByteArray &nombre)
{
    return '.' + nombre.left(64) + kMarca +
           QCryptographicHash::hash(nombre, QCryptographicHash::Sha256).toHex().left(12) + '-';
}

bool Alfanumerico(const QByteArray &b)
{
    return std::all_of(b.begin(), b.end(), [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) != 0; });
}

// The open, locked descriptors of the temporaries this run made, until Borrar.
std::map<QString, int> &Abiertos()
{
    static std::map<QString, int> m;
    return m;
}

// Runs every writer by the rules of the header; 'enMemoria' when the
// content is all at hand.
bool Escribir(const QString &destino, const Escritor &escribir, bool enMemoria, QString *error)
{
    QByteArray real;
    if (const int e = Resolver(destino, real)) return Fallo(error, MotivoSistema(e));
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
    const QByteArray prefijo = PrefijoJunto(real.mid(real.lastIndexOf('/') + 1));
    QByteArray plantilla = carpeta + '/' + prefijo + QByteArray(kCola, 'X') + kFinTemporal;
    Descriptor temp;
    if (const int e = CrearExclusivo(plantilla, plantilla.size() - kFinTemporal.size() - kCola, temp.fd)) {
        if (existe && (e == EACCES || e == EPERM)) return EnSitio(real, escribir, enMemoria, error);
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
    BorrarRestos(carpeta, [&prefijo](const QByteArray &n) {
        return n.size() == prefijo.size() + kCola + kFinTemporal.size() && n.startsWith(prefijo) &&
               n.endsWith(kFinTemporal) && Alfanumerico(n.mid(prefijo.size(), kCola));
    });
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
    // Qt gives nothing for a folder that does not exist: that folder is
    // still the one to use, and to name when it fails.
    QString t = QDir::tempPath();
    if (t.isEmpty()) t = QDir::cleanPath(qEnvironmentVariable("TMPDIR"));
    while (t.size() > 1 && t.endsWith(u'/')) t.chop(1);
    return t;
}

QString CarpetaDatos()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ZOLV Halvora");
}

QString CarpetaBorradores() { return CarpetaDatos() + QStringLiteral("/borradores"); }

QString CrearTemporal(const QString &prefijo, const QString &extension, const QString &carpeta)
{
    QByteArray ruta;
    int fd = -1;
    if (CrearEn(QFile::encodeName(carpeta.isEmpty() ? CarpetaTemporal() : carpeta), QFile::encodeName(prefijo),
                QFile::encodeName(extension), ruta, fd) != 0)
        return QString();
    const QString r = QFile::decodeName(ruta);
    Abiertos()[r] = fd;
    return r;
}

bool Borrar(const QString &ruta)
{
    const auto abierto = Abiertos().find(ruta);
    if (abierto != Abiertos().end()) {
        ::close(abierto->second);
        Abiertos().erase(abierto);
    }
    if (ruta.isEmpty() || !QFileInfo::exists(ruta)) return true;
    return QFile::remove(ruta);
}

void LimpiarTemporales()
{
    static const QRegularExpression nuestro(QStringLiteral("^zolv_[a-z_]+[0-9]+~zolv-[A-Za-z0-9]{6}\\.[a-z]{3}$"));
    BorrarRestos(QFile::encodeName(CarpetaTemporal()),
                 [](const QByteArray &n) { return nuestro.match(QString::fromLatin1(n)).hasMatch(); });
    // The program's own scratch folder holds nothing else.
    BorrarRestos(QFile::encodeName(CarpetaBorradores()), [](const QByteArray &) { return true; });
}

std::vector<GuardadoInterrumpido> GuardadosInterrumpidos()
{
    std::vector<GuardadoInterrumpido> hay;
    const QByteArray copias = QFile::encodeName(CarpetaCopias());
    for (const QString &nombre : Entradas(copias)) {
        const QByteArray n = QFile::encodeName(nombre);
        const QByteArray carpeta = copias + '/' + n;
        struct stat st;
        if (n.size() != kCola || !Alfanumerico(n) || ::lstat(carpeta.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        Descriptor dir;
        dir.fd = ::open(carpeta.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        // A save running now holds its folder; one told about stays as it is.
        if (dir.fd < 0 || ::flock(dir.fd, LOCK_EX | LOCK_NB) != 0 || ::access((carpeta + kAvisada).constData(), F_OK) == 0)
            continue;
        QFile nota(QFile::decodeName(carpeta + kNota));
        QByteArray ruta = nota.open(QIODevice::ReadOnly) ? nota.readAll() : QByteArray();
        nota.close();
        // A note is complete with its line's end.
        const bool completa = ruta.endsWith('\n');
        ruta.chop(1);
        const QByteArray copia = carpeta + '/' + ruta.mid(ruta.lastIndexOf('/') + 1);
        if (completa && ::lstat(copia.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            hay.push_back({QFile::decodeName(ruta), QFile::decodeName(copia)});
            Ignorar(::rename((carpeta + kNota).constData(), (carpeta + kAvisada).constData()));
            continue;
        }
        // No complete note: the save was stopped before it wrote in place.
        ::unlink((carpeta + kNota).constData());
        for (const QFileInfo &f : QDir(QFile::decodeName(carpeta)).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
            QFile::remove(f.filePath());
        ::rmdir(carpeta.constData());
    }
    return hay;
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
    int64_t resto = n;
    while (resto > 0) {
        const ssize_t w = ::write(fd_, p, static_cast<size_t>(resto));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            Fallar(w < 0 ? errno : EIO);
            return false;
        }
        p += w;
        resto -= w;
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

// ---------------------------------------------------------------- writing

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
