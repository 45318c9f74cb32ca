#include "output/cups.h"

#include <QFile>

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

namespace ColaCUPS {

namespace {
// CUPS knows a queue by its name without the "/instance" part.
QByteArray NombreCola(const QString &cola) { return cola.section(u'/', 0, 0).toLocal8Bit(); }
} // namespace

QByteArray PPD(const QString &cola)
{
    if (cola.trimmed().isEmpty()) return QByteArray();
    char ruta[1024] = "";
    time_t fecha = 0;
    // The PPD is the driver's own description of the queue; CUPS offers no
    // other way to read its colour-profile entries.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const http_status_t estado = cupsGetPPD3(CUPS_HTTP_DEFAULT, NombreCola(cola).constData(), &fecha, ruta, sizeof ruta);
#pragma GCC diagnostic pop
    if (estado != HTTP_STATUS_OK || !ruta[0]) return QByteArray();
    QByteArray texto;
    QFile f(QString::fromLocal8Bit(ruta));
    if (f.open(QIODevice::ReadOnly)) texto = f.readAll();
    f.close();
    unlink(ruta);
    return texto;
}

int Enviar(const QString &cola, const QString &archivo, const QString &titulo, const QStringList &opciones)
{
    int n = 0;
    cups_option_t *lista = nullptr;
    for (qsizetype i = 0; i + 1 < opciones.size(); i += 2)
        n = cupsAddOption(opciones[i].toUtf8().constData(), opciones[i + 1].toUtf8().constData(), n, &lista);
    const int trabajo = cupsPrintFile2(CUPS_HTTP_DEFAULT, NombreCola(cola).constData(), QFile::encodeName(archivo).constData(),
                                       titulo.toUtf8().constData(), n, lista);
    cupsFreeOptions(n, lista);
    return trabajo;
}

} // namespace ColaCUPS
