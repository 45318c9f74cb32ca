#include "platform/flujo.h"

#include "platform/motivos.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

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

bool Fallo(QString *error, const QString &motivo)
{
    if (error) *error = motivo;
    return false;
}

bool Llenar(int fd, const Escritor &escribir, QString *error, QString (*motivo)(int))
{
    Flujo s(fd);
    const bool ok = escribir(s);
    if (s.Fallo()) return Fallo(error, s.Error() ? motivo(s.Error()) : s.Motivo());
    if (!ok) return Fallo(error, QStringLiteral("no se pudo escribir el fichero"));
    if (::fsync(fd) != 0) return Fallo(error, motivo(errno));
    return true;
}

} // namespace Archivos
