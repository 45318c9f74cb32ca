#pragma once
// The lock a save holds on the file it writes, from its start to its end (in
// place and by rename), so that two saves of one file never interleave:
//   - another instance's save of the same file waits for this one, at most
//     kEsperaCerrojoMs, and is then refused (kOtroGuardado);
//   - a second save of it within this program is refused at once: it would
//     wait for itself;
//   - a save by rename puts another file under the name: a save that waited
//     for the old file then takes the new one;
//   - a file that does not exist yet holds nothing: a new file is put in
//     place whole by rename, and the later save's stands;
//   - where the file system locks nothing, or the file cannot be opened for
//     writing, the save runs unlocked, as before.
// The lock is the system's lock of an open file description on the whole
// file (fcntl F_OFD_SETLK): it goes with the process however that ends, and
// is apart from flock, which the settings take on their store.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace Archivos {

constexpr int kEsperaCerrojoMs = 5000;
extern const QString kOtroGuardado;

class Cerrojo {
public:
    Cerrojo() = default;
    Cerrojo(const Cerrojo &) = delete;
    Cerrojo &operator=(const Cerrojo &) = delete;
    ~Cerrojo();
    // Takes the file 'real' names now (links resolved): 0 when held or when
    // there is nothing to hold, EBUSY when another save holds it.
    int Tomar(const QByteArray &real, int esperaMs = kEsperaCerrojoMs);

private:
    int fd_ = -1;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
};

} // namespace Archivos
