#pragma once
// Open files by number, as the writers and the cleanup use them: closed on
// every way out, copied and compared whole whatever the system hands back
// per call; and the names a folder holds.

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

#include <sys/types.h>

namespace Archivos {

// Closes on every way out unless released.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor();
    // close(2) reports delayed write errors (NFS, quota): 0 or an error
    // number, and the descriptor is gone either way.
    int Cerrar();
};

// For the calls whose failure changes nothing we could do.
inline void Ignorar(int) {}

// The outcome of a copy between two open files: 0, or the first error
// number and on which side it happened.
struct Copia {
    int error = 0;
    bool alLeer = false;
};

// Copies n bytes from the start of one file to the start of another.
Copia CopiarBytes(int de, int a, off_t n);
// True when both files hold the same first n bytes.
bool Iguales(int a, int b, off_t n);
// True when the file is exactly the first n bytes of the other.
bool Contiene(int fd, int de, off_t n);
// A digest of the first n bytes of a file (BLAKE2b-256), in hexadecimal;
// empty when they cannot all be read.
QByteArray Huella(int fd, off_t n);

// Calls 'cada' with every name of a folder that begins with 'inicio' (every
// name when it is empty), "." and ".." aside, hidden names and broken links
// included. The folder is read a buffer at a time with the system's calls,
// and a name that does not begin so costs one comparison: nothing is made or
// kept for it. Names may be removed meanwhile.
void Recorrer(const QByteArray &carpeta, QByteArrayView inicio, const std::function<void(QByteArrayView)> &cada);
// The path of a name of a folder.
inline QByteArray EnCarpeta(const QByteArray &carpeta, QByteArrayView nombre)
{
    QByteArray r;
    r.reserve(carpeta.size() + 1 + nombre.size());
    return r.append(carpeta).append('/').append(nombre);
}

} // namespace Archivos
