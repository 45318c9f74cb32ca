// No redirection of open to open64, nor inline checked wrappers: this file
// defines the plain C library names.
#undef _FILE_OFFSET_BITS
#undef _FORTIFY_SOURCE

#include "inyeccion.h"

#include <atomic>
#include <cstddef>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <csignal>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
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

// What a call must do instead of its work: fail with an error number, move
// fewer bytes, or pretend.
struct Efecto {
    int error = 0;
    long corto = -1;
    bool mentir = false;
    bool Algo() const { return error || corto >= 0 || mentir; }
};

Efecto Aplicable(Llamada llamada, const QByteArray &ruta)
{
    if (!armado.load(std::memory_order_relaxed) || ruta.isEmpty()) return {};
    Estado &e = E();
    const std::lock_guard<std::mutex> g(e.m);
    Efecto f;
    for (size_t i = 0; i < e.reglas.size(); ++i) {
        const Regla &r = e.reglas[i];
        if (r.llamada != llamada || !ruta.contains(r.ruta)) continue;
        const int n = ++e.vistas[i];
        if (f.Algo() || !(n == r.desde || (r.todas && n > r.desde))) continue;
        if (r.senal) ::raise(r.senal);
        if (r.corto >= 0 || r.mentir)
            f = {0, r.corto, r.mentir};
        else
            f.error = r.error;
    }
    if (f.Algo()) e.disparada = true;
    return f;
}
Efecto Aplicable(Llamada llamada, int fd)
{
    return armado.load(std::memory_order_relaxed) ? Aplicable(llamada, RutaDe(fd)) : Efecto{};
}
// 0, or the error number the call must fail with.
template <typename Quien> int Falla(Llamada llamada, Quien quien) { return Aplicable(llamada, quien).error; }

template <typename F> F Real(const char *nombre)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, nombre));
}

// The allocator's side runs before the sanitizer is up: plain globals and
// builtins, no inline code another file might have instrumented.
size_t limite = 0;
int concedidas = 0, errorMemoria = ENOMEM;

bool Excede(size_t n)
{
    const size_t l = __atomic_load_n(&limite, __ATOMIC_RELAXED);
    if (l == 0 || n <= l) return false;
    if (__atomic_load_n(&concedidas, __ATOMIC_RELAXED) > 0 && __atomic_sub_fetch(&concedidas, 1, __ATOMIC_SEQ_CST) >= 0)
        return false;
    if (const int e = __atomic_load_n(&errorMemoria, __ATOMIC_RELAXED)) errno = e;
    return true;
}

// The allocator's next definition (the sanitizer's, or the C library's),
// looked up on first use; a request made by the lookup itself is served
// from a small arena that is never given back.
bool buscando = false;
template <class F> F Siguiente(F &real, const char *nombre)
{
    if (!real && !__atomic_exchange_n(&buscando, true, __ATOMIC_SEQ_CST)) {
        real = reinterpret_cast<F>(::dlsym(RTLD_NEXT, nombre));
        __atomic_store_n(&buscando, false, __ATOMIC_SEQ_CST);
    }
    return real;
}

alignas(64) char arena[1 << 16];
size_t usado = 0;
void *DeLaArena(size_t n)
{
    const size_t desde = __atomic_fetch_add(&usado, (n + 63) / 64 * 64, __ATOMIC_SEQ_CST);
    return desde + n <= sizeof arena ? arena + desde : nullptr;
}

} // namespace

void LimitarMemoria(size_t bytes, int conceder, int error)
{
    __atomic_store_n(&concedidas, conceder, __ATOMIC_SEQ_CST);
    __atomic_store_n(&errorMemoria, error, __ATOMIC_SEQ_CST);
    __atomic_store_n(&limite, bytes, __ATOMIC_SEQ_CST);
}

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

using Inyeccion::Aplicable;
using Inyeccion::Excede;
using Inyeccion::DeLaArena;
using Inyeccion::Falla;
using Inyeccion::Llamada;
using Inyeccion::Real;
using Inyeccion::Siguiente;

#define FALLAR(llamada, quien)                                                                                        \
    if (const int e_ = Falla(llamada, quien)) {                                                                       \
        errno = e_;                                                                                                   \
        return -1;                                                                                                    \
    }

extern "C" {

// A read or a write as its rule has it: failed, short, or pretended.
#define TRANSFERIR(llamada, hacer)                                                                                    \
    const auto ef_ = Aplicable(llamada, fd);                                                                          \
    if (ef_.error) {                                                                                                  \
        errno = ef_.error;                                                                                            \
        return -1;                                                                                                    \
    }                                                                                                                 \
    if (ef_.mentir) return ssize_t(n);                                                                                \
    if (ef_.corto >= 0 && size_t(ef_.corto) < n) n = size_t(ef_.corto);                                               \
    if (n == 0) return 0;                                                                                             \
    return hacer;

ssize_t read(int fd, void *b, size_t n)
{
    static const auto real = Real<ssize_t (*)(int, void *, size_t)>("read");
    TRANSFERIR(Llamada::Leer, real(fd, b, n));
}

ssize_t pread(int fd, void *b, size_t n, off_t pos)
{
    static const auto real = Real<ssize_t (*)(int, void *, size_t, off_t)>("pread");
    TRANSFERIR(Llamada::Leer, real(fd, b, n, pos));
}

ssize_t pread64(int fd, void *b, size_t n, off_t pos)
{
    static const auto real = Real<ssize_t (*)(int, void *, size_t, off_t)>("pread64");
    TRANSFERIR(Llamada::Leer, real(fd, b, n, pos));
}

ssize_t write(int fd, const void *b, size_t n)
{
    static const auto real = Real<ssize_t (*)(int, const void *, size_t)>("write");
    TRANSFERIR(Llamada::Escribir, real(fd, b, n));
}

ssize_t pwrite(int fd, const void *b, size_t n, off_t pos)
{
    static const auto real = Real<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite");
    TRANSFERIR(Llamada::Escribir, real(fd, b, n, pos));
}

ssize_t pwrite64(int fd, const void *b, size_t n, off_t pos)
{
    static const auto real = Real<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite64");
    TRANSFERIR(Llamada::Escribir, real(fd, b, n, pos));
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

int fchmod(int fd, mode_t modo)
{
    static const auto real = Real<int (*)(int, mode_t)>("fchmod");
    FALLAR(Llamada::Permisos, fd);
    return real(fd, modo);
}

// Only the lock requests can fail; the argument, whatever its type, goes on
// as the C library passes it (one machine word).
bool EsCerrojo(int orden) { return orden == F_SETLK || orden == F_SETLKW || orden == F_OFD_SETLK || orden == F_OFD_SETLKW; }
#define FCNTL(nombre)                                                                                                 \
    int nombre(int fd, int orden, ...)                                                                                \
    {                                                                                                                 \
        static const auto real = Real<int (*)(int, int, ...)>(#nombre);                                               \
        va_list ap;                                                                                                   \
        va_start(ap, orden);                                                                                          \
        void *arg = va_arg(ap, void *);                                                                               \
        va_end(ap);                                                                                                   \
        if (EsCerrojo(orden)) {                                                                                       \
            FALLAR(Llamada::Bloquear, fd);                                                                            \
        }                                                                                                             \
        return real(fd, orden, arg);                                                                                  \
    }
FCNTL(fcntl)
FCNTL(fcntl64)

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

void *malloc(size_t n)
{
    static void *(*real)(size_t) = nullptr;
    if (!Siguiente(real, "malloc")) return DeLaArena(n);
    return Excede(n) ? nullptr : real(n);
}

void *realloc(void *p, size_t n)
{
    static void *(*real)(void *, size_t) = nullptr;
    if (!Siguiente(real, "realloc")) return nullptr;
    return Excede(n) ? nullptr : real(p, n);
}

int posix_memalign(void **r, size_t a, size_t n)
{
    static int (*real)(void **, size_t, size_t) = nullptr;
    if (!Siguiente(real, "posix_memalign")) return ENOMEM;
    return Excede(n) ? ENOMEM : real(r, a, n);
}

void *mmap(void *dir, size_t n, int prot, int flags, int fd, off_t off)
{
    static void *(*real)(void *, size_t, int, int, int, off_t) = nullptr;
    if (!Siguiente(real, "mmap")) return MAP_FAILED;
    if ((flags & MAP_ANONYMOUS) && Excede(n)) return MAP_FAILED;
    return real(dir, n, prot, flags, fd, off);
}

} // extern "C"
