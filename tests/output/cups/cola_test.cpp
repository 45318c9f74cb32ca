// Printing through a real CUPS queue ("PDF", cups-pdf, set up by
// scripts/cups.sh): the job's pages, pixels, place on the page and colour
// option, a failure that leaves nothing queued, and the driver dialog.

#include "output/ayuda_impresion.h"

#include "output/ajustesimpresora.h"
#include "output/dcimpresora.h"
#include "output/impresion.h"
#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPrintDialog>
#include <QThread>
#include <QTimer>
#include <unistd.h>

using namespace modImpresion;

namespace {

QString g_salida, g_razon, g_error;

struct Trabajo {
    int id = 0;
    QString estado, cm;
};

// The queue's job of that title (all jobs, finished ones too), by IPP.
Trabajo Buscar(const QString &titulo)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("jobs.test"));
    f.open(QIODevice::WriteOnly);
    f.write("{ OPERATION Get-Jobs\n GROUP operation-attributes-tag\n ATTR charset attributes-charset utf-8\n"
            " ATTR naturalLanguage attributes-natural-language en\n ATTR uri printer-uri $uri\n"
            " ATTR name requesting-user-name $user\n ATTR keyword which-jobs all\n"
            " ATTR keyword requested-attributes job-id,job-name,job-state,cm-calibration\n"
            " DISPLAY job-id\n DISPLAY job-name\n DISPLAY job-state\n DISPLAY cm-calibration\n}\n");
    f.close();
    for (const QByteArray &l : prueba::Ejecutar("ipptool", {"-c", "ipp://localhost/printers/PDF", f.fileName()}).split('\n')) {
        const QStringList c = QString::fromUtf8(l).split(u',');
        if (c.size() >= 3 && c[1] == titulo) return {c[0].toInt(), c[2], c.value(3)};
    }
    return {};
}

// Waits (bounded) for the job to finish and returns cups-pdf's file.
QString Esperar(const Trabajo &t, const QString &titulo)
{
    QElapsedTimer reloj;
    reloj.start();
    for (Trabajo e = t; reloj.elapsed() < 60000; QThread::msleep(200), e = Buscar(titulo)) {
        const QStringList f = QDir(g_salida).entryList({QString("*job_%1.pdf").arg(t.id)});
        if (e.estado == "completed" && !f.isEmpty()) return QDir(g_salida).filePath(f[0]);
        if (e.estado == "aborted" || e.estado == "canceled") break;
    }
    return QString();
}

class Cola : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (geteuid() != 0 && QProcess::execute("sudo", {"-n", "true"}) != 0) {
            g_razon = "running a print queue needs root or passwordless sudo";
            return;
        }
        QProcess p;
        p.start("bash", {QStringLiteral(QT_TESTCASE_SOURCEDIR) + "/../scripts/cups.sh"});
        p.waitForFinished(120000);
        const QStringList lineas = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        if (p.exitCode() == 0 && !lineas.isEmpty()) g_salida = lineas.last();
        g_error = QString::fromUtf8(p.readAllStandardError());
    }
    void SetUp() override
    {
        if (!g_razon.isEmpty()) GTEST_SKIP() << g_razon.toStdString();
        ASSERT_FALSE(g_salida.isEmpty()) << "scripts/cups.sh: " << g_error.toStdString();
        titulo = QString("halvora-%1-%2").arg(getpid()).arg(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { FijarFalloDC(OperacionDC::Dibujar, 0); }
    QString titulo, msg;
    const QImage imagen = prueba::Patron(1001, 30);
};

} // namespace

TEST_F(Cola, CopiasPixelesLugarYGestionDeColor)
{
    QTemporaryDir dir;
    const QString perfil = prueba::Guardar(prueba::PerfilAncho(), dir.filePath("ancho.icc"));
    const struct {
        int16_t modo, copias;
        const char *cm;
    } casos[] = {{0, 1, ""}, {1, 1, "true"}, {2, 3, "true"}};
    for (const auto &c : casos) {
        const QString t = titulo + QString::number(c.modo);
        ASSERT_EQ(ImprimirImagen(&imagen, 1001, 30, nullptr, t, " pdf ", c.copias, 10, 10 * 30 / 1001.0, false, 1, 2, msg,
                                 c.modo, "", perfil, 0, false),
                  1)
            << msg.toStdString();
        const Trabajo trabajo = Buscar(t);
        ASSERT_GT(trabajo.id, 0);
        EXPECT_EQ(trabajo.cm, c.cm);
        const QString pdf = Esperar(trabajo, t);
        ASSERT_FALSE(pdf.isEmpty()) << "no output for job " << trabajo.id;
        EXPECT_EQ(prueba::PaginasPDF(pdf), c.copias);
        const QImage esperada = c.modo == 1 ? prueba::TransformarLCMS(imagen, RutaPerfilSRGB(), perfil, 1, false) : imagen;
        const QList<QImage> imagenes = prueba::ImagenesPDF(pdf);
        EXPECT_EQ(imagenes.size(), c.copias);
        for (const QImage &im : imagenes) EXPECT_EQ(prueba::Diferencia(im, esperada), 0) << "mode " << c.modo;

        // 1 cm and 2 cm from the printable area's corner, 10 cm wide.
        const auto dc = CrearDCImpresora("PDF");
        const int ppp = dc->GetDeviceCaps(LOGPIXELSX);
        const QRect area = dc->Printer().pageLayout().paintRectPixels(ppp);
        const QRect caja = prueba::CajaEnPagina(pdf, 72);
        const double escala = 72.0 / ppp;
        EXPECT_NEAR(caja.x(), (area.x() + Numeros::CLng(kPulgadasPorCm * ppp)) * escala, 1);
        EXPECT_NEAR(caja.y(), (area.y() + Numeros::CLng(2 * kPulgadasPorCm * ppp)) * escala, 1);
        EXPECT_NEAR(caja.width(), 10 * kPulgadasPorCm * 72, 2);
    }
}

TEST_F(Cola, FalloEnLaSegundaCopiaNoDejaNadaEnCola)
{
    FijarFalloDC(OperacionDC::Dibujar, 2);
    EXPECT_EQ(ImprimirImagen(&imagen, 1001, 30, nullptr, titulo, "PDF", 3, 10, 1, true, 0, 0, msg, 2, "", "", 0, false), -1);
    EXPECT_EQ(msg, "No se pudo enviar la imagen a la impresora.");
    QThread::msleep(500);
    EXPECT_EQ(Buscar(titulo).id, 0);
    EXPECT_EQ(QDir(QDir::tempPath()).entryList({"zolv_impresion_*"}), QStringList());
}

TEST_F(Cola, DialogoDelDriverGuardaLosAjustes)
{
    bool bloqueada = false;
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        if (auto *lista = d->findChild<QComboBox *>("printers")) bloqueada = !lista->isEnabled();
        d->accept();
    });
    EXPECT_TRUE(MostrarAjustesImpresora(nullptr, " pdf ", msg)) << msg.toStdString();
    EXPECT_TRUE(bloqueada);
    EXPECT_EQ(DevModeGuardado.impresora, "pdf");
    EXPECT_TRUE(AjustesGuardadosDe("PDF"));
    DevModeGuardado = DevMode();
}
