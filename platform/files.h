#pragma once
// File-system rules shared by the whole program: the program folder, unique
// temporary files, and the one way every writer replaces a user's file.
//
// Writing a file (EscribirSeguro, EscribirAtomico):
//   - a symbolic link is written through to the file it names (a dangling
//     one creates the file it names);
//   - a target that exists must be a regular file we may write: a read-only
//     file (no write bit, or no access) is refused, never replaced;
//   - the content goes to a new temporary file beside the target, created
//     exclusively and locked while the save runs; every write, the sync to
//     disk and the close are checked, then the temporary is renamed over the
//     target with the old file's permissions (or a new file's);
//   - where the folder refuses new files but the file itself may be written,
//     the content is first written and checked in the temporary folder (or
//     held in memory when it is all at hand), and a copy of the old file is
//     made and checked in a folder of its own under the program's data
//     folder, with a note of the file it belongs to (no room for them:
//     nothing is touched); then the file is written in place. A failure
//     there puts the old content back from the copy; if even that fails,
//     the copy stays and the message says what the file holds and where the
//     copy is; a failure once the new content is all in place says so. A
//     save killed meanwhile leaves the copy and its note for the next start
//     (GuardadosInterrumpidos);
//   - on any failure the temporary is removed, the old file is left exactly
//     as it was, and the reason is the system's, in words (MotivoSistema),
//     naming the temporary folder when the failure was there;
//   - the program's own temporaries of the same file (its whole name, its
//     mark) older than an hour, owned by the user and held by no running
//     save, are removed by its next save.
// Neither QSaveFile in this Qt nor the image library's writers report a full
// disk on their own, which is why writers write through a Flujo.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace Archivos {

// The folder that holds the executable (ayuda/ and imag/ lie beside it).
QString CarpetaPrograma();
// Tests point the program at another folder; an empty path restores it.
void FijarCarpetaPrograma(const QString &carpeta);

// The system's temporary folder, without trailing separator.
QString CarpetaTemporal();
// The program's own folder under the user's data folder (XDG_DATA_HOME),
// and in it the folder of its scratch files (the settings' new text).
QString CarpetaDatos();
QString CarpetaBorradores();

// Creates a new, empty file in the temporary folder (or in 'carpeta')
// named prefix + tick count + the program's mark + a unique tail +
// extension (".bmp"), exclusively, and returns its path; "" when it cannot
// be made. The file is locked against other instances' cleanup until
// Borrar removes it.
QString CrearTemporal(const QString &prefijo, const QString &extension, const QString &carpeta = QString());

// At start: removes the program's scratch files of the temporary folder
// (and of its own scratch folder) older than an hour, owned by the user and
// held by no running instance.
void LimpiarTemporales();

// In-place saves that did not finish (a killed program): the file and where
// its previous content is. Each is returned once; copies whose save never
// began writing in place are removed, those of a save running now stay.
struct GuardadoInterrumpido {
    QString fichero, copia;
};
std::vector<GuardadoInterrumpido> GuardadosInterrumpidos();

// Deletes a file if it exists; false only when it exists and stays.
bool Borrar(const QString &ruta);

// The system's reason for an error number, as the user reads it
// (ENOSPC: "No queda espacio en el disco").
QString MotivoSistema(int numeroError);
// Why a path that is no regular file (its st_mode) cannot be read or written
// as one: a folder, a FIFO, a device.
QString MotivoNoRegular(unsigned modo);

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

// Writes a file by the rules above. On failure the reason is in *error.
bool EscribirSeguro(const QString &destino, const Escritor &escribir, QString *error = nullptr);
// The same with the whole content at hand.
bool EscribirAtomico(const QString &destino, const QByteArray &datos, QString *error = nullptr);

} // namespace Archivos
