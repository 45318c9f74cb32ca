// Printing through a real CUPS queue (the tests' cups-pdf queue, set up by
// scripts/cups.sh): the job's pages, pixels, place on the page and colour
// option, a failure that leaves nothing queued, and the driver dialog.

#include "output/ayuda_impresion.h"

#include "output/ajustesimpresora.h"
#include "output/dcimpresora.h"
#include "output/impresion.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPrintDialog>
#include <QTimer>

using namespace modImpresion;

namespace {

class Cola : public ::testing::Test {
protected:
    void SetUp() override { REQUIERE_COLA_PDF(); }
    void TearDown() override { FijarFalloDC(OperacionDC::Dibujar, 0); }
    QString msg;
    const QImage imagen = prueba::Patron(1001, 30);
};

} // namespace

TEST_F(Cola, CopiasPixelesLugarYGestionDeColor)
{
    QTemporaryDir dir;
    const QString perfil = prueba::Guardar(prueba::PerfilAncho(), dir.filePath("ancho.icc"));
    for (const int16_t modo : {0, 1, 2}) {
        const int16_t copias = std::array<int16_t, 3>{-3, 0, 3}[modo]; // at least one
        const QString titulo = "Prueba " + QString::number(modo);
        const QList<int> antes = ColaPDF::Trabajos();
        // 1 cm and 2 cm from the printable area's corner, 10 cm wide.
        const int32_t r = ImprimirImagen(&imagen, 1001, 30, nullptr, titulo, " HALVORA-pdf ", copias, 10, 10 * 30 / 1001.0, false, 1, 2,
                                         msg, modo, "", perfil, 0, false);
        ASSERT_EQ(r, 1) << msg.toStdString();
        int id = 0;
        const QString pdf = ColaPDF::NuevoPDF(antes, titulo, &id);
        ASSERT_FALSE(pdf.isEmpty());
        EXPECT_EQ(ColaPDF::Atributo(id, "cm-calibration").toStdString(), modo ? "true" : ""); // colour management off in modes 1 and 2 only
        const QList<QImage> imagenes = ColaPDF::Imagenes(pdf); // one page, one picture per copy
        EXPECT_EQ((std::pair{ColaPDF::Paginas(pdf), int(imagenes.size())}), (std::pair{std::max<int>(copias, 1), std::max<int>(copias, 1)}));
        const QImage esperada = modo == 1 ? prueba::TransformarLCMS(imagen, RutaPerfilSRGB(), perfil, 1, false) : imagen;
        for (const QImage &i : imagenes) EXPECT_EQ(prueba::Diferencia(i, esperada), 0) << modo;
        EXPECT_LE(ColaPDF::Desvio(pdf, 10, 10 * 30 / 1001.0, false, 1, 2), 1.0) << modo;
    }
}

TEST_F(Cola, FalloEnLaSegundaCopiaNoDejaNadaEnCola)
{
    FijarFalloDC(OperacionDC::Dibujar, 2);
    const QList<int> antes = ColaPDF::Trabajos();
    EXPECT_EQ(ImprimirImagen(&imagen, 1001, 30, nullptr, "Prueba", ColaPDF::kCola, 3, 10, 1, true, 0, 0, msg, 2, "", "", 0, false), -1);
    EXPECT_EQ(msg, "No se pudo enviar la imagen a la impresora.");
    EXPECT_EQ(ColaPDF::Trabajos(), antes);
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
    EXPECT_TRUE(MostrarAjustesImpresora(nullptr, " HALVORA-pdf ", msg)) << msg.toStdString();
    EXPECT_TRUE(bloqueada);
    EXPECT_EQ(DevModeGuardado.impresora, "HALVORA-pdf");
    EXPECT_TRUE(AjustesGuardadosDe(ColaPDF::kCola));
    DevModeGuardado = DevMode();
}

