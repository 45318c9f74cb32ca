// The chart's Print: refused before a chart exists, nothing rendered when
// cancelled, and through the real "PDF" queue the chart the save writes,
// 19 cm wide, centred, once per copy.

#include "windows/chart/frmgenerarcartagrises.h"

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "output/frmconfigimpresion.h"
#include "support/colapdf.h"
#include "support/scripted.h"
#include "windows/registro.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

TEST(ImprimirCarta, TheSavedChartReachesThePageCentredOncePerCopy)
{
    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    MDIForm1 frame;
    modIdioma::CambiarIdioma(QStringLiteral("es"));
    RegistrarVentanasCalibracion(frame);
    auto *w = qobject_cast<frmGenerarCartaGrises *>(frame.MostrarVentana(QStringLiteral("frmGenerarCartaGrises")));
    ASSERT_TRUE(w && dir.isValid());
    const auto boton = [w](const char *n) { return w->findChild<QPushButton *>(QString::fromLatin1(n)); };

    w->ImprimirCarta();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Primero genera la carta de grises."));
    EXPECT_EQ(cajas.llamadas[0].titulo, QStringLiteral("Imprimir"));
    boton("cmdGenerarCarta")->click();
    // The dialog gets the chart's aspect and profile and shows the preview;
    // cancelling it leaves no full-size render.
    EnConfiguracionImpresion([w](frmConfigImpresion &d) {
        EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("lblPerfilDocumentoVal"))->text(), QStringLiteral("sRGB IEC61966-2.1"));
        EXPECT_TRUE(d.findChild<QLabel *>(QStringLiteral("lblInfoCarta"))->text().startsWith(QStringLiteral("Carta: 19.00 x 19.16 cm")));
        EXPECT_EQ(d.Imagen, w->picCartaGris()->S().Imagen());
        d.findChild<QPushButton *>(QStringLiteral("cmdCancelar"))->click();
    });
    boton("cmdImprimir")->click();
    EXPECT_EQ(cajas.llamadas.size(), 1);
    EXPECT_TRUE(w->picBuffer().Vacia());

    REQUIERE_COLA_PDF();
    const QList<int> antes = ColaPDF::Trabajos();
    EnConfiguracionImpresion([](frmConfigImpresion &d) {
        d.findChild<QComboBox *>(QStringLiteral("cboImpresora"))->setCurrentText(QStringLiteral("PDF"));
        d.findChild<QLineEdit *>(QStringLiteral("txtCopias"))->setText(QStringLiteral("2"));
        d.findChild<QComboBox *>(QStringLiteral("cboGestionColor"))->setCurrentIndex(2); // no colour management
        d.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
    });
    boton("cmdImprimir")->click();
    ASSERT_EQ(cajas.llamadas.size(), 2);
    // 19 x 1183 / 1173 = 19.162 cm.
    EXPECT_EQ(cajas.llamadas[1].texto, QStringLiteral("Carta enviada a la impresora.\r\nTamano impreso: 19.0 x 19.2 cm  "
                                                      "(200 ppp)\r\nPosicion: centrada"));
    EXPECT_EQ(cajas.llamadas[1].Icono(), MsgBox::Information);
    const QString pdf = ColaPDF::NuevoPDF(antes, QStringLiteral("Carta de grises"));
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(ColaPDF::Paginas(pdf), 2);
    EXPECT_LE(ColaPDF::Desvio(pdf, 19.0, 19.0 * 1183 / 1173, true, 0, 0), 1.0);

    // Every page holds the pixels the Save writes.
    w->findChild<QComboBox *>(QStringLiteral("cboFormato"))->setCurrentIndex(2); // BMP
    dialogos.Responder(dir.filePath(QStringLiteral("carta.bmp")));
    boton("cmdGrabarFichero")->click();
    const QImage guardada = QImage(dir.filePath(QStringLiteral("carta.bmp"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(guardada.size(), QSize(1173, 1183));
    const QList<QImage> impresas = ColaPDF::Imagenes(pdf);
    ASSERT_FALSE(impresas.isEmpty());
    for (const QImage &i : impresas) EXPECT_EQ(i, guardada);
}
