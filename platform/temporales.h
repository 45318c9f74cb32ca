#pragma once
// The program's temporary files: how they are named, made and let go.
//
// Every name carries the program's mark, so that a cleanup never takes a
// file it did not make: a head, the mark "~zolv-", a unique tail of six
// letters or digits, and an end. One NombreTemporal value both makes the
// names of a kind and recognises them:
//   - a scratch file (CrearTemporal): prefix + tick count, the mark, the
//     tail, the extension ("zolv_icc_1234~zolv-aB3dE9.icc");
//   - a target's temporary beside it (the writers): "." + the target's name's
//     first 64 bytes, the mark, 12 hex digits of the whole name's SHA-256 and
//     "-" (two long names that begin alike still differ), the tail, ".tmp".
// A file is made exclusively (never an existing name) and locked at once,
// so that no cleanup takes it while it is in use.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace Archivos {

class NombreTemporal {
public:
    // Letters of the unique tail, and its length.
    static constexpr char kLetras[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static constexpr int kCola = 6;

    // A scratch file named now: prefix + tick count, the mark, tail, extension.
    static NombreTemporal Suelto(const QByteArray &prefijo, const QByteArray &extension);
    // The temporaries beside a target of that name.
    static NombreTemporal Junto(const QByteArray &nombre);
    // The kind a name of the program's scratch files in the temporary folder
    // belongs to ("zolv_", lower-case letters or '_', the tick count, the
    // mark, the tail, "." and three lower-case letters); none for any other.
    static std::optional<NombreTemporal> DeSuelto(QByteArrayView nombre);
    // How every such name begins.
    static constexpr QByteArrayView kInicioSuelto{"zolv_"};

    // True when 'nombre' is a name of this kind, whatever its tail.
    bool Es(QByteArrayView nombre) const;
    // A scratch file's prefix ("zolv_icc_"); empty for a target's temporaries.
    const QByteArray &Prefijo() const { return prefijo_; }
    // Everything before the tail, and after it.
    const QByteArray &Cabeza() const { return cabeza_; }
    const QByteArray &Fin() const { return fin_; }

private:
    NombreTemporal(QByteArray prefijo, QByteArray cabeza, QByteArray fin)
        : prefijo_(std::move(prefijo)), cabeza_(std::move(cabeza)), fin_(std::move(fin))
    {
    }
    QByteArray prefijo_, cabeza_, fin_;
};

// The scratch files that hold the new content of a save written in place.
// Each is locked from its making to its removal, so one that nobody holds
// was left by a killed save, whatever its age. (Other scratch files may be
// replaced by a rename while in use, which leaves their lock behind.)
inline constexpr char kPrefijoEscritura[] = "zolv_escritura_";

// Makes a new file of that kind in the folder, exclusively, and locks it:
// 0 and its path and open descriptor, or an error number (EEXIST when every
// name tried was taken).
int CrearExclusivo(const QByteArray &carpeta, const NombreTemporal &nombre, QByteArray &ruta, int &fd);

// Creates a new, empty file in the temporary folder (or in 'carpeta')
// named prefix + tick count + the program's mark + a unique tail +
// extension (".bmp"), exclusively, and returns its path; "" when it cannot
// be made. The file is locked against other instances' cleanup until
// Borrar removes it.
QString CrearTemporal(const QString &prefijo, const QString &extension, const QString &carpeta = QString());

// Deletes a file if it exists; false only when it exists and stays.
bool Borrar(const QString &ruta);

} // namespace Archivos
