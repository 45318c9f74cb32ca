#include "platform/descriptor.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

namespace {
constexpr size_t kBloque = 1 << 16;

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
} // namespace

Descriptor::~Descriptor()
{
    if (fd >= 0) ::close(fd);
}

int Descriptor::Cerrar()
{
    const int r = ::close(fd);
    fd = -1;
    return r == 0 ? 0 : errno;
}

Copia CopiarBytes(int de, int a, off_t n)
{
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

bool Iguales(int a, int b, off_t n)
{
    std::unique_ptr<char[]> x(new char[kBloque]), y(new char[kBloque]);
    for (off_t pos = 0; pos < n;) {
        const size_t k = std::min<off_t>(kBloque, n - pos);
        if (!LeerEntero(a, x.get(), k, pos) || !LeerEntero(b, y.get(), k, pos) || std::memcmp(x.get(), y.get(), k) != 0)
            return false;
        pos += k;
    }
    return true;
}

bool Contiene(int fd, int de, off_t n)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && st.st_size == n && Iguales(fd, de, n);
}

QByteArray Huella(int fd, off_t n)
{
    QCryptographicHash h(QCryptographicHash::Blake2b_256);
    std::unique_ptr<char[]> buf(new char[kBloque]);
    for (off_t pos = 0; pos < n;) {
        const size_t k = std::min<off_t>(kBloque, n - pos);
        if (!LeerEntero(fd, buf.get(), k, pos)) return QByteArray();
        h.addData(QByteArrayView(buf.get(), qsizetype(k)));
        pos += k;
    }
    return h.result().toHex();
}

void Recorrer(const QByteArray &carpeta, QByteArrayView inicio, const std::function<void(QByteArrayView)> &cada)
{
    DIR *d = ::opendir(carpeta.constData());
    if (!d) return;
    while (const dirent *e = ::readdir(d)) {
        const char *n = e->d_name;
        if (!inicio.isEmpty() && std::strncmp(n, inicio.data(), size_t(inicio.size())) != 0) continue;
        const QByteArrayView nombre(n, qsizetype(std::strlen(n)));
        if (nombre != "." && nombre != "..") cada(nombre);
    }
    ::closedir(d);
}

} // namespace Archivos
