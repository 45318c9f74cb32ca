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
// value pairs); the CUPS job id, or 0 when CUPS refused it (the reason is
// then UltimoMotivo()).
int Enviar(const QString &cola, const QString &archivo, const QString &titulo, const QStringList &opciones);

// Why a queue cannot take jobs, as CUPS answers for it now: it does not
// exist, it does not accept jobs, CUPS cannot be reached; "" when it can.
QString MotivoCola(const QString &cola);

// Whether any queue can be reached: "" when CUPS answers, else the reason.
QString MotivoSinServicio();

// The reason of the last failed request to CUPS, in words: ours for the
// common answers, CUPS's own text after them; "" when the last one worked.
QString UltimoMotivo();

} // namespace ColaCUPS
