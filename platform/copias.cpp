#include "platform/copias.h"

#include "platform/carpetas.h"
#include "platform/flujo.h"
#include "platform/motivos.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

namespace {
// Beside a kept copy's folder: the note of its file, and the same once told.
const QByteArray kNota = QByteArrayLiteral(".nota"), kAvisada = QByteArrayLiteral(".avisada");
// A copy's folder: six letters or digits, as mkdtemp makes them.
constexpr int kLargoCarpeta = 6;

bool Alfanumerico(QByteArrayView b)
{
    return std::all_of(b.begin(), b.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// What a note says.
struct Nota {
    bool completa = false;
    QByteArray ruta;
    qint64 tam = -1;
    QByteArray huella; // empty in notes of earlier versions
};

Nota LeerNota(QByteArray texto)
{
    Nota n;
    // A note is complete with its last line's end.
    n.completa = texto.endsWith('\n');
    texto.chop(1);
    const qsizetype salto = texto.indexOf('\n');
    const QByteArray primera = texto.left(salto), huella = primera.mid(primera.indexOf(' ') + 1);
    bool numero = false;
    const qint64 tam = primera.left(primera.indexOf(' ')).toLongLong(&numero);
    if (salto > 0 && numero && tam >= 0 && huella.size() == 64 &&
        std::all_of(huella.begin(), huella.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); })) {
        n.tam = tam, n.huella = huella, n.ruta = texto.mid(salto + 1);
    } else {
        n.ruta = texto;
    }
    return n;
}

// True when the file already holds the whole new content the note names.
bool Completo(const Nota &n)
{
    struct stat st;
    if (n.huella.isEmpty() || ::stat(n.ruta.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != n.tam) return false;
    Descriptor f;
    f.fd = ::open(n.ruta.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return f.fd >= 0 && ::fstat(f.fd, &st) == 0 && st.st_size == n.tam && Huella(f.fd, n.tam) == n.huella;
}
} // namespace

QString CarpetaCopias() { return CarpetaDatos() + QStringLiteral("/copias"); }
QString MotivoCopias(int e) { return MotivoCarpeta(e, CarpetaCopias(), QStringLiteral("la carpeta ")); }

CopiaAnterior::~CopiaAnterior()
{
    if (carpeta.isEmpty() || conservar) return;
    ::unlink((carpeta + kNota).constData());
    if (!fichero.isEmpty()) ::unlink(fichero.constData());
    ::rmdir(carpeta.constData());
}

int CopiaAnterior::Crear(const QByteArray &nombre)
{
    if (const int e = CrearCarpeta(CarpetaCopias())) return e;
    // A start that looks for interrupted saves may take a new folder before
    // it is locked (it removes it): then another folder is made.
    for (int intento = 0;; ++intento) {
        QByteArray plantilla = QFile::encodeName(CarpetaCopias()) + "/XXXXXX";
        if (!::mkdtemp(plantilla.data())) return errno;
        carpeta = plantilla;
        dir.fd = ::open(carpeta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir.fd < 0) return errno;
        struct stat abierta, nombrada;
        const bool cogida = ::flock(dir.fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (!cogida && ::fstat(dir.fd, &abierta) == 0 && ::lstat(carpeta.constData(), &nombrada) == 0 &&
            abierta.st_ino == nombrada.st_ino && abierta.st_dev == nombrada.st_dev)
            break;
        ::close(dir.fd);
        dir.fd = -1;
        carpeta.clear();
        if (intento == 100) return EEXIST;
    }
    d.fd = ::open((carpeta + '/' + nombre).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (d.fd < 0) return errno;
    fichero = carpeta + '/' + nombre;
    return 0;
}

int CopiaAnterior::Anotar(const QByteArray &destino, qint64 tam, const QByteArray &huella)
{
    Descriptor n;
    n.fd = ::open((carpeta + kNota).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (n.fd < 0) return errno;
    const QByteArray texto = (huella.isEmpty() ? QByteArray() : QByteArray::number(tam) + ' ' + huella + '\n') + destino + '\n';
    Flujo f(n.fd);
    if (!f.Escribir(texto.constData(), texto.size())) return f.Error();
    if (::fsync(n.fd) != 0) return errno;
    if (const int e = n.Cerrar()) return e;
    Descriptor c;
    c.fd = ::open(QFile::encodeName(CarpetaCopias()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (c.fd >= 0) Ignorar(::fsync(c.fd));
    return 0;
}

QString CopiaAnterior::Conservar()
{
    conservar = true;
    Ignorar(::rename((carpeta + kNota).constData(), (carpeta + kAvisada).constData()));
    return QFile::decodeName(fichero);
}

std::vector<GuardadoInterrumpido> GuardadosInterrumpidos()
{
    std::vector<GuardadoInterrumpido> hay;
    const QByteArray copias = QFile::encodeName(CarpetaCopias());
    Recorrer(copias, {}, [&](QByteArrayView n) {
        const QByteArray carpeta = EnCarpeta(copias, n);
        struct stat st;
        if (n.size() != kLargoCarpeta || !Alfanumerico(n) || ::lstat(carpeta.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return;
        Descriptor dir;
        dir.fd = ::open(carpeta.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        // A save running now holds its folder; one told about stays as it is.
        if (dir.fd < 0 || ::flock(dir.fd, LOCK_EX | LOCK_NB) != 0 || ::access((carpeta + kAvisada).constData(), F_OK) == 0)
            return;
        QFile archivoNota(QFile::decodeName(carpeta + kNota));
        const Nota nota = LeerNota(archivoNota.open(QIODevice::ReadOnly) ? archivoNota.readAll() : QByteArray());
        archivoNota.close();
        const QByteArray copia = carpeta + '/' + nota.ruta.mid(nota.ruta.lastIndexOf('/') + 1);
        // No complete note: the save was stopped before it wrote in place.
        // A file that holds the whole new content needs its copy no more.
        if (nota.completa && ::lstat(copia.constData(), &st) == 0 && S_ISREG(st.st_mode) && !Completo(nota)) {
            hay.push_back({QFile::decodeName(nota.ruta), QFile::decodeName(copia)});
            Ignorar(::rename((carpeta + kNota).constData(), (carpeta + kAvisada).constData()));
            return;
        }
        ::unlink((carpeta + kNota).constData());
        Recorrer(carpeta, {}, [&carpeta](QByteArrayView f) { ::unlink(EnCarpeta(carpeta, f).constData()); });
        ::rmdir(carpeta.constData());
    });
    return hay;
}

} // namespace Archivos
