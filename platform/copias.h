#pragma once
// The copy of the old content that a save written in place keeps, and the
// saves a killed program did not finish.
//
// The note protocol: each copy has a folder of its own under the program's
// data folder ("copias/" + six letters or digits), locked by the save while
// it runs, holding the copy under the file's name. Once the copy is checked,
// a note beside the folder (its name + ".nota") is written and synced with
// the folder: a line with the new content's length and digest (decimal, a
// space, 64 hex digits of its BLAKE2b-256), then the path of the file it
// belongs to and a line end. From then on the next start knows of it; a
// note without its last line end was cut short before that. Notes of
// earlier versions hold the path alone. A copy whose message already named
// it has its note renamed to ".avisada", so that no start tells of it again.

#include <QByteArray>
#include <QString>

#include <vector>

#include "platform/descriptor.h"

namespace Archivos {

// Where in-place saves keep the old content.
QString CarpetaCopias();
// A failure there, naming that folder.
QString MotivoCopias(int numeroError);

// The copy of one save, removed on every way out unless kept.
struct CopiaAnterior {
    QByteArray carpeta, fichero;
    Descriptor dir, d;
    bool conservar = false;
    ~CopiaAnterior();
    // Its folder and the empty copy (d) named 'nombre': 0 or an error number.
    int Crear(const QByteArray &nombre);
    // From here the next start knows of the copy: the note of 'destino',
    // whose new content is 'tam' bytes of digest 'huella' (Huella; empty
    // when unknown), synced with its folder. 0 or an error number.
    int Anotar(const QByteArray &destino, qint64 tam, const QByteArray &huella);
    // The message names it: it stays, and the next start does not tell
    // again. Its path.
    QString Conservar();
};

// In-place saves that did not finish (a killed program): the file and where
// its previous content is. Each is returned once; copies whose save never
// began writing in place are removed, and so are those whose file already
// holds the whole new content (the save was stopped after its last write);
// those of a save running now stay.
struct GuardadoInterrumpido {
    QString fichero, copia;
};
std::vector<GuardadoInterrumpido> GuardadosInterrumpidos();

} // namespace Archivos
