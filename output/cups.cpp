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

QString UltimoMotivo()
{
    const ipp_status_t estado = cupsLastError();
    if (estado <= IPP_STATUS_OK_EVENTS_COMPLETE) return QString();
    QString nuestro;
    switch (estado) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS: nuestro = QStringLiteral("La impresora no acepta trabajos"); break;
    case IPP_STATUS_ERROR_NOT_FOUND: nuestro = QStringLiteral("La impresora no existe"); break;
    case IPP_STATUS_ERROR_PRINTER_IS_DEACTIVATED: nuestro = QStringLiteral("La impresora está desactivada"); break;
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_INTERNAL: nuestro = QStringLiteral("No se puede contactar con el sistema de impresión"); break;
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED: nuestro = QStringLiteral("El sistema de impresión no lo permite"); break;
    default: break;
    }
    const QString suyo = QString::fromUtf8(cupsLastErrorString()).trimmed();
    if (nuestro.isEmpty()) return QStringLiteral("CUPS: ") + suyo;
    return suyo.isEmpty() ? nuestro : nuestro + QStringLiteral(" (CUPS: ") + suyo + u')';
}

QString MotivoCola(const QString &cola)
{
    if (cola.trimmed().isEmpty()) return QString();
    // The queue's own attributes, asked of the server now.
    ipp_t *peticion = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    char uri[1024];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     NombreCola(cola).constData());
    ippAddString(peticion, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(peticion, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-is-accepting-jobs");
    ipp_t *respuesta = cupsDoRequest(CUPS_HTTP_DEFAULT, peticion, "/");
    QString motivo = UltimoMotivo();
    if (motivo.isEmpty() && respuesta) {
        ipp_attribute_t *acepta = ippFindAttribute(respuesta, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
        if (acepta && !ippGetBoolean(acepta, 0)) motivo = QStringLiteral("La impresora no acepta trabajos");
    }
    ippDelete(respuesta);
    return motivo;
}

QString MotivoSinServicio()
{
    cups_dest_t *destinos = nullptr;
    const int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &destinos);
    cupsFreeDests(n, destinos);
    return n > 0 ? QString() : UltimoMotivo();
}

} // namespace ColaCUPS
