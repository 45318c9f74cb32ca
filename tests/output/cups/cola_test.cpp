// Printing through a real CUPS queue ("PDF", cups-pdf, set up by
// scripts/cups.sh): the job's pages, pixels, place on the page and colour
// option, a failure that leaves nothing queued, and the driver dialog.

#include "output/ayuda_impresion.h"

#include "output/ajustesimpresora.h"
#include "output/dcimpresora.h"
#include "output/impresion.h"
#include "platform/files.h"
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

// The queue's job of that title (finished ones too), by IPP: id, state and
// cm-calibration, or nothing.
QStringList Buscar(const QString &titulo)
{
    QTemporaryDir dir;
    Archivos::EscribirAtomico(dir.filePath("t"), "{ OPERATION Get-Jobs\n GROUP operation-attributes-tag\n"
        " ATTR charset attributes-charset utf-8\n ATTR naturalLanguage attributes-natural-language en\n"
        " ATTR uri printer-uri $uri\n ATTR name requesting-user-name $user\n ATTR keyword which-jobs all\n"
        " ATTR keyword requested-attributes job-id,job-name,job-state,cm-calibration\n"
        " DISPLAY job-id\n DISPLAY job-name\n DISPLAY job-state\n DISPLAY cm-calibration\n}\n");
    for (const QString &l : prueba::Ejecutar("ipptool", {"-c", "ipp://localhost/printers/PDF", dir.filePath("t")}).split('\n')) {
        const QStringList c = l.split(u',');
        if (c.size() >= 3 && c[1] == titulo) return {c[0], c[2], c.value(3)};
    }
    return {};
}

// Waits (bounded) for the job to finish; cups-pdf's file, or "".
QString Esperar(const QString &titulo, const QString &id)
{
    QElapsedTimer reloj;
    for (reloj.start(); reloj.elapsed() < 60000; QThread::msleep(200)) {
        const QStringList f = QDir(g_salida).entryList({"*job_" + id + ".pdf"}), t = Buscar(titulo);
        if (t.value(1) == "completed" && !f.isEmpty()) return QDir(g_salida).filePath(f[0]);
        if (t.value(1) == "aborted" || t.value(1) == "canceled") break;
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
    const auto dc = CrearDCImpresora("PDF");
    const int ppp = dc->GetDeviceCaps(LOGPIXELSX);
    const QRect area = dc->Printer().pageLayout().paintRectPixels(ppp);
    // 1 cm and 2 cm from the printable area's corner, 10 cm wide, at 72 ppp.
    const double x = area.x() + Numeros::CLng(kPulgadasPorCm * ppp), y = area.y() + Numeros::CLng(2 * kPulgadasPorCm * ppp);
    const QRectF caja(x * 72 / ppp, y * 72 / ppp, 10 * kPulgadasPorCm * 72, 30 / 1001.0 * 10 * kPulgadasPorCm * 72);
    for (const int16_t modo : {0, 1, 2}) {
        const int16_t copias = modo == 2 ? 3 : 1;
        const QString t = titulo + QString::number(modo);
        const int32_t r = ImprimirImagen(&imagen, 1001, 30, nullptr, t, " pdf ", copias, 10, 10 * 30 / 1001.0, false, 1, 2, msg,
                                         modo, "", perfil, 0, false);
        ASSERT_EQ(r, 1) << msg.toStdString();
        const QStringList trabajo = Buscar(t);
        ASSERT_EQ(trabajo.size(), 3);
        EXPECT_EQ(trabajo[2], modo ? "true" : ""); // colour management off in modes 1 and 2 only
        const QString pdf = Esperar(t, trabajo[0]);
        ASSERT_FALSE(pdf.isEmpty()) << "no output for job " << trabajo[0].toStdString();
        const QImage esperada = modo == 1 ? prueba::TransformarLCMS(imagen, RutaPerfilSRGB(), perfil, 1, false) : imagen;
        prueba::Verificar(pdf, copias, esperada, caja, 72);
    }
}

TEST_F(Cola, FalloEnLaSegundaCopiaNoDejaNadaEnCola)
{
    FijarFalloDC(OperacionDC::Dibujar, 2);
    EXPECT_EQ(ImprimirImagen(&imagen, 1001, 30, nullptr, titulo, "PDF", 3, 10, 1, true, 0, 0, msg, 2, "", "", 0, false), -1);
    EXPECT_EQ(msg, "No se pudo enviar la imagen a la impresora.");
    EXPECT_EQ(Buscar(titulo), QStringList());
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
