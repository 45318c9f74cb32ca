#pragma once
// Memory for pictures of tens to hundreds of megabytes, straight from the
// system: zero-filled pages that cost nothing until first written, huge pages
// asked for where the whole block is about to be written (one fault per 2 MB
// instead of one per 4 KB), and pages handed back as soon as their content is
// no longer needed.

#include <cstddef>
#include <cstdint>

namespace Paginas {

// An anonymous mapping of at least one page, owned; empty when the system
// refuses it.
class Zona {
public:
    Zona() = default;
    // grandes: ask for huge pages (only blocks of a few MB and more get them).
    explicit Zona(size_t bytes, bool grandes = false);
    ~Zona();
    Zona(Zona &&o) noexcept;
    Zona &operator=(Zona &&o) noexcept;
    Zona(const Zona &) = delete;
    Zona &operator=(const Zona &) = delete;

    uint8_t *Datos() const { return datos_; }
    size_t Bytes() const { return bytes_; }
    explicit operator bool() const { return datos_ != nullptr; }

private:
    uint8_t *datos_ = nullptr;
    size_t bytes_ = 0;
};

// Hands the whole pages inside [p, p + n) back to the system: resident memory
// drops at once, and they read as zeros if touched again. Only for memory
// whose content is no longer wanted.
void Devolver(void *p, size_t n);

} // namespace Paginas
