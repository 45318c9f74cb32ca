#pragma once
// The progress report seam and the busy guard.
// Engines report into whatever progress window is registered, and only while
// it is visible; each update yields to the event loop. A long operation holds
// a GuardaOcupado so that no handler can free what the operation is reading.
// Clicks, keys and close boxes that arrive during a long operation are
// dropped, never replayed: each yield consumes them without delivering them,
// and the guard's end drops what came after the last yield. A message box
// opened meanwhile runs its own loop and gets its input as usual.

#include <QString>

namespace Progreso {

class Destino {
public:
    virtual ~Destino() = default;
    virtual bool EstaVisible() const = 0;
    virtual void PonerMensaje(const QString &texto) = 0;
    virtual void PonerProgreso(int porcentaje) = 0;
};

// The progress window registers itself while it exists.
void Registrar(Destino *d);
void Quitar(Destino *d);
Destino *Actual();

// Reports a percentage (and optionally a text) when a visible window is
// registered, then yields to the event loop, dropping user input.
void Informar(int porcentaje);
void Informar(const QString &texto, int porcentaje);

// Lets pending paint and timer events run; user input pending now is dropped.
void CederEventos();
// True while a yield runs: whoever yields waits on the stack meanwhile.
bool Cediendo();

} // namespace Progreso

// Marks a long operation in progress for as long as it lives.
class GuardaOcupado {
public:
    GuardaOcupado();
    // The outermost guard drops the input still pending as it ends.
    ~GuardaOcupado();
    GuardaOcupado(const GuardaOcupado &) = delete;
    GuardaOcupado &operator=(const GuardaOcupado &) = delete;
    // True while any long operation runs: handlers that would start another or
    // free its buffers return at once.
    static bool Activo();
};
