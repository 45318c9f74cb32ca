#pragma once
// The settings store's lock, shared by every instance of the program and by
// QSettings itself: a lock file beside the store ("<store>.lock"), made and
// held by QLockFile (its owner's process line in it, and a lock on the file
// for as long as it lives).
//   - A lock whose owner is gone is taken at once: QLockFile takes one that
//     names a process no longer running; one that names nobody (empty, or
//     garbage: a save killed while making it) is taken when no running
//     program holds it, twice, a moment apart (an owner holds its file from
//     the moment it makes it and writes its line right after).
//   - Where the folder takes no new file, every instance locks the store
//     itself instead; where something that is no file stands in the lock
//     file's place (a folder, a link), the store's folder.
//   - Held by a running instance: tried every 10 ms until the wait is over.
//   - Every other failure says what it is: a full disk, a folder that
//     cannot be made or written; never "another instance".
// The lock is let go when the object goes.

#include <QDeadlineTimer>
#include <QLockFile>
#include <QString>

namespace Ajustes {

class Candado {
public:
    explicit Candado(const QString &almacen);
    ~Candado();
    Candado(const Candado &) = delete;
    Candado &operator=(const Candado &) = delete;

    // "" once taken, within esperaMs at most; otherwise why not.
    QString Tomar(int esperaMs);

private:
    // What stands in the lock file's place: no file, or one whose owner is
    // gone that could not be removed (the error), or else a lock file held,
    // or one just removed, or none.
    enum class Hallado { Otro, NoEsFichero, NoSeQuita };
    struct Hallazgo {
        Hallado que;
        int error = 0;
    };
    Hallazgo QuitarHuerfano();
    // Locks the store, or its folder; 'sinCandado' is why no lock file.
    QString SobreElAlmacen(const QDeadlineTimer &plazo, bool carpeta, int sinCandado = 0);
    bool NoNombraANadie() const;

    QLockFile archivo_;
    QString almacen_;
    int fd_ = -1; // the store or its folder, when that is what is locked
};

} // namespace Ajustes
