#pragma once
// An open file read or written through one object that keeps the first
// failure, and the writers' callback that fills a file through it. Neither
// QSaveFile in this Qt nor the image library's writers report a full disk
// on their own, which is why writers write through a Flujo.

#include <QString>

#include <cstdint>
#include <functional>

namespace Archivos {

// An open file read or written at its current position, the first failure of
// a read, write or seek kept (later calls after a failure do nothing).
// Writers fill one; the image loader reads through one.
class Flujo {
public:
    explicit Flujo(int descriptor) : fd_(descriptor) {}
    Flujo(const Flujo &) = delete;
    Flujo &operator=(const Flujo &) = delete;

    // All n bytes, or false.
    bool Escribir(const void *datos, int64_t n);
    // Up to n bytes; the count read, 0 at the end or after a failure.
    int64_t Leer(void *datos, int64_t n);
    // lseek's origins; false on failure.
    bool Posicionar(int64_t desplazamiento, int origen);
    int64_t Posicion() const;
    int64_t Tamano() const;

    // A failure the writer found itself: an error number, or a text.
    void Fallar(int numeroError);
    void Fallar(const QString &motivo);
    bool Fallo() const { return error_ != 0 || !motivo_.isEmpty(); }
    int Error() const { return error_; }
    QString Motivo() const;

private:
    int fd_;
    int error_ = 0;
    QString motivo_;
};

// Fills the file; false (with a reason in the Flujo) when it could not.
using Escritor = std::function<bool(Flujo &)>;

// Runs the writer into a fresh open file and checks all it did, the data
// synced; false with the reason in *error. 'motivo' turns an error number
// into the user's words (the folder it happened in, for one of ours).
bool Llenar(int fd, const Escritor &escribir, QString *error, QString (*motivo)(int));

// Sets the reason when asked for and returns false: the writers' way out.
bool Fallo(QString *error, const QString &motivo);

} // namespace Archivos
