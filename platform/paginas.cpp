#include "platform/paginas.h"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

namespace Paginas {

namespace {
size_t Pagina()
{
    static const size_t p = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return p;
}
// Below this the huge-page request buys nothing.
constexpr size_t kMinimoGrandes = size_t(4) << 20;
} // namespace

Zona::Zona(size_t bytes, bool grandes)
{
    if (bytes == 0) return;
    void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return;
#ifdef MADV_HUGEPAGE
    if (grandes && bytes >= kMinimoGrandes) madvise(p, bytes, MADV_HUGEPAGE); // advice only: may be refused
#else
    (void)grandes;
#endif
    datos_ = static_cast<uint8_t *>(p);
    bytes_ = bytes;
}

Zona::~Zona()
{
    if (datos_) munmap(datos_, bytes_);
}

Zona::Zona(Zona &&o) noexcept
    : datos_(std::exchange(o.datos_, nullptr)), bytes_(std::exchange(o.bytes_, 0))
{
}

Zona &Zona::operator=(Zona &&o) noexcept
{
    if (this != &o) {
        if (datos_) munmap(datos_, bytes_);
        datos_ = std::exchange(o.datos_, nullptr);
        bytes_ = std::exchange(o.bytes_, 0);
    }
    return *this;
}

void Devolver(void *p, size_t n)
{
    const uintptr_t a = reinterpret_cast<uintptr_t>(p), pg = Pagina();
    const uintptr_t desde = (a + pg - 1) / pg * pg, hasta = (a + n) / pg * pg;
    if (hasta > desde) madvise(reinterpret_cast<void *>(desde), hasta - desde, MADV_DONTNEED);
}

} // namespace Paginas
