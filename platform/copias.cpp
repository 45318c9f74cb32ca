#include "platform/copias.h"

#include "platform/carpetas.h"
#include "platform/flujo.h"
#include "platform/motivos.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

bool Alfanumerico(const QByteArray &b)
{
    return std::all_of(b.begin(), b.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
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

int CopiaAnterior::Anotar(const QByteArray &destino)
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
    for (const QString &nombre : Entradas(copias)) {
        const QByteArray n = QFile::encodeName(nombre);
        const QByteArray carpeta = copias + '/' + n;
        struct stat st;
        if (n.size() != kLargoCarpeta || !Alfanumerico(n) || ::lstat(carpeta.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
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

} // namespace Archivos
