#include "support/colapdf.h"

#include "app/ventanas.h"
#include "output/frmconfigimpresion.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>

namespace ColaPDF {

namespace {

constexpr const char *kCola = "PDF";

struct Preparacion {
    bool hecha = false;
    Estado estado = Estado::Fallo;
    QString motivo;
    QString carpeta;
};

Preparacion &Hecha()
{
    static Preparacion p;
    return p;
}

} // namespace

Estado Preparar(QString *motivo)
{
    Preparacion &p = Hecha();
    if (!p.hecha) {
        p.hecha = true;
        QProcess script;
        script.start(QStringLiteral("bash"), {QStringLiteral(HALVORA_FUENTES "/scripts/cups.sh")});
        const bool terminado = script.waitForFinished(120000);
        const QStringList salida =
            QString::fromLocal8Bit(script.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        p.motivo = QString::fromLocal8Bit(script.readAllStandardError()).trimmed();
        if (terminado && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0 && !salida.isEmpty()) {
            p.carpeta = salida.last().trimmed();
            p.estado = Estado::Lista;
            // A CUPS user of this process's own: its jobs and no one else's.
            cupsSetUser(QStringLiteral("halvora-prueba-%1").arg(QCoreApplication::applicationPid()).toUtf8().constData());
        } else {
            p.estado = terminado && script.exitCode() == 2 ? Estado::SinPermisos : Estado::Fallo;
            if (p.motivo.isEmpty()) p.motivo = QStringLiteral("scripts/cups.sh did not finish");
        }
    }
    if (motivo) *motivo = p.motivo;
    return p.estado;
}

QList<Trabajo> Trabajos()
{
    QList<Trabajo> r;
    cups_job_t *lista = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &lista, kCola, 1, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i) r.append({lista[i].id, QString::fromUtf8(lista[i].title)});
    cupsFreeJobs(n, lista);
    std::sort(r.begin(), r.end(), [](const Trabajo &a, const Trabajo &b) { return a.id < b.id; });
    return r;
}

QList<Trabajo> Nuevos(const QList<Trabajo> &antes)
{
    QList<Trabajo> r;
    for (const Trabajo &t : Trabajos())
        if (std::none_of(antes.begin(), antes.end(), [&](const Trabajo &a) { return a.id == t.id; })) r.append(t);
    return r;
}

QString PDF(int id)
{
    const QRegularExpression nombre(QStringLiteral("(^|[^0-9])job_%1([^0-9]|$)").arg(id));
    const QDeadlineTimer plazo(60000);
    while (!plazo.hasExpired()) {
        bool completo = false;
        cups_job_t *lista = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &lista, kCola, 1, CUPS_WHICHJOBS_COMPLETED);
        for (int i = 0; i < n; ++i) completo = completo || (lista[i].id == id && lista[i].state == IPP_JSTATE_COMPLETED);
        cupsFreeJobs(n, lista);
        if (completo) {
            const QDir dir(Hecha().carpeta);
            for (const QString &f : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files))
                if (nombre.match(f).hasMatch()) return dir.filePath(f);
        }
        QThread::msleep(100);
    }
    return QString();
}

QList<QImage> Imagenes(const QString &pdf)
{
    QTemporaryDir dir;
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, dir.filePath(QStringLiteral("i"))});
    p.waitForFinished(60000);
    QList<QImage> r;
    for (const QString &f : QDir(dir.path()).entryList(QDir::Files, QDir::Name))
        r << QImage(dir.filePath(f)).convertToFormat(QImage::Format_RGB32);
    return r;
}

QRectF EnPagina(const QSize &pagina, double anchoCm, double altoCm, bool centrado, double xCm, double yCm)
{
    QPrinter printer(QPrinterInfo::printerInfo(QString::fromLatin1(kCola)), QPrinter::HighResolution);
    const int ppp = printer.resolution();
    const QRect hoja = printer.pageLayout().fullRectPixels(ppp), area = printer.pageLayout().paintRectPixels(ppp);
    const double ancho = anchoCm / 2.54 * ppp, alto = altoCm / 2.54 * ppp;
    const double x = area.x() + (centrado ? (area.width() - ancho) / 2 : xCm / 2.54 * ppp);
    const double y = area.y() + (centrado ? (area.height() - alto) / 2 : yCm / 2.54 * ppp);
    const double k = static_cast<double>(pagina.width()) / hoja.width();
    return QRectF(x * k, y * k, ancho * k, alto * k);
}

double Desvio(const QRect &caja, const QRectF &esperada)
{
    // The box's pixels span from its left edge to one past its right one.
    return std::max({std::abs(caja.x() - esperada.left()), std::abs(caja.y() - esperada.top()),
                     std::abs(caja.x() + caja.width() - esperada.right()),
                     std::abs(caja.y() + caja.height() - esperada.bottom())});
}

} // namespace ColaPDF

namespace {
// Work before the dialog (a progress window's yields) may run the timer
// early: it waits for the dialog, a minute at most.
void Intentar(const std::function<void(frmConfigImpresion &)> &acciones, int restantes)
{
    auto *d = qobject_cast<frmConfigImpresion *>(Ventanas::Buscar(QStringLiteral("frmConfigImpresion")));
    if (!(d && d->isVisible() && d->isModal())) {
        if (restantes > 0)
            QTimer::singleShot(10, [acciones, restantes] { Intentar(acciones, restantes - 1); });
        else
            ADD_FAILURE() << "no print set-up opened";
        return;
    }
    acciones(*d);
    if (d->isVisible()) {
        ADD_FAILURE() << "the print set-up is still open";
        d->hide();
    }
}
} // namespace

void EnConfiguracionImpresion(const std::function<void(frmConfigImpresion &)> &acciones)
{
    QTimer::singleShot(0, [acciones] { Intentar(acciones, 6000); });
}
