// No redirection of open to open64, nor inline checked wrappers: this file
// defines the plain C library names.
#undef _FILE_OFFSET_BITS
#undef _FORTIFY_SOURCE

#include "inyeccion.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <sys/types.h>
#include <unistd.h>

namespace Inyeccion {
namespace {

struct Estado {
    std::mutex m;
    std::vector<Regla> reglas;
    std::vector<int> vistas;
    bool disparada = false;
};
Estado &E()
{
    static Estado e;
    return e;
}
std::atomic<bool> armado{false};

QByteArray RutaDe(int fd)
{
    char enlace[64], ruta[4096];
    std::snprintf(enlace, sizeof enlace, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(enlace, ruta, sizeof ruta);
    return n > 0 ? QByteArray(ruta, int(n)) : QByteArray();
}

// 0, or the error number the call must fail with.
int Falla(Llamada llamada, const QByteArray &ruta)
{
    if (!armado.load(std::memory_order_relaxed) || ruta.isEmpty()) return 0;
    Estado &e = E();
    const std::lock_guard<std::mutex> g(e.m);
    int fallo = 0;
    for (size_t i = 0; i < e.reglas.size(); ++i) {
        const Regla &r = e.reglas[i];
        if (r.llamada != llamada || !ruta.contains(r.ruta)) continue;
        const int n = ++e.vistas[i];
        if (!fallo && (n == r.desde || (r.todas && n > r.desde))) fallo = r.error;
    }
    if (fallo) e.disparada = true;
    return fallo;
}
int Falla(Llamada llamada, int fd)
{
    return armado.load(std::memory_order_relaxed) ? Falla(llamada, RutaDe(fd)) : 0;
}

template <typename F> F Real(const char *nombre)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, nombre));
}

} // namespace

Fallos::Fallos(std::vector<Regla> reglas)
{
    Estado &e = E();
    const std::lock_guard<std::mutex> g(e.m);
    e.vistas.assign(reglas.size(), 0);
    e.reglas = std::move(reglas);
    e.disparada = false;
    armado = true;
}

Fallos::~Fallos() { armado = false; }

int Fallos::Vistas(size_t regla) const
{
    const std::lock_guard<std::mutex> g(E().m);
    return E().vistas.at(regla);
}

bool Fallos::Disparada() const
{
    const std::lock_guard<std::mutex> g(E().m);
    return E().disparada;
}

} // namespace Inyeccion

using Inyeccion::Falla;
using Inyeccion::Llamada;
using Inyeccion::Real;

#define FALLAR(llamada, quien)                                                                                        \
    if (const int e_ = Falla(llamada, quien)) {                                                                       \
        errno = e_;                                                                                                   \
        return -1;                                                                                                    \
    }

extern "C" {

ssize_t write(int fd, const void *b, size_t n)
{
    static const auto real = Real<ssize_t (*)(int, const void *, size_t)>("write");
    FALLAR(Llamada::Escribir, fd);
    return real(fd, b, n);
}

ssize_t pwrite(int fd, const void *b, size_t n, off_t pos)
{
    static const auto real = Real<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite");
    FALLAR(Llamada::Escribir, fd);
    return real(fd, b, n, pos);
}

int ftruncate(int fd, off_t n)
{
    static const auto real = Real<int (*)(int, off_t)>("ftruncate");
    FALLAR(Llamada::Truncar, fd);
    return real(fd, n);
}

int ftruncate64(int fd, off_t n)
{
    static const auto real = Real<int (*)(int, off_t)>("ftruncate64");
    FALLAR(Llamada::Truncar, fd);
    return real(fd, n);
}

int fsync(int fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    FALLAR(Llamada::Sincronizar, fd);
    return real(fd);
}

int fdatasync(int fd)
{
    static const auto real = Real<int (*)(int)>("fdatasync");
    FALLAR(Llamada::Sincronizar, fd);
    return real(fd);
}

// A failed close still releases the descriptor, as the system's does.
int close(int fd)
{
    static const auto real = Real<int (*)(int)>("close");
    const int e = Falla(Llamada::Cerrar, fd);
    const int r = real(fd);
    if (e) errno = e;
    return e ? -1 : r;
}

// The mode is there only when the flags create a file.
#define MODO(flags)                                                                                                   \
    mode_t modo = 0;                                                                                                  \
    if ((flags) & (O_CREAT | __O_TMPFILE)) {                                                                          \
        va_list ap;                                                                                                   \
        va_start(ap, flags);                                                                                          \
        modo = va_arg(ap, mode_t);                                                                                    \
        va_end(ap);                                                                                                   \
    }

int open(const char *ruta, int flags, ...)
{
    static const auto real = Real<int (*)(const char *, int, ...)>("open");
    MODO(flags);
    FALLAR(Llamada::Abrir, QByteArray(ruta));
    return real(ruta, flags, modo);
}

int open64(const char *ruta, int flags, ...)
{
    static const auto real = Real<int (*)(const char *, int, ...)>("open64");
    MODO(flags);
    FALLAR(Llamada::Abrir, QByteArray(ruta));
    return real(ruta, flags, modo);
}

} // extern "C"
