#include "support/colapdf.h"

#include "app/ventanas.h"
#include "output/frmconfigimpresion.h"
#include "support/estado.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QDeadlineTimer>
#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ColaPDF {

namespace {
QString g_carpeta;    // where cups-pdf writes
QString g_carpetaIPP; // where the IPP Everywhere printer keeps its jobs
QString g_uriIPP;     // and where it listens
} // namespace

Estado Preparar(QString *motivo)
{
    static QString razon;
    static const Estado estado = [] {
        QProcess script;
        script.start(QStringLiteral("bash"), {QStringLiteral(QT_TESTCASE_SOURCEDIR "/../scripts/cups.sh")});
        const bool fin = script.waitForFinished(120000) && script.exitStatus() == QProcess::NormalExit;
        QMap<QString, QString> valores; // its name=value lines
        for (const QString &l : QString::fromLocal8Bit(script.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            valores.insert(l.section(u'=', 0, 0), l.section(u'=', 1));
        razon = QString::fromLocal8Bit(script.readAllStandardError()).trimmed();
        if (!fin || script.exitCode() != 0)
            return fin && script.exitCode() == 2 ? Estado::SinPermisos : Estado::Fallo;
        if (valores.value(QStringLiteral("pdf-queue")) != QLatin1String(kCola) ||
            valores.value(QStringLiteral("ipp-queue")) != QLatin1String(kColaIPP)) {
            razon = QStringLiteral("scripts/cups.sh set up other queues than the tests print to");
            return Estado::Fallo;
        }
        g_carpeta = valores.value(QStringLiteral("pdf-dir"));
        g_carpetaIPP = valores.value(QStringLiteral("ipp-dir"));
        g_uriIPP = valores.value(QStringLiteral("ipp-uri"));
        // A CUPS user of this process's own: its jobs and no one else's.
        cupsSetUser(QStringLiteral("halvora-prueba-%1").arg(QCoreApplication::applicationPid()).toUtf8().constData());
        return Estado::Lista;
    }();
    if (motivo) *motivo = razon.isEmpty() ? QStringLiteral("scripts/cups.sh failed") : razon;
    return estado;
}

QList<int> Trabajos(const char *cola)
{
    QList<int> r;
    cups_job_t *lista = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &lista, cola, 1, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i) r.append(lista[i].id);
    cupsFreeJobs(n, lista);
    std::sort(r.begin(), r.end());
    return r;
}

namespace {
// The one job sent to the queue since antes, once CUPS has finished it and
// checked its title; 0 (with a test failure) otherwise.
int NuevoTrabajo(const char *cola, const QList<int> &antes, const QString &titulo)
{
    QList<int> nuevos;
    for (int t : Trabajos(cola))
        if (!antes.contains(t)) nuevos.append(t);
    if (nuevos.size() != 1) {
        ADD_FAILURE() << nuevos.size() << " jobs sent, one expected";
        return 0;
    }
    for (const QDeadlineTimer plazo(60000); !plazo.hasExpired(); QThread::msleep(50)) {
        const QString estado = Atributo(nuevos[0], "job-state");
        if (estado == QLatin1String("completed")) {
            EXPECT_EQ(Atributo(nuevos[0], "job-name").toStdString(), titulo.toStdString());
            return nuevos[0];
        }
        if (estado == QLatin1String("aborted") || estado == QLatin1String("canceled")) break;
    }
    ADD_FAILURE() << "job " << nuevos[0] << " on " << cola << " never completed: "
                  << Atributo(nuevos[0], "job-printer-state-message").toStdString();
    return 0;
}
} // namespace

QString NuevoPDF(const QList<int> &antes, const QString &titulo, int *id)
{
    const int trabajo = NuevoTrabajo(kCola, antes, titulo);
    if (id) *id = trabajo;
    if (!trabajo) return QString();
    // cups-pdf has written the file by the time CUPS calls the job done. A
    // cupsd stopped without saving its job cache numbers jobs again from an
    // older id: a file of an earlier run may carry the same one, but it was
    // written before this job was made.
    const QRegularExpression nombre(QStringLiteral("(^|[^0-9])job_%1([^0-9]|$)").arg(trabajo));
    const qint64 creado = Atributo(trabajo, "time-at-creation").toLongLong();
    const QDir dir(g_carpeta);
    for (const QFileInfo &f : dir.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time))
        if (nombre.match(f.fileName()).hasMatch() && f.lastModified().toSecsSinceEpoch() >= creado)
            return f.filePath();
    ADD_FAILURE() << "job " << trabajo << " never reached its PDF";
    return QString();
}

QList<Raster::Pagina> NuevoRaster(const QList<int> &antes, const QString &titulo)
{
    if (!NuevoTrabajo(kColaIPP, antes, titulo)) return {};
    // CUPS calls the job done once the printer has it. The printer numbers
    // jobs its own way: this process's latest there is the one.
    ipp_t *peticion = ippNewRequest(IPP_OP_GET_JOBS);
    const QByteArray uri = g_uriIPP.toUtf8();
    ippAddString(peticion, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.constData());
    ippAddString(peticion, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(peticion, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "completed");
    const char *pedidos[] = {"job-id", "job-originating-user-name"};
    ippAddStrings(peticion, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, pedidos);
    http_t *http = httpConnect2("localhost", QUrl(g_uriIPP).port(), nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED, 1, 30000, nullptr);
    ipp_t *respuesta = http ? cupsDoRequest(http, peticion, "/ipp/print") : (ippDelete(peticion), nullptr);
    int ultimo = 0, id = 0;
    bool nuestro = false;
    for (ipp_attribute_t *a = ippFirstAttribute(respuesta);; a = ippNextAttribute(respuesta)) {
        if (!a || !ippGetName(a)) { // a job's group ends
            if (nuestro) ultimo = std::max(ultimo, id);
            if (!a) break;
            id = 0;
            nuestro = false;
        } else if (!strcmp(ippGetName(a), "job-id"))
            id = ippGetInteger(a, 0);
        else if (!strcmp(ippGetName(a), "job-originating-user-name"))
            nuestro = !strcmp(ippGetString(a, 0, nullptr), cupsUser());
    }
    ippDelete(respuesta);
    httpClose(http);
    const QDir dir(g_carpetaIPP);
    const QStringList archivos = dir.entryList({QStringLiteral("%1-*.pwg").arg(ultimo)}, QDir::Files);
    if (!ultimo || archivos.size() != 1) {
        ADD_FAILURE() << "the printer kept no file of this process's job " << ultimo;
        return {};
    }
    QFile f(dir.filePath(archivos[0]));
    QString error;
    const QList<Raster::Pagina> paginas = f.open(QIODevice::ReadOnly) ? Raster::Leer(f.readAll(), &error) : QList<Raster::Pagina>();
    EXPECT_TRUE(error.isEmpty()) << archivos[0].toStdString() << ": " << error.toStdString();
    return paginas;
}

QString Atributo(int id, const char *nombre)
{
    ipp_t *peticion = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(peticion, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr,
                 ("ipp://localhost/jobs/" + std::to_string(id)).c_str());
    ippAddString(peticion, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ipp_t *respuesta = cupsDoRequest(CUPS_HTTP_DEFAULT, peticion, "/");
    ipp_attribute_t *a = ippFindAttribute(respuesta, nombre, IPP_TAG_ZERO);
    char valor[256] = "";
    if (a) ippAttributeString(a, valor, sizeof valor);
    ippDelete(respuesta);
    return QString::fromUtf8(valor);
}

namespace {
// Runs a poppler tool; its standard output.
QString Poppler(const QString &programa, QStringList args)
{
    QProcess p;
    p.start(programa, args);
    return p.waitForFinished(60000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}
} // namespace

int Paginas(const QString &pdf)
{
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(Poppler(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QList<QImage> Imagenes(const QString &pdf)
{
    QTemporaryDir dir;
    Poppler(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, dir.filePath(QStringLiteral("i"))});
    QList<QImage> r;
    for (const QString &f : QDir(dir.path()).entryList(QDir::Files, QDir::Name))
        r << QImage(dir.filePath(f)).convertToFormat(QImage::Format_RGB32);
    return r;
}

namespace {
// How far the ink on the image of a sheet lies from the picture's place on
// the page, the page's rectangle on that image given in its pixels.
double Medir(const QImage &hoja, QRectF pagina, QSizeF ppp, double anchoCm, double altoCm, bool centrado, double xCm,
             double yCm, Giro giro)
{
    QImage im = hoja;
    if (giro != Giro::Ninguno) {
        const QTransform t = QTransform().rotate(giro == Giro::Horario ? -90 : 90);
        pagina = QImage::trueMatrix(t, hoja.width(), hoja.height()).mapRect(pagina);
        im = hoja.transformed(t);
        ppp.transpose();
    }
    const double ancho = anchoCm / 2.54 * ppp.width(), alto = altoCm / 2.54 * ppp.height();
    const double x = pagina.x() + (centrado ? (pagina.width() - ancho) / 2 : xCm / 2.54 * ppp.width());
    const double y = pagina.y() + (centrado ? (pagina.height() - alto) / 2 : yCm / 2.54 * ppp.height());
    const QRect caja = Raster::Tinta(im);
    // The box's pixels span from its left edge to one past its right one.
    return std::max({std::abs(caja.x() - x), std::abs(caja.y() - y), std::abs(caja.x() + caja.width() - (x + ancho)),
                     std::abs(caja.y() + caja.height() - (y + alto))});
}
} // namespace

QSizeF Puntos(const QString &pdf)
{
    const auto tam = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
                         .match(Poppler(QStringLiteral("pdfinfo"), {pdf}));
    return QSizeF(tam.captured(1).toDouble(), tam.captured(2).toDouble());
}

double Desvio(const QString &pdf, double anchoCm, double altoCm, bool centrado, double xCm, double yCm, Giro giro)
{
    QTemporaryDir dir;
    Poppler(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-singlefile"), pdf,
                                         dir.filePath(QStringLiteral("p"))});
    // The page fills the image from its corner; the last pixels may hold
    // less than a pixel of it.
    const QRectF pagina(QPointF(0, 0), Puntos(pdf) / 72 * 100);
    return Medir(QImage(dir.filePath(QStringLiteral("p.ppm"))), pagina, QSizeF(100, 100), anchoCm, altoCm, centrado,
                 xCm, yCm, giro);
}

double Desvio(const Raster::Pagina &hoja, double anchoCm, double altoCm, bool centrado, double xCm, double yCm, Giro giro)
{
    // The page as sent, in whole points (Qt's A4 is 595 x 842), stands
    // centred on the sheet (210 x 297 mm).
    const QSizeF pagina(hoja.puntos.width() / 72 * hoja.ppp.width(), hoja.puntos.height() / 72 * hoja.ppp.height());
    const QPointF esquina((hoja.imagen.width() - pagina.width()) / 2, (hoja.imagen.height() - pagina.height()) / 2);
    return Medir(hoja.imagen, QRectF(esquina, pagina), hoja.ppp, anchoCm, altoCm, centrado, xCm, yCm, giro);
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
            QTimer::singleShot(10, GuionDeLaPrueba(), [acciones, restantes] { Intentar(acciones, restantes - 1); });
        else
            ADD_FAILURE() << "no print set-up opened";
        return;
    }
    d->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(d));
    acciones(*d);
    if (d->isVisible()) {
        ADD_FAILURE() << "the print set-up is still open";
        d->hide();
    }
}
} // namespace

namespace {
// The print dialog once it is open; its properties are a modal dialog of
// their own, handled from inside their loop.
void Ajustar(QPageSize::PageSizeId papel, QPageLayout::Orientation orientacion, int restantes)
{
    auto *d = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
    if (!d) {
        if (restantes > 0)
            QTimer::singleShot(10, GuionDeLaPrueba(), [=] { Ajustar(papel, orientacion, restantes - 1); });
        else
            ADD_FAILURE() << "no printer settings opened";
        return;
    }
    // The settings are kept for the printer they were asked for.
    EXPECT_FALSE(d->findChild<QComboBox *>(QStringLiteral("printers"))->isEnabled());
    QTimer::singleShot(0, GuionDeLaPrueba(), [=] {
        QWidget *propiedades = QApplication::activeModalWidget();
        auto *lista = propiedades ? propiedades->findChild<QComboBox *>(QStringLiteral("pageSizeCombo")) : nullptr;
        if (!lista || propiedades == d) {
            ADD_FAILURE() << "no printer properties opened";
            if (propiedades && propiedades != d) propiedades->close();
            return;
        }
            // The list names each paper as the queue does ("US Letter", "Letter").
        int i = -1;
        for (const QPageSize &tam : QPrinterInfo::printerInfo(d->printer()->printerName()).supportedPageSizes())
            if (tam.id() == papel) i = lista->findText(tam.name());
        EXPECT_GE(i, 0) << QPageSize(papel).name().toStdString() << " not offered";
        lista->setCurrentIndex(i);
        propiedades->findChild<QRadioButton *>(orientacion == QPageLayout::Landscape ? QStringLiteral("landscape")
                                                                                     : QStringLiteral("portrait"))
            ->click();
        for (auto *botones : propiedades->findChildren<QDialogButtonBox *>())
            if (QPushButton *ok = botones->button(QDialogButtonBox::Ok)) ok->click();
    });
    d->findChild<QPushButton *>(QStringLiteral("properties"))->click();
    d->accept();
}
} // namespace

void EnAjustesImpresora(QPageSize::PageSizeId papel, QPageLayout::Orientation orientacion)
{
    QTimer::singleShot(0, GuionDeLaPrueba(), [=] { Ajustar(papel, orientacion, 6000); });
}

void EnConfiguracionImpresion(const std::function<void(frmConfigImpresion &)> &acciones)
{
    QTimer::singleShot(0, GuionDeLaPrueba(), [acciones] { Intentar(acciones, 6000); });
}

void ImprimirEnPDF(frmConfigImpresion &d, int modoColor, const char *cola)
{
    d.findChild<QComboBox *>(QStringLiteral("cboImpresora"))->setCurrentText(QString::fromLatin1(cola));
    d.findChild<QComboBox *>(QStringLiteral("cboGestionColor"))->setCurrentIndex(modoColor);
    d.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
}
