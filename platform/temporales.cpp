#include "platform/temporales.h"

#include "platform/carpetas.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

namespace {
// The program's mark in every temporary name: nobody types it by chance.
// (Views, not arrays: the cleanup's thread may still read them while the
// program's static objects go at exit.)
constexpr QByteArrayView kMarca{"~zolv-"};
constexpr QByteArrayView kFinJunto{".tmp"};

// Milliseconds since the system started, like the platform's tick count.
qint64 Ticks()
{
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference() % 4294967296LL;
}

bool EsLetraODigito(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
bool EsMinuscula(char c) { return c >= 'a' && c <= 'z'; }
bool EsDigito(char c) { return c >= '0' && c <= '9'; }

// The open, locked descriptors of the temporaries this run made, until Borrar.
std::map<QString, int> &Abiertos()
{
    static std::map<QString, int> m;
    return m;
}
} // namespace

NombreTemporal NombreTemporal::Suelto(const QByteArray &prefijo, const QByteArray &extension)
{
    return {prefijo, QByteArray(prefijo).append(QByteArray::number(Ticks())).append(kMarca), extension};
}

NombreTemporal NombreTemporal::Junto(const QByteArray &nombre)
{
    return {QByteArray(),
            QByteArray(1, '.').append(nombre.left(64)).append(kMarca).append(QCryptographicHash::hash(nombre, QCryptographicHash::Sha256).toHex().left(12)).append('-'),
            kFinJunto.toByteArray()};
}

std::optional<NombreTemporal> NombreTemporal::DeSuelto(QByteArrayView n)
{
    // "zolv_", the kind and the tick count, the mark, the tail, ".abc".
    const qsizetype fin = n.size() - 4, marca = fin - kCola - kMarca.size();
    if (marca <= kInicioSuelto.size() || !n.startsWith(kInicioSuelto) || n.sliced(marca, kMarca.size()) != kMarca || n[fin] != '.' ||
        !std::all_of(n.begin() + fin + 1, n.end(), EsMinuscula))
        return std::nullopt;
    // The kind's letters, then at least one digit.
    qsizetype i = kInicioSuelto.size();
    while (i < marca && (EsMinuscula(n[i]) || n[i] == '_')) ++i;
    if (i == kInicioSuelto.size() || i == marca || !std::all_of(n.begin() + i, n.begin() + marca, EsDigito)) return std::nullopt;
    NombreTemporal r(n.first(i).toByteArray(), n.first(marca + kMarca.size()).toByteArray(), n.sliced(fin).toByteArray());
    if (!r.Es(n)) return std::nullopt;
    return r;
}

bool NombreTemporal::Es(QByteArrayView n) const
{
    return n.size() == cabeza_.size() + kCola + fin_.size() && n.startsWith(cabeza_) && n.endsWith(fin_) &&
           std::all_of(n.begin() + cabeza_.size(), n.begin() + cabeza_.size() + kCola, EsLetraODigito);
}

int CrearExclusivo(const QByteArray &carpeta, const NombreTemporal &nombre, QByteArray &ruta, int &fd)
{
    ruta = carpeta + '/' + nombre.Cabeza() + QByteArray(NombreTemporal::kCola, 'X') + nombre.Fin();
    const qsizetype cola = ruta.size() - nombre.Fin().size() - NombreTemporal::kCola;
    for (int intento = 0; intento < 100; ++intento) {
        for (int i = 0; i < NombreTemporal::kCola; ++i)
            ruta[cola + i] = NombreTemporal::kLetras[QRandomGenerator::global()->bounded(int(sizeof NombreTemporal::kLetras) - 1)];
        fd = ::open(ruta.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno != EEXIST) return errno;
            continue;
        }
        // A cleanup may take the new file before it is locked: the name goes
        // to it (it removes the file), and another name is tried. Where the
        // file system locks nothing, the age rule still holds.
        struct stat abierto, nombrado;
        const bool cogido = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (!cogido && ::fstat(fd, &abierto) == 0 && ::lstat(ruta.constData(), &nombrado) == 0 &&
            abierto.st_ino == nombrado.st_ino && abierto.st_dev == nombrado.st_dev)
            return 0;
        ::close(fd);
        fd = -1;
    }
    return EEXIST;
}

QString CrearTemporal(const QString &prefijo, const QString &extension, const QString &carpeta)
{
    QByteArray ruta;
    int fd = -1;
    if (CrearExclusivo(QFile::encodeName(carpeta.isEmpty() ? CarpetaTemporal() : carpeta),
                       NombreTemporal::Suelto(QFile::encodeName(prefijo), QFile::encodeName(extension)), ruta, fd) != 0)
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

} // namespace Archivos
