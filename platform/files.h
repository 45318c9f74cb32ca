#pragma once
// File-system rules shared by the whole program: the program folder, unique
// temporary files, and writes that replace a file only when they succeed.

#include <QByteArray>
#include <QString>

namespace Archivos {

// The folder that holds the executable (ayuda/ and imag/ lie beside it).
QString CarpetaPrograma();
// Tests point the program at another folder; an empty path restores it.
void FijarCarpetaPrograma(const QString &carpeta);

// The system's temporary folder, without trailing separator.
QString CarpetaTemporal();

// Creates a new, empty file in the temporary folder named prefix + tick count
// + a unique tail + extension (".bmp"), exclusively, and returns its path;
// "" when it cannot be made.
QString CrearTemporal(const QString &prefijo, const QString &extension);

// Deletes a file if it exists; false only when it exists and stays.
bool Borrar(const QString &ruta);

// Writes the whole content to a temporary file beside the target, then
// renames it into place. On failure the target is left as it was and the
// reason is in *error.
bool EscribirAtomico(const QString &destino, const QByteArray &datos, QString *error = nullptr);

// For writers that need a path (the image library): a unique temporary file
// beside the target. Confirmar() renames it over the target; if it is never
// confirmed, the destructor deletes it.
class DestinoSeguro {
public:
    explicit DestinoSeguro(const QString &destino);
    ~DestinoSeguro();
    DestinoSeguro(const DestinoSeguro &) = delete;
    DestinoSeguro &operator=(const DestinoSeguro &) = delete;

    bool Valido() const { return !temporal_.isEmpty(); }
    const QString &RutaTemporal() const { return temporal_; }
    // Renames into place; false (and *error) on failure, the target untouched.
    bool Confirmar(QString *error = nullptr);

private:
    QString destino_;
    QString temporal_;
    bool confirmado_ = false;
};

} // namespace Archivos
