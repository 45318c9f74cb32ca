// The whole calibration loop through the real windows: the 200 ppp chart goes
// through a simulated print process and back as a scan; the evaluator's
// correction curve goes to the editor, which prints the chart with it through
// the real cups-pdf queue; that print, through the same process, measures linear.

#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "curves/curvas.h"
#include "imaging/modimage.h"
#include "output/frmconfigimpresion.h"
#include "platform/numbers.h"
#include "support/colapdf.h"
#include "support/scripted.h"
#include "support/sistema.h"
#include "windows/chart/frmgenerarcartagrises.h"
#include "windows/evaluator/frmevaluarescaneo.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

namespace {

// A print process: the level delivered for each level sent, the scanner
// noise (standard deviation in levels), and the largest distance allowed from
// the line. The correction, a monotone cubic through 14 rounded points 19.6
// levels apart, misses the exact inverse by up to about 2 levels next to black,
// plus 0.5; the table's whole levels (0.5 times a slope of at most 2), the
// 8-bit print and scan and each patch's rounded median add the rest: 4 of 255.
// Noise of 2 levels moves the white and darkest references a level: one more.
struct Proceso {
    const char *nombre;
    double (*respuesta)(double);
    double ruido;
    int tolerancia;
};
const Proceso kProcesos[] = {
    {"gamma", [](double v) { return 255 * std::pow(v / 255, 1.8); }, 0, 4},
    {"s", [](double v) { return 255 * (0.5 + 0.5 * std::tanh(3.5 * (v / 255 - 0.5)) / std::tanh(1.75)); }, 0, 4},
    {"limitado", [](double v) { return 18 + 222 * std::pow(v / 255, 1.3); }, 0, 4},
    {"ruido", [](double v) { return 255 * std::pow(v / 255, 0.7); }, 2.0, 5},
};

// Prints a grey picture through the process and scans it at 8 or 16 bits, with
// normal noise from a fixed seed (Box-Muller over mt19937, the same everywhere).
QImage Imprimir(const QImage &carta, const Proceso &p, bool dieciseis)
{
    double tabla[256];
    for (int i = 0; i < 256; ++i) tabla[i] = p.respuesta(i);
    std::mt19937 gen(20240611u);
    const auto ruido = [&] {
        if (p.ruido == 0) return 0.0;
        const double u1 = (static_cast<double>(gen()) + 1.0) / 4294967296.0, u2 = static_cast<double>(gen()) / 4294967296.0;
        return p.ruido * std::sqrt(-2 * std::log(u1)) * std::cos(2 * M_PI * u2);
    };
    const QImage gris = carta.convertToFormat(QImage::Format_Grayscale8);
    QImage salida(gris.size(), dieciseis ? QImage::Format_RGBX64 : QImage::Format_RGB888);
    for (int y = 0; y < gris.height(); ++y)
        for (int x = 0; x < gris.width(); ++x) {
            const double v = tabla[gris.constScanLine(y)[x]] + ruido();
            if (dieciseis) {
                const auto q = static_cast<quint16>(Numeros::CLng(std::clamp(v, 0.0, 255.0) * 257));
                reinterpret_cast<QRgba64 *>(salida.scanLine(y))[x] = QRgba64::fromRgba64(q, q, q, 65535);
            } else {
                const int q = Numeros::LimitarByte(v);
                salida.setPixel(x, y, qRgb(q, q, q));
            }
        }
    return salida;
}

// (process, 16 bits)
using Caso = std::tuple<int, bool>;

class BucleCalibracion : public ::testing::TestWithParam<Caso> {
protected:
    void SetUp() override { RegistrarVentanasCalibracion(frame), frame.show(); }

    // The chart generator: 200 ppp, positive, saved as PNG.
    QImage GenerarCarta()
    {
        auto *carta = qobject_cast<frmGenerarCartaGrises *>(frame.MostrarVentana(QStringLiteral("frmGenerarCartaGrises")));
        EXPECT_NE(carta, nullptr);
        if (!carta) return {};
        carta->findChild<QLineEdit *>(QStringLiteral("txtResolucion"))->setText(QStringLiteral("200"));
        carta->findChild<QRadioButton *>(QStringLiteral("optPositivo"))->setChecked(true);
        carta->findChild<QPushButton *>(QStringLiteral("cmdGenerarCarta"))->click();
        carta->findChild<QComboBox *>(QStringLiteral("cboFormato"))->setCurrentIndex(1); // PNG
        const QString ruta = dir.filePath(QStringLiteral("Carta_Grises_ZOLV.png"));
        dialogos.Responder(ruta);
        carta->findChild<QPushButton *>(QStringLiteral("cmdGrabarFichero"))->click();
        QImage img(ruta);
        EXPECT_EQ(img.size(), QSize(1173, 1183));
        return img;
    }

    // The evaluator measures a scan and makes the curve; its measurements.
    Evaluador::Muestras Evaluar(const QImage &escaneo, const QString &nombre)
    {
        const QString ruta = dir.filePath(nombre);
        EXPECT_TRUE(escaneo.save(ruta, "png", 90));
        // The bit depth in the PNG header: the 16-bit scans really are.
        EXPECT_EQ(Leer(ruta).mid(24, 1), QByteArray(1, char(escaneo.format() == QImage::Format_RGBX64 ? 16 : 8)));
        auto *ev = qobject_cast<frmEvaluarEscaneo *>(frame.MostrarVentana(QStringLiteral("frmEvaluarEscaneo")));
        EXPECT_NE(ev, nullptr);
        if (!ev) return {};
        dialogos.Responder(ruta);
        ev->findChild<QPushButton *>(QStringLiteral("cmdCargarEscaneo"))->click();
        EXPECT_TRUE(ev->EscaneoCargado() && modImage::AnchoEscaneo == 1173);
        ev->findChild<QPushButton *>(QStringLiteral("cmdGenerarCurva"))->click();
        EXPECT_TRUE(ev->CurvaGenerada());
        return ev->Muestras();
    }

    // The curve sent to the editor, which prints the chart through the queue
    // with no colour management: the picture the PDF holds.
    QImage ImprimirCorregida()
    {
        auto *ev = Ventanas::Buscar(QStringLiteral("frmEvaluarEscaneo"));
        ev->findChild<QPushButton *>(QStringLiteral("cmdEnviarCurvaEditor"))->click();
        QWidget *editor = Ventanas::Buscar(QStringLiteral("frmEditarAplicarCurva"));
        EXPECT_NE(editor, nullptr);
        if (!editor) return {};
        dialogos.Responder(dir.filePath(QStringLiteral("Carta_Grises_ZOLV.png")));
        editor->findChild<QPushButton *>(QStringLiteral("cmdCargarImagenAProcesar"))->click();
        const QList<int> antes = ColaPDF::Trabajos();
        EnConfiguracionImpresion([](frmConfigImpresion &d) { ImprimirEnPDF(d, 2); });
        editor->findChild<QPushButton *>(QStringLiteral("cmdImprimirImagenCurva"))->click();
        const QList<QImage> impresa = ColaPDF::Imagenes(ColaPDF::NuevoPDF(antes, QStringLiteral("Imagen procesada")));
        EXPECT_EQ(impresa.size(), 1);
        return impresa.isEmpty() ? QImage() : impresa[0];
    }

    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    MDIForm1 frame;
};

} // namespace

TEST_P(BucleCalibracion, CorrectedPrintIsLinear)
{
    const auto [indice, dieciseis] = GetParam();
    const Proceso &p = kProcesos[indice];
    REQUIERE_COLA_PDF();

    const QImage carta = GenerarCarta();
    ASSERT_FALSE(carta.isNull());

    // First round: the process as it is.
    const Evaluador::Muestras antes = Evaluar(Imprimir(carta, p, dieciseis), QStringLiteral("escaneo.png"));
    ASSERT_TRUE(cajas.llamadas.size() <= 1u); // the chart's "saved" notice only
    ASSERT_GE(modEngine::NumPuntos[0], 10);

    // Second round: the chart printed with the curve, through the same process.
    const QImage corregida = ImprimirCorregida();
    ASSERT_EQ(corregida.size(), carta.size());
    const Evaluador::Muestras despues = Evaluar(Imprimir(corregida, p, dieciseis), QStringLiteral("corregido.png"));

    int errorAntes = 0;
    for (int k = 0; k < Evaluador::NumParches; ++k) {
        const int ideal = Numeros::CLng(255 * (1 - k / 100.0));
        errorAntes = std::max(errorAntes, std::abs(antes.MuestraNormalizada[k] - ideal));
        EXPECT_NEAR(despues.MuestraNormalizada[k], ideal, p.tolerancia) << p.nombre << " patch " << k;
    }
    EXPECT_GT(errorAntes, 3 * p.tolerancia) << p.nombre; // the process really was off the line
}

INSTANTIATE_TEST_SUITE_P(Procesos, BucleCalibracion, ::testing::Combine(::testing::Range(0, 4), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<Caso> &i) {
                             return std::string(kProcesos[std::get<0>(i.param)].nombre) +
                                    (std::get<1>(i.param) ? "_16bit" : "_8bit");
                         });
