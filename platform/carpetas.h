#pragma once
// The folders the program reads from and writes into.

#include <QString>

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

// Makes a folder and the folders above it that are missing (mkdir -p): 0,
// or the system's error of the step that failed (QDir::mkpath tells none).
int CrearCarpeta(const QString &carpeta);

} // namespace Archivos
