// Preloaded into a test process (LD_PRELOAD) to make the system fail where
// the loader must cope: the Nth read() of a file whose path holds a mark
// fails with EIO, and requests for memory above a size fail with ENOMEM.
// The test drives it through the functions below, found with dlsym; it is
// built without sanitizers so that it can sit in front of them.

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

char marca[256];
std::atomic<int> fallarEn{0}, lecturas{0};
std::atomic<size_t> limite{0};

// The next definition (the sanitizer's, or the C library's), looked up on
// first use; a request made by the lookup itself is served from a small
// arena that is never given back.
std::atomic<bool> buscando{false};
template <class F> F Siguiente(F &real, const char *nombre)
{
    if (!real && !buscando.exchange(true)) {
        real = reinterpret_cast<F>(dlsym(RTLD_NEXT, nombre));
        buscando = false;
    }
    return real;
}

alignas(64) char arena[1 << 16];
std::atomic<size_t> usado{0};
void *DeLaArena(size_t n)
{
    const size_t desde = usado.fetch_add((n + 63) / 64 * 64);
    return desde + n <= sizeof arena ? arena + desde : nullptr;
}

bool Marcado(int fd)
{
    char enlace[64], ruta[PATH_MAX];
    std::snprintf(enlace, sizeof enlace, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(enlace, ruta, sizeof ruta - 1);
    if (n <= 0) return false;
    ruta[n] = '\0';
    return std::strstr(ruta, marca) != nullptr;
}

bool Excede(size_t n)
{
    const size_t l = limite.load();
    if (l == 0 || n <= l) return false;
    errno = ENOMEM;
    return true;
}

} // namespace

extern "C" {

// Fails the nth read (from 1) of files whose path contains 'm'; n = INT_MAX
// only counts, n = 0 switches it off.
void zolv_fallar_lectura(const char *m, int n)
{
    std::snprintf(marca, sizeof marca, "%s", m ? m : "");
    lecturas = 0;
    fallarEn = n;
}

// Reads of marked files since zolv_fallar_lectura.
int zolv_lecturas() { return lecturas.load(); }

// Requests above 'bytes' fail (0: no limit).
void zolv_limitar_memoria(size_t bytes) { limite = bytes; }

ssize_t read(int fd, void *buf, size_t n)
{
    static ssize_t (*real)(int, void *, size_t) = nullptr;
    Siguiente(real, "read");
    if (fallarEn.load() > 0 && Marcado(fd) && ++lecturas == fallarEn.load()) {
        errno = EIO;
        return -1;
    }
    return real(fd, buf, n);
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
