#pragma once
// The writer for a folder that refuses new files while the file itself may
// be written: the file is written in place, its old content kept in a
// checked copy until the new one is whole (the rules are in escritura.h).

#include "platform/flujo.h"

#include <QByteArray>
#include <QString>

namespace Archivos {

// Writes the regular file 'real' (links resolved) in place; 'enMemoria'
// when the content is all at hand. False with the reason in *error.
bool EnSitio(const QByteArray &real, const Escritor &escribir, bool enMemoria, QString *error);

} // namespace Archivos
