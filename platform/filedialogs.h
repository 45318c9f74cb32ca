#pragma once
// Open and save file dialogs. Filters are given as (description, patterns)
// pairs, patterns separated by ';' ("*.jpg;*.jpeg"). Tests install a responder
// that receives the request and returns the path the "user" picked.

#include <functional>
#include <QList>
#include <QString>

class QWidget;

namespace Dialogos {

struct Filtro {
    QString descripcion; // "JPEG (*.jpg)"
    QString patrones;    // "*.jpg;*.jpeg"
};

struct Peticion {
    bool guardar = false;
    QString titulo;
    QList<Filtro> filtros;
    QString carpetaInicial;   // empty: the dialog's own choice
    QString nombreArchivo;    // initial file name (save dialogs)
    QString extensionDefecto; // without the dot; appended to a name typed without one
    // Save dialogs: when the chosen name's extension is not one of the first
    // filter's patterns, the default extension is appended, and an existing file
    // of the new name is asked about (with textoReemplazar, "%1" = the path).
    bool forzarExtension = false;
    QString textoReemplazar;
    QWidget *owner = nullptr;
};

using Responder = std::function<QString(const Peticion &)>;

// Returns the chosen path, or "" when cancelled (and, unseen, while the
// program ends: Cierre).
QString Mostrar(const Peticion &p);

void InstalarResponder(Responder r);

// True when the file name matches one of the patterns (case-insensitive).
bool CoincideConPatrones(const QString &ruta, const QString &patrones);

// The dialog filter text Qt understands: "JPEG (*.jpg) (*.jpg *.jpeg)".
QString FiltroQt(const Filtro &f);

} // namespace Dialogos
