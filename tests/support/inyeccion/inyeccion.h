#pragma once
// Faults of the C library's file calls and of large allocations, injected
// into the test programs that link this (and every library they use, Qt's
// and FreeImage's included): the program defines the calls itself, so they
// come before the sanitizer's and the C library's, and passes them on while
// no rule matches.

#include <QByteArray>

#include <cerrno>
#include <cstddef>
#include <vector>

namespace Inyeccion {

// Bloquear: the record-lock requests of fcntl (every other command passes).
enum class Llamada { Abrir, Leer, Escribir, Truncar, Sincronizar, Cerrar, Permisos, Bloquear };

struct Regla {
    Llamada llamada;
    QByteArray ruta;  // a part of the file's path
    int desde = 1;    // the first matching call that fails (1 = the first)
    int error = 5;    // errno; EIO by default
    bool todas = false; // every matching call from 'desde' on fails, not just that one
    // Instead of failing: a read or write that succeeds short, with at most
    // this many bytes (0 for a read: the end of the file), or that
    // reports every byte done and does nothing ('mentir').
    long corto = -1;
    bool mentir = false;
    // A signal the process sends itself just before the call (SIGKILL to
    // die there, SIGSTOP to wait there).
    int senal = 0;
};

// While it lives, the calls matching a rule fail; counts start at 0.
struct Fallos {
    explicit Fallos(std::vector<Regla> reglas);
    ~Fallos();
    // How many calls matched the rule, failed or not.
    int Vistas(size_t regla) const;
    bool Disparada() const;
};

// Requests for memory above 'bytes' fail with ENOMEM (0: no limit), after
// the first 'concedidas' of them are granted; with 'error' 0 a failure
// leaves errno as it was, as an allocator of a codec's own may.
void LimitarMemoria(size_t bytes, int concedidas = 0, int error = ENOMEM);

} // namespace Inyeccion
