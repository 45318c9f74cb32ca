#pragma once
// What the print engine asks CUPS itself, below Qt: a queue's PPD and the
// submission of a finished document as one job.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ColaCUPS {

// The queue's PPD text, or empty when the queue has none or CUPS does not
// answer.
QByteArray PPD(const QString &cola);

// Sends the file as one job titled titulo with the given options (name,
// value pairs); the CUPS job id, or 0 when CUPS refused it.
int Enviar(const QString &cola, const QString &archivo, const QString &titulo, const QStringList &opciones);

} // namespace ColaCUPS
