// The chart's Print through the real "PDF" queue: what reaches the page is
// the chart the save writes, 19 cm wide, centred, once per copy.

#include "windows/chart/frmgenerarcartagrises.h"

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "output/ayuda_impresion.h"
#include "output/frmconfigimpresion.h"
#include "support/colapdf.h"
#include "support/scripted.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

class ImprimirCarta : public ::testing::Test {
protected:
    void SetUp() override
    {
        modIdioma::CambiarIdioma(QStringLiteral("es"));
        RegistrarVentanasCalibracion(frame);
        w = qobject_cast<frmGenerarCartaGrises *>(frame.MostrarVentana(QStringLiteral("frmGenerarCartaGrises")));
        ASSERT_TRUE(w && dir.isValid());
        imprimir = w->findChild<QPushButton *>(QStringLiteral("cmdImprimir"));
    }
    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    MDIForm1 frame;
    frmGenerarCartaGrises *w = nullptr;
    QPushButton *imprimir = nullptr;
};

} // namespace

TEST_F(ImprimirCarta, OnlyAGeneratedChartIsPrintedAndCancelRendersNothing)
{
    w->ImprimirCarta();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Primero genera la carta de grises."));
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);
    EXPECT_EQ(cajas.llamadas[0].titulo, QStringLiteral("Imprimir"));
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmConfigImpresion")), nullptr);

    w->findChild<QPushButton *>(QStringLiteral("cmdGenerarCarta"))->click();
    ASSERT_TRUE(imprimir->isEnabled());
    // The dialog is told the chart's width, aspect and profile and shows the
    // preview; cancelling it leaves no full-size render.
    EnConfiguracionImpresion([this](frmConfigImpresion &d) {
        EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("lblPerfilDocumentoVal"))->text(),
                  QStringLiteral("sRGB IEC61966-2.1"));
        EXPECT_TRUE(d.findChild<QLabel *>(QStringLiteral("lblInfoCarta"))->text().startsWith(
            QStringLiteral("Carta: 19.00 x 19.16 cm")));
        EXPECT_EQ(d.Imagen, w->picCartaGris()->S().Imagen());
        d.findChild<QPushButton *>(QStringLiteral("cmdCancelar"))->click();
    });
    imprimir->click();
    EXPECT_EQ(cajas.llamadas.size(), 1);
    EXPECT_TRUE(w->picBuffer().Vacia());
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmConfigImpresion")), nullptr);
}

TEST_F(ImprimirCarta, TheSavedChartReachesThePageCentredOncePerCopy)
{
    QString motivo;
    const ColaPDF::Estado estado = ColaPDF::Preparar(&motivo);
    if (estado == ColaPDF::Estado::SinPermisos) GTEST_SKIP() << motivo.toStdString();
    ASSERT_EQ(estado, ColaPDF::Estado::Lista) << motivo.toStdString();

    w->findChild<QPushButton *>(QStringLiteral("cmdGenerarCarta"))->click();
    const auto antes = ColaPDF::Trabajos();
    EnConfiguracionImpresion([](frmConfigImpresion &d) {
        d.findChild<QComboBox *>(QStringLiteral("cboImpresora"))->setCurrentText(QStringLiteral("PDF"));
        d.findChild<QLineEdit *>(QStringLiteral("txtCopias"))->setText(QStringLiteral("2"));
        d.findChild<QComboBox *>(QStringLiteral("cboGestionColor"))->setCurrentIndex(2); // no colour management
        d.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
    });
    imprimir->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    // 19 x 1183 / 1173 = 19.162 cm.
    EXPECT_EQ(cajas.llamadas[0].texto,
              QStringLiteral("Carta enviada a la impresora.\r\nTamano impreso: 19.0 x 19.2 cm  (200 ppp)\r\n"
                             "Posicion: centrada"));
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);
    EXPECT_EQ(cajas.llamadas[0].titulo, QStringLiteral("Imprimir"));

    const auto nuevos = ColaPDF::Nuevos(antes);
    ASSERT_EQ(nuevos.size(), 1);
    EXPECT_EQ(nuevos[0].titulo, QStringLiteral("Carta de grises"));
    const QString pdf = ColaPDF::PDF(nuevos[0].id);
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(prueba::PaginasPDF(pdf), 2);

    // The pixels are those the Save writes.
    const QString bmp = dir.filePath(QStringLiteral("carta.bmp"));
    w->findChild<QComboBox *>(QStringLiteral("cboFormato"))->setCurrentIndex(2);
    dialogos.Responder(bmp);
    w->findChild<QPushButton *>(QStringLiteral("cmdGrabarFichero"))->click();
    const QImage guardada = QImage(bmp).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(guardada.size(), QSize(1173, 1183));
    const QList<QImage> imagenes = ColaPDF::Imagenes(pdf);
    ASSERT_FALSE(imagenes.isEmpty());
    for (const QImage &i : imagenes) EXPECT_EQ(i, guardada);

    QSize pagina;
    const QRect caja = prueba::CajaEnPagina(pdf, 100, &pagina);
    EXPECT_LE(ColaPDF::Desvio(caja, ColaPDF::EnPagina(pagina, 19.0, 19.0 * 1183 / 1173, true, 0, 0)), 1.0)
        << caja.x() << "," << caja.y() << " " << caja.width() << "x" << caja.height();
}
