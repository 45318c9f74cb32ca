#include "support/colapdf.h"

#include "app/ventanas.h"
#include "output/frmconfigimpresion.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
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
QString g_carpeta; // where cups-pdf writes
} // namespace

Estado Preparar(QString *motivo)
{
    static QString razon;
    static const Estado estado = [] {
        QProcess script;
        script.start(QStringLiteral("bash"), {QStringLiteral(QT_TESTCASE_SOURCEDIR "/../scripts/cups.sh")});
        const bool fin = script.waitForFinished(120000) && script.exitStatus() == QProcess::NormalExit;
        const QStringList salida = QString::fromLocal8Bit(script.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        razon = QString::fromLocal8Bit(script.readAllStandardError()).trimmed();
        if (!fin || script.exitCode() != 0 || salida.isEmpty())
            return fin && script.exitCode() == 2 ? Estado::SinPermisos : Estado::Fallo;
        g_carpeta = salida.last().trimmed();
        // A CUPS user of this process's own: its jobs and no one else's.
        cupsSetUser(QStringLiteral("halvora-prueba-%1").arg(QCoreApplication::applicationPid()).toUtf8().constData());
        return Estado::Lista;
    }();
    if (motivo) *motivo = razon.isEmpty() ? QStringLiteral("scripts/cups.sh failed") : razon;
    return estado;
}

QList<int> Trabajos()
{
    QList<int> r;
    cups_job_t *lista = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &lista, kCola, 1, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i) r.append(lista[i].id);
    cupsFreeJobs(n, lista);
    std::sort(r.begin(), r.end());
    return r;
}

QString NuevoPDF(const QList<int> &antes, const QString &titulo, int *id)
{
    QList<int> nuevos;
    for (int t : Trabajos())
        if (!antes.contains(t)) nuevos.append(t);
    if (nuevos.size() != 1) {
        ADD_FAILURE() << nuevos.size() << " jobs sent, one expected";
        return QString();
    }
    if (id) *id = nuevos[0];
    const QRegularExpression nombre(QStringLiteral("(^|[^0-9])job_%1([^0-9]|$)").arg(nuevos[0]));
    for (const QDeadlineTimer plazo(60000); !plazo.hasExpired(); QThread::msleep(50)) {
        if (Atributo(nuevos[0], "job-state") != QLatin1String("completed")) continue;
        EXPECT_EQ(Atributo(nuevos[0], "job-name").toStdString(), titulo.toStdString());
        const QDir dir(g_carpeta);
        for (const QString &f : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files))
            if (nombre.match(f).hasMatch()) return dir.filePath(f);
    }
    ADD_FAILURE() << "job " << nuevos[0] << " never reached its PDF";
    return QString();
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

double Desvio(const QString &pdf, double anchoCm, double altoCm, bool centrado, double xCm, double yCm)
{
    // The box of the non-white pixels of page 1.
    QTemporaryDir dir;
    Poppler(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-singlefile"), pdf,
                                         dir.filePath(QStringLiteral("p"))});
    const QImage pagina(dir.filePath(QStringLiteral("p.ppm")));
    QRect caja;
    for (int y = 0; y < pagina.height(); ++y)
        for (int x = 0; x < pagina.width(); ++x)
            if (pagina.pixel(x, y) != qRgb(255, 255, 255)) caja |= QRect(x, y, 1, 1);
    // From the paper's edge, on the page as the PDF declares it (points).
    const auto hoja = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)"))
                          .match(Poppler(QStringLiteral("pdfinfo"), {pdf}));
    const double k = 100 / 2.54, ancho = anchoCm * k, alto = altoCm * k;
    const double x = centrado ? (hoja.captured(1).toDouble() * 100 / 72 - ancho) / 2 : xCm * k;
    const double y = centrado ? (hoja.captured(2).toDouble() * 100 / 72 - alto) / 2 : yCm * k;
    // The box's pixels span from its left edge to one past its right one.
    return std::max({std::abs(caja.x() - x), std::abs(caja.y() - y), std::abs(caja.x() + caja.width() - (x + ancho)),
                     std::abs(caja.y() + caja.height() - (y + alto))});
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
    d->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(d));
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

void ImprimirEnPDF(frmConfigImpresion &d, int modoColor)
{
    d.findChild<QComboBox *>(QStringLiteral("cboImpresora"))->setCurrentText(QStringLiteral("PDF"));
    d.findChild<QComboBox *>(QStringLiteral("cboGestionColor"))->setCurrentIndex(modoColor);
    d.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
}
