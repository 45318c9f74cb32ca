// The curve editor driven as a user would: opened from the main menu, handed
// curves, loading samples and curve files through scripted dialogs, with the
// canvas, histogram and preview read back pixel by pixel.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "curves/archivoscurva.h"
#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "imaging/histograma.h"
#include "imaging/modimage.h"
#include "platform/picturebox.h"
#include "platform/settings.h"
#include "support/scripted.h"
#include "windows/chart/geometria.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstring>

namespace {

const QString kNombre = QStringLiteral("frmEditarAplicarCurva");

uint32_t BGR(int r, int g, int b) { return static_cast<uint32_t>(r | (g << 8) | (b << 16)); }

QByteArray U16(std::initializer_list<int> v)
{
    QByteArray b;
    for (int x : v) {
        b.append(static_cast<char>((x >> 8) & 0xFF));
        b.append(static_cast<char>(x & 0xFF));
    }
    return b;
}

// Version 4, four curves, identity colour channels after the given master
// (output, input) pairs.
QByteArray AcvConMaestra(const QList<QPair<int, int>> &salidaEntrada, const QList<QPair<int, int>> &rojo = {})
{
    QByteArray b = U16({4, 4});
    auto curva = [&b](const QList<QPair<int, int>> &p) {
        b += U16({static_cast<int>(p.size())});
        for (const auto &q : p) b += U16({q.first, q.second});
    };
    curva(salidaEntrada);
    curva(rojo.isEmpty() ? QList<QPair<int, int>>{{0, 0}, {255, 255}} : rojo);
    curva({{0, 0}, {255, 255}});
    curva({{0, 0}, {255, 255}});
    return b;
}

class Editor_ : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        modIdioma::CambiarIdioma(QStringLiteral("es"));
        RegistrarVentanasCalibracion(frame);
        frame.show();
        w = Abrir();
        ASSERT_TRUE(w);
    }

    frmEditarAplicarCurva *Abrir()
    {
        frame.findChild<QAction *>(QStringLiteral("mnuEditarCurva"))->trigger();
        return qobject_cast<frmEditarAplicarCurva *>(Ventanas::Buscar(kNombre));
    }

    template <class W = QWidget>
    W *C(const char *nombre)
    {
        W *c = w->findChild<W *>(QString::fromLatin1(nombre));
        EXPECT_TRUE(c) << nombre;
        return c;
    }
    QPushButton *Boton(const char *n) { return C<QPushButton>(n); }
    QString Texto(const char *n) { return C<QLabel>(n)->text(); }

    QString Archivo(const QString &nombre, const QByteArray &bytes)
    {
        const QString ruta = dir.filePath(nombre);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return ruta;
    }
    static QByteArray Leer(const QString &ruta)
    {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Left half (200, 50, 10), right half (20, 100, 240), 64 x 32.
    QString MuestraDosColores()
    {
        QImage img(64, 32, QImage::Format_RGB888);
        img.fill(QColor(20, 100, 240));
        QPainter(&img).fillRect(0, 0, 32, 32, QColor(200, 50, 10));
        const QString ruta = dir.filePath(QStringLiteral("dos.png"));
        EXPECT_TRUE(img.save(ruta));
        return ruta;
    }
    void CargarMuestra(const QString &ruta)
    {
        dialogos.Responder(ruta);
        Boton("cmdCargarImagenAProcesar")->click();
    }
    void Importar(const QString &ruta)
    {
        dialogos.Responder(ruta);
        Boton("cmdImportACV")->click();
    }
    void Recibir(std::initializer_list<int> xs, std::initializer_list<int> ys)
    {
        w->RecibirCurvaGenerada(xs.begin(), ys.begin(), static_cast<int>(xs.size()));
    }
    uint32_t Preview(int x, int y) { return w->picMuestra()->S().Point(x, y); }

    void Raton(PictureBox *caja, QEvent::Type t, int x, int y, Qt::MouseButton b = Qt::LeftButton)
    {
        const QPointF p(x, y);
        QMouseEvent e(t, p, caja->mapToGlobal(p), b, t == QEvent::MouseButtonRelease ? Qt::NoButton : b,
                      Qt::NoModifier);
        QApplication::sendEvent(caja, &e);
    }

    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    MDIForm1 frame;
    frmEditarAplicarCurva *w = nullptr;
};

} // namespace

TEST_F(Editor_, OpensFromTheMenuWithEveryControl)
{
    EXPECT_EQ(w->objectName(), kNombre);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Editar curva / aplicar e imprimir imagen"));
    EXPECT_EQ(Abrir(), w); // a single instance

    for (const char *n : {"picCurve", "picSliderIn", "picSliderOut", "picHist", "picHistRampa", "picMuestra"})
        C<PictureBox>(n);
    for (const char *n : {"optRGB", "optR", "optG", "optB", "optNatural", "optCatmullRom", "optCurvaAplicada",
                          "optOriginal"})
        C<QRadioButton>(n);
    for (const char *n : {"cmdImportACV", "cmdExportACV", "cmdReset", "cmdUndo", "cmdCargarImagenAProcesar",
                          "cmdGuardarImagenCurva", "cmdImprimirImagenCurva"})
        Boton(n);
    for (const char *n : {"chkNegar", "chkInvertirTonos", "chkInvertirHorizontal"}) C<QCheckBox>(n);
    for (const char *n : {"fraCanales", "frmTipoCurva", "frmInfoImagen", "frmVer"}) C<QGroupBox>(n);
    C<QListWidget>("lstHistorial");

    EXPECT_EQ(w->picCurve()->ScaleWidth(), 360);
    EXPECT_EQ(w->picCurve()->ScaleHeight(), 360);
    EXPECT_EQ(w->picHist()->ScaleWidth(), 360);
    EXPECT_EQ(w->picHist()->ScaleHeight(), 100);
    EXPECT_EQ(w->tmrRender()->interval(), 33);
    EXPECT_FALSE(w->tmrRender()->isActive());

    EXPECT_FALSE(w->TieneCurvaCargada());
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked());
    EXPECT_TRUE(C<QRadioButton>("optCatmullRom")->isChecked());
    EXPECT_TRUE(C<QRadioButton>("optCurvaAplicada")->isChecked());
    EXPECT_EQ(Boton("cmdUndo")->text(), QStringLiteral("Deshacer"));
    EXPECT_FALSE(Boton("cmdUndo")->isEnabled());
    EXPECT_FALSE(Boton("cmdExportACV")->isEnabled());
    EXPECT_FALSE(Boton("cmdGuardarImagenCurva")->isEnabled());
    EXPECT_FALSE(Boton("cmdImprimirImagenCurva")->isEnabled());
    EXPECT_EQ(Texto("lblInMin"), QStringLiteral("0"));
    EXPECT_EQ(Texto("lblOutMax"), QStringLiteral("255"));
    auto *combo = C<QComboBox>("cboHistCanal");
    ASSERT_EQ(combo->count(), 6);
    EXPECT_EQ(combo->itemText(4), QStringLiteral("Luminosidad"));
    EXPECT_EQ(combo->currentIndex(), 0);

    // The identity curve on the canvas: the diagonal under it, the grid at
    // 93, 180, 267, the end points at (6, 354) and (354, 6).
    const Superficie &s = w->picCurve()->S();
    EXPECT_EQ(s.Point(93, 30), LienzoCurva::ColorRejilla);
    EXPECT_EQ(s.Point(30, 267), LienzoCurva::ColorRejilla);
    EXPECT_EQ(s.Point(100, 260), LienzoCurva::Blanco);
    EXPECT_EQ(s.Point(6, 350), LienzoCurva::Blanco);
    EXPECT_EQ(s.Point(354, 10), LienzoCurva::Blanco);
    EXPECT_EQ(s.Point(1, 1), LienzoCurva::ColorFondo);
    // Slider band from 0 to 175.
    EXPECT_EQ(w->picSliderIn()->S().Point(175, 12), LienzoCurva::ColorBanda);
    // The ramp.
    EXPECT_EQ(w->picHistRampa()->S().Point(359, 5), 0xFFFFFFu);
}

TEST_F(Editor_, ReceivingACurveResetsEverythingButTheMasterCurve)
{
    using namespace modEngine;
    // Counts outside 2..16 change nothing.
    const int xs[17] = {0, 40, 80, 120, 160, 200, 255};
    const int ys[17] = {0, 60, 100, 140, 180, 220, 255};
    w->RecibirCurvaGenerada(xs, ys, 1);
    w->RecibirCurvaGenerada(xs, ys, 17);
    w->RecibirCurvaGenerada(nullptr, ys, 3);
    EXPECT_EQ(w->Historial().Num(), 0);
    EXPECT_EQ(NumeroDeshacer(), 0);
    EXPECT_FALSE(w->TieneCurvaCargada());
    EXPECT_TRUE(w->EsCurvaIdentidad());

    // Red points and the blue output white level edited, red shown.
    NumPuntos[1] = 3;
    PuntoX[1][2] = 255;
    PuntoY[1][2] = 255;
    PuntoX[1][1] = 100;
    PuntoY[1][1] = 30;
    SalidaBlanco[3] = 200;
    ComponerLUTs();
    CanalActual = 1;
    C<QRadioButton>("optR")->setChecked(true);

    // Out-of-range values are clamped.
    Recibir({-5, 64, 128, 192, 255}, {0, 90, 150, 300, 255});
    for (int ch = 1; ch <= 3; ++ch) {
        EXPECT_EQ(NumPuntos[ch], 2);
        EXPECT_EQ(PuntoY[ch][1], 255);
        EXPECT_EQ(EntradaNegro[ch] + SalidaNegro[ch], 0);
        EXPECT_EQ(EntradaBlanco[ch] + SalidaBlanco[ch], 510);
    }
    ASSERT_EQ(NumPuntos[0], 5);
    const int esperadoY[5] = {0, 90, 150, 255, 255};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(PuntoY[0][i], esperadoY[i]);
        EXPECT_EQ(w->CurvaY(i), esperadoY[i]);
        EXPECT_EQ(LutR[PuntoX[0][i]], esperadoY[i]);
    }
    EXPECT_EQ(PuntoX[0][0], 0);
    EXPECT_EQ(w->NumPuntosCurva(), 5);
    EXPECT_EQ(std::memcmp(LutR, LutG, 256), 0);
    EXPECT_EQ(std::memcmp(LutR, LutB, 256), 0);
    EXPECT_EQ(CanalActual, 0);
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked());
    EXPECT_TRUE(w->TieneCurvaCargada());
    EXPECT_EQ(NumeroDeshacer(), 1);
    EXPECT_EQ(Boton("cmdUndo")->text(), QStringLiteral("Deshacer (1)"));
    EXPECT_TRUE(Boton("cmdUndo")->isEnabled());
    EXPECT_TRUE(Boton("cmdExportACV")->isEnabled());
    auto *lista = C<QListWidget>("lstHistorial");
    ASSERT_EQ(lista->count(), 1);
    EXPECT_EQ(lista->item(0)->text(), QStringLiteral("1.  Curva recibida"));
    EXPECT_EQ(lista->currentRow(), 0);
    // The canvas shows the point at (64, 90).
    int x = 0, y = 0;
    LienzoCurva::CentroPunto(1, 360, 360, x, y);
    EXPECT_EQ(x, LienzoCurva::XDeValor(64, 360));
    EXPECT_EQ(w->picCurve()->S().Point(x, y - 4), LienzoCurva::Blanco);

}

TEST_F(Editor_, TheScanEvaluatorHandsItsCurveOver)
{
    QWidget *ev = frame.MostrarVentana(QStringLiteral("frmEvaluarEscaneo"));
    if (!ev) GTEST_SKIP() << "scan evaluator not built";
    // Start as a user would, without the editor open.
    MDIForm1::DescargarVentana(w);
    ASSERT_FALSE(Ventanas::Buscar(kNombre));

    // A chart scan that printed every grey darker.
    const CartaGrises::Geometria g = CartaGrises::GeometriaDe(200);
    QImage img(g.AnchoPx, g.AltoPx, QImage::Format_RGB888);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        auto llenar = [&](const CartaGrises::Rect &r, int gris) {
            const int v = gris * gris / 255;
            p.fillRect(QRect(QPoint(r.x1, r.y1), QPoint(r.x2, r.y2)), QColor(v, v, v));
        };
        for (int k = 0; k < 100; ++k) llenar(CartaGrises::RectParche(g, k), CartaGrises::GrisParche(k, false));
        llenar(CartaGrises::RectParche100(g), CartaGrises::GrisParche100(false));
    }
    const QString ruta = dir.filePath(QStringLiteral("carta.png"));
    ASSERT_TRUE(img.save(ruta));
    dialogos.Responder(ruta);
    ev->findChild<QPushButton *>(QStringLiteral("cmdCargarEscaneo"))->click();
    ev->findChild<QPushButton *>(QStringLiteral("cmdGenerarCurva"))->click();
    auto *enviar = ev->findChild<QPushButton *>(QStringLiteral("cmdEnviarCurvaEditor"));
    ASSERT_TRUE(enviar->isEnabled());
    const int n = modEngine::NumPuntos[0];
    ASSERT_GE(n, 2);
    int16_t x[16], y[16];
    std::memcpy(x, modEngine::PuntoX[0], sizeof x);
    std::memcpy(y, modEngine::PuntoY[0], sizeof y);
    cajas.llamadas.clear();

    // No editor yet: it opens and takes the curve without a question.
    enviar->click();
    w = qobject_cast<frmEditarAplicarCurva *>(Ventanas::Buscar(kNombre));
    ASSERT_TRUE(w);
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_TRUE(w->TieneCurvaCargada());
    ASSERT_EQ(w->NumPuntosCurva(), n);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(w->CurvaX(i), x[i]);
        EXPECT_EQ(w->CurvaY(i), y[i]);
    }
    EXPECT_EQ(w->Historial().Num(), 1);
    EXPECT_EQ(modEngine::NumeroDeshacer(), 1);

    // The editor holds a curve now: No keeps it as it is...
    modEngine::PuntoY[0][1] = 3;
    cajas.Responder(MsgBox::No);
    enviar->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Question);
    EXPECT_EQ(w->Historial().Num(), 1);
    EXPECT_EQ(modEngine::PuntoY[0][1], 3);
    // ...and Yes replaces it.
    cajas.Responder(MsgBox::Yes);
    enviar->click();
    EXPECT_EQ(w->Historial().Num(), 2);
    EXPECT_EQ(w->Historial().Texto(1), QStringLiteral("Curva recibida"));
    EXPECT_EQ(modEngine::PuntoY[0][1], y[1]);
    EXPECT_EQ(modEngine::NumeroDeshacer(), 2);
}

TEST_F(Editor_, ImportsAcvAndAmpAndExportsTheSameBytes)
{
    using namespace modEngine;
    // Master (0,0) (100,160) (255,255); red lifted to 20..235.
    const QByteArray acv = AcvConMaestra({{0, 0}, {160, 100}, {255, 255}}, {{20, 0}, {235, 255}});
    Importar(Archivo(QStringLiteral("curva.acv"), acv));
    ASSERT_TRUE(cajas.llamadas.isEmpty());
    ASSERT_EQ(dialogos.peticiones.size(), 1);
    EXPECT_EQ(dialogos.peticiones[0].titulo, QStringLiteral("Importar curva"));
    EXPECT_EQ(dialogos.peticiones[0].filtros[0].patrones, QStringLiteral("*.acv;*.amp"));
    EXPECT_EQ(Ajustes::GetSetting(QStringLiteral("DialogFolders"), QStringLiteral("Curva")), dir.path());

    EXPECT_EQ(w->Historial().Lineas(), QStringList{QStringLiteral("1.  Import Curva")});
    EXPECT_EQ(Boton("cmdUndo")->text(), QStringLiteral("Deshacer (1)"));
    EXPECT_TRUE(w->CurvaRecibida());
    ASSERT_EQ(w->NumPuntosCurva(), 3);
    EXPECT_EQ(w->CurvaX(1), 100);
    EXPECT_EQ(w->CurvaY(1), 160);
    // Composed: red after master.
    EXPECT_EQ(LutR[0], 20);
    EXPECT_EQ(LutG[100], 160);
    EXPECT_EQ(LutB[255], 255);
    EXPECT_TRUE(Boton("cmdExportACV")->isEnabled());

    // Exported under a name without extension: the same bytes back.
    dialogos.Responder(dir.filePath(QStringLiteral("exportada")));
    Boton("cmdExportACV")->click();
    const QString salida = dir.filePath(QStringLiteral("exportada.acv"));
    EXPECT_EQ(Leer(salida), acv);
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Curva exportada a:\r\n") + salida);
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);
    EXPECT_EQ(dialogos.peticiones.last().nombreArchivo, QStringLiteral("Curva_Generada"));
    EXPECT_EQ(dialogos.peticiones.last().carpetaInicial, dir.path());

    // An AMP file named in capitals: sixteen points every 17 levels.
    QByteArray amp;
    for (int i = 0; i < 256; ++i) amp += QByteArray::number(255 - i) + (i < 255 ? " " : "\r\n");
    Importar(Archivo(QStringLiteral("INV.AMP"), amp));
    ASSERT_EQ(NumPuntos[0], 16);
    EXPECT_EQ(w->Historial().Num(), 2);
    EXPECT_EQ(LutR[0], 255);
    EXPECT_EQ(LutB[255], 0);
    QList<QPair<int, int>> maestra;
    for (int k = 0; k < 16; ++k) maestra.append({255 - 17 * k, 17 * k});
    dialogos.Responder(dir.filePath(QStringLiteral("INV.ACV")));
    Boton("cmdExportACV")->click();
    EXPECT_EQ(Leer(dir.filePath(QStringLiteral("INV.ACV"))), AcvConMaestra(maestra));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("INV.ACV.acv"))));

    // A name ending in one letter more is read as ACV: rejected, nothing moves.
    cajas.llamadas.clear();
    uint8_t antes[256];
    std::memcpy(antes, LutR, 256);
    Importar(Archivo(QStringLiteral("INV.AMPX"), amp));
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
    EXPECT_EQ(w->Historial().Num(), 2);
    EXPECT_EQ(NumeroDeshacer(), 2);
    EXPECT_EQ(Boton("cmdUndo")->text(), QStringLiteral("Deshacer (2)"));
    EXPECT_EQ(std::memcmp(antes, LutR, 256), 0);
    EXPECT_EQ(w->NumPuntosCurva(), 16);

}

TEST_F(Editor_, ImportWithNegationTickedNegatesOnlyTheMaster)
{
    using namespace modEngine;
    C<QCheckBox>("chkNegar")->setChecked(true);
    Importar(Archivo(QStringLiteral("id.acv"), AcvConMaestra({{0, 0}, {255, 255}}, {{10, 0}, {255, 255}})));
    EXPECT_EQ(PuntoY[0][0], 255);
    EXPECT_EQ(PuntoY[0][1], 0);
    EXPECT_EQ(w->CurvaY(0), 255);
    EXPECT_EQ(w->CurvaY(1), 0);
    EXPECT_EQ(PuntoY[1][0], 10); // the red curve as read
    EXPECT_EQ(LutG[0], 255);
    EXPECT_EQ(LutG[255], 0);
    // Red after the negated master: red(255) at 0.
    EXPECT_EQ(LutR[0], 255);
    EXPECT_EQ(LutR[255], 10);
}

TEST_F(Editor_, ExportAsksBeforeReplacingAndNeedsACurve)
{
    // The identity: a message and no dialog.
    w->cmdExportACV_Click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("No hay una curva generada, cargada o editada para grabar."));
    EXPECT_TRUE(dialogos.peticiones.isEmpty());
    EXPECT_FALSE(Boton("cmdExportACV")->isEnabled());

    Recibir({0, 128, 255}, {0, 180, 255});
    const QByteArray esperado = modEngine::BytesACV();
    cajas.llamadas.clear();
    dialogos.Responder(dir.filePath(QStringLiteral("c.txt")));
    Boton("cmdExportACV")->click();
    EXPECT_EQ(Leer(dir.filePath(QStringLiteral("c.txt.acv"))), esperado);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("c.txt"))));

    // "x" becomes "x.acv", which exists: the user is asked and says No.
    const QString viejo = Archivo(QStringLiteral("x.acv"), "viejo");
    cajas.llamadas.clear();
    cajas.Responder(MsgBox::No);
    dialogos.Responder(dir.filePath(QStringLiteral("x")));
    Boton("cmdExportACV")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Question);
    EXPECT_TRUE(cajas.llamadas[0].texto.contains(viejo));
    EXPECT_EQ(Leer(viejo), QByteArray("viejo"));
    // Yes replaces it.
    cajas.llamadas.clear();
    cajas.Responder(MsgBox::Yes);
    dialogos.Responder(dir.filePath(QStringLiteral("x")));
    Boton("cmdExportACV")->click();
    EXPECT_EQ(Leer(viejo), esperado);
    EXPECT_EQ(cajas.llamadas.size(), 2);
}

TEST_F(Editor_, LoadsASampleAndDescribesIt)
{
    // 3000 x 2000 at 300 dpi (11811 dots per metre).
    QImage img(3000, 2000, QImage::Format_RGB888);
    img.fill(QColor(200, 50, 10));
    img.setDotsPerMeterX(11811);
    img.setDotsPerMeterY(11811);
    const QString ruta = dir.filePath(QStringLiteral("grande.png"));
    ASSERT_TRUE(img.save(ruta));
    CargarMuestra(ruta);
    ASSERT_TRUE(modImage::HayMuestra);
    ASSERT_EQ(dialogos.peticiones.size(), 1);
    EXPECT_EQ(dialogos.peticiones[0].titulo, QStringLiteral("Seleccionar imagen de muestra"));
    EXPECT_EQ(dialogos.peticiones[0].extensionDefecto, QStringLiteral("jpg"));
    EXPECT_EQ(Ajustes::GetSetting(QStringLiteral("DialogFolders"), QStringLiteral("Imagen")), dir.path());
    EXPECT_TRUE(cajas.llamadas.isEmpty());

    EXPECT_EQ(Texto("lblFichImag"), ruta);
    EXPECT_EQ(C<QLabel>("lblFichImag")->toolTip(), ruta);
    EXPECT_EQ(Texto("lblPixels"), QStringLiteral("3,000 x 2,000 px"));
    EXPECT_EQ(Texto("lblMedidas"), QStringLiteral("25.40 x 16.93 cm"));
    EXPECT_EQ(Texto("lblResolucion"), QStringLiteral("300 ppp"));
    EXPECT_EQ(Texto("lblEspacioColor"), modImage::DescPerfilICC);
    // Statistics of the sample's luma: (213 x 200 + 715 x 50 + 72 x 10) / 1000.
    EXPECT_EQ(Texto("lblHPromedioVal"), QStringLiteral("79.00"));
    EXPECT_EQ(Texto("lblHDesvVal"), QStringLiteral("0.00"));
    EXPECT_EQ(Texto("lblHMedianaVal"), QStringLiteral("79"));
    // The red histogram chosen: used at the next drawing.
    C<QComboBox>("cboHistCanal")->setCurrentIndex(1);
    EXPECT_EQ(w->CanalHist(), 1);
    EXPECT_EQ(Texto("lblHMedianaVal"), QStringLiteral("79"));
    w->RefrescarDesdeCurvaCompartida();
    EXPECT_EQ(Texto("lblHPromedioVal"), QStringLiteral("200.00"));
    EXPECT_EQ(Texto("lblHMedianaVal"), QStringLiteral("200"));
    // The canvas shows the sample's luma as a full-height bar at bin 79.
    EXPECT_EQ(w->picCurve()->S().Point(LienzoCurva::XDeValor(79, 360), 10), LienzoCurva::ColorBarras);

    // A file that is no image: the loader says so, and the panel still
    // describes the sample that is shown.
    const QString roto = Archivo(QStringLiteral("roto.png"), QByteArray(300, 'x'));
    CargarMuestra(roto);
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(Texto("lblFichImag"), ruta);
    EXPECT_EQ(Texto("lblPixels"), QStringLiteral("3,000 x 2,000 px"));
    EXPECT_EQ(modImage::AnchoMuestra, 3000);
    EXPECT_EQ(modImage::RutaMuestra, ruta);

    // Cancelled: nothing at all.
    dialogos.Responder(QString());
    Boton("cmdCargarImagenAProcesar")->click();
    EXPECT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(Texto("lblFichImag"), ruta);
}

TEST_F(Editor_, ViewOptionsDrivePreviewAndSaveAndPrint)
{
    QPushButton *guardar = Boton("cmdGuardarImagenCurva");
    QPushButton *imprimir = Boton("cmdImprimirImagenCurva");
    auto *tonos = C<QCheckBox>("chkInvertirTonos");
    auto *espejo = C<QCheckBox>("chkInvertirHorizontal");

    // Without a sample the boxes only set the flags.
    tonos->setChecked(true);
    EXPECT_TRUE(modImage::InvertirTonos);
    EXPECT_FALSE(guardar->isEnabled());
    tonos->setChecked(false);
    EXPECT_FALSE(modImage::InvertirTonos);

    // 64 x 32 in a 480 x 480 box: 480 x 240 from y = 120.
    CargarMuestra(MuestraDosColores());
    ASSERT_TRUE(modImage::HayMuestra);
    EXPECT_EQ(Preview(100, 240), BGR(200, 50, 10));
    EXPECT_EQ(Preview(400, 240), BGR(20, 100, 240));
    EXPECT_EQ(Preview(100, 60), 0u);
    EXPECT_FALSE(guardar->isEnabled());
    EXPECT_FALSE(imprimir->isEnabled());

    tonos->setChecked(true);
    EXPECT_EQ(Preview(100, 240), BGR(55, 205, 245));
    EXPECT_TRUE(guardar->isEnabled());
    EXPECT_TRUE(imprimir->isEnabled());
    tonos->setChecked(false);
    EXPECT_FALSE(guardar->isEnabled());
    espejo->setChecked(true);
    EXPECT_TRUE(modImage::InvertirHorizontal);
    EXPECT_EQ(Preview(100, 240), BGR(20, 100, 240));
    EXPECT_EQ(Preview(400, 240), BGR(200, 50, 10));
    EXPECT_TRUE(imprimir->isEnabled());
    espejo->setChecked(false);
    EXPECT_FALSE(imprimir->isEnabled());

    // A curve: applied in the curve view, not in the original view.
    Recibir({0, 255}, {255, 0});
    EXPECT_EQ(Preview(100, 240), BGR(modEngine::LutR[200], modEngine::LutG[50], modEngine::LutB[10]));
    EXPECT_EQ(Preview(100, 240), BGR(55, 205, 245));
    EXPECT_TRUE(guardar->isEnabled());
    C<QRadioButton>("optOriginal")->setChecked(true);
    EXPECT_FALSE(w->VerCurvaAplicada());
    EXPECT_EQ(Preview(100, 240), BGR(200, 50, 10));
    EXPECT_FALSE(guardar->isEnabled());
    EXPECT_FALSE(imprimir->isEnabled());
    // The flip still shows in the original view.
    espejo->setChecked(true);
    EXPECT_EQ(Preview(100, 240), BGR(20, 100, 240));
    EXPECT_FALSE(guardar->isEnabled());
    espejo->setChecked(false);
    C<QRadioButton>("optCurvaAplicada")->setChecked(true);
    EXPECT_EQ(Preview(100, 240), BGR(55, 205, 245));
    EXPECT_TRUE(guardar->isEnabled());
}

TEST_F(Editor_, OutputHistogramThroughAConstantCurve)
{
    CargarMuestra(MuestraDosColores());
    Recibir({0, 255}, {128, 128});
    // One full-height bar: the columns that show bin 128, nothing elsewhere.
    const Superficie &h = w->picHist()->S();
    int barras = 0;
    for (int x = 0; x < 360; ++x) {
        int a = 0, b = 0;
        modHistograma::BinesDeColumna(x, 360, a, b);
        const bool en128 = a <= 128 && 128 <= b;
        EXPECT_EQ(h.Point(x, 99), en128 ? 0xC0C0C0u : 0u) << x;
        if (en128) {
            EXPECT_EQ(h.Point(x, 0), 0xC0C0C0u);
            ++barras;
        }
    }
    EXPECT_GE(barras, 1);
    // The statistics still describe the sample. The preview's nearest
    // columns put 237 of 480 on the left (luma 79) and 243 on the right
    // ((213 x 20 + 715 x 100 + 72 x 240) / 1000 = 93): mean 86.0875, and
    // the left's 56,880 pixels fall short of half of 115,200.
    EXPECT_EQ(Texto("lblHPromedioVal"), QStringLiteral("86.09"));
    EXPECT_EQ(Texto("lblHDesvVal"), QStringLiteral("7.00"));
    EXPECT_EQ(Texto("lblHMedianaVal"), QStringLiteral("93"));
}

TEST_F(Editor_, RenderTimerRunsWhileTheMouseIsDownAndRendersTheDirtyPreview)
{
    CargarMuestra(MuestraDosColores());
    PictureBox *lienzo = w->picCurve();
    Raton(lienzo, QEvent::MouseButtonPress, 100, 100, Qt::RightButton);
    EXPECT_FALSE(w->tmrRender()->isActive());
    Raton(lienzo, QEvent::MouseButtonRelease, 100, 100, Qt::RightButton);

    Raton(lienzo, QEvent::MouseButtonPress, 100, 100);
    EXPECT_TRUE(w->tmrRender()->isActive());
    // The curve changes under the drag; the next tick shows it.
    std::memset(modEngine::LutR, 0, 256);
    ++modEngine::VersionCurva;
    w->RefrescarDesdeCurvaCompartida();
    EXPECT_TRUE(w->PreviewSucio());
    std::memset(modEngine::LutR, 255, 256);
    ++modEngine::VersionCurva;
    QElapsedTimer reloj;
    reloj.start();
    while (w->PreviewSucio() && reloj.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(w->PreviewSucio());
    // The press put a point into the master curve; red is the forced table.
    EXPECT_EQ(Preview(100, 240), BGR(255, modEngine::LutG[50], modEngine::LutB[10]));
    // The canvas follows the table: the red table drawn flat at the top.
    EXPECT_EQ(w->picCurve()->S().Point(180, 6), LienzoCurva::Blanco);
    Raton(lienzo, QEvent::MouseButtonRelease, 100, 100);
    EXPECT_FALSE(w->tmrRender()->isActive());

    for (const char *n : {"picSliderIn", "picSliderOut"}) {
        auto *s = C<PictureBox>(n);
        Raton(s, QEvent::MouseButtonPress, 50, 10);
        EXPECT_TRUE(w->tmrRender()->isActive()) << n;
        Raton(s, QEvent::MouseButtonRelease, 50, 10);
        EXPECT_FALSE(w->tmrRender()->isActive()) << n;
    }
}

TEST_F(Editor_, LanguageChangeKeepsTheHistogramChoice)
{
    Recibir({0, 255}, {20, 240});
    EXPECT_EQ(Boton("cmdUndo")->text(), QStringLiteral("Deshacer (1)"));
    C<QComboBox>("cboHistCanal")->setCurrentIndex(3);
    modIdioma::CambiarIdioma(QStringLiteral("en"));
    auto *combo = C<QComboBox>("cboHistCanal");
    EXPECT_EQ(combo->currentIndex(), 3);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Blue"));
    EXPECT_EQ(w->CanalHist(), 3);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Edit curve / apply and print image"));
    EXPECT_EQ(Boton("cmdUndo")->text(), QStringLiteral("Undo"));
    EXPECT_EQ(Texto("lblHistorial"), QStringLiteral("History  (click = jump to point)"));
    EXPECT_EQ(C<QRadioButton>("optNatural")->text(), QStringLiteral("NCS (PS)"));
    // The count comes back with the next update, in Spanish.
    Recibir({0, 255}, {0, 250});
    EXPECT_EQ(Boton("cmdUndo")->text(), QStringLiteral("Deshacer (2)"));
    modIdioma::CambiarIdioma(QStringLiteral("es"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("Azul"));
}

TEST_F(Editor_, InterpolationRebuildsOnlyTheCurrentChannel)
{
    using namespace modEngine;
    // A red curve where the two interpolations differ.
    NumPuntos[1] = 4;
    const int16_t px[4] = {0, 60, 190, 255}, py[4] = {0, 170, 60, 255};
    std::memcpy(PuntoX[1], px, sizeof px);
    std::memcpy(PuntoY[1], py, sizeof py);
    CanalActual = 1;
    C<QRadioButton>("optR")->setChecked(true);
    RegenerarCurvaActual();
    uint8_t pchip[256], g[256], b[256];
    std::memcpy(pchip, LutR, 256);
    std::memcpy(g, LutG, 256);
    std::memcpy(b, LutB, 256);

    C<QRadioButton>("optNatural")->setChecked(true);
    EXPECT_EQ(ModoInterpolacion, 1);
    EXPECT_NE(std::memcmp(pchip, LutR, 256), 0);
    EXPECT_EQ(std::memcmp(g, LutG, 256), 0);
    EXPECT_EQ(std::memcmp(b, LutB, 256), 0);
    EXPECT_EQ(NumeroDeshacer(), 0);
    EXPECT_EQ(w->Historial().Num(), 0);
    // Drawn in red on the canvas.
    EXPECT_EQ(w->picCurve()->S().Point(LienzoCurva::XDeValor(60, 360), LienzoCurva::YDeValor(LutR[60], 360)),
              LienzoCurva::ColorCanal(1));

    C<QRadioButton>("optCatmullRom")->setChecked(true);
    EXPECT_EQ(ModoInterpolacion, 0);
    EXPECT_EQ(std::memcmp(pchip, LutR, 256), 0);

    // A refresh from the shared curve leaves the red channel shown.
    w->RefrescarDesdeCurvaCompartida();
    EXPECT_TRUE(C<QRadioButton>("optR")->isChecked());
    EXPECT_EQ(w->Historial().Num(), 0);
}

TEST_F(Editor_, ReopeningKeepsCurveAndUndoButNotTheHistory)
{
    CargarMuestra(MuestraDosColores());
    Recibir({0, 100, 255}, {0, 160, 255});
    modEngine::CanalActual = 2;
    modEngine::ModoInterpolacion = 1;
    MDIForm1::DescargarVentana(w);
    ASSERT_FALSE(Ventanas::Buscar(kNombre));

    w = Abrir();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Historial().Num(), 0);
    EXPECT_EQ(C<QListWidget>("lstHistorial")->count(), 0);
    EXPECT_FALSE(w->TieneCurvaCargada());
    EXPECT_EQ(modEngine::NumPuntos[0], 3);
    EXPECT_EQ(modEngine::PuntoY[0][1], 160);
    EXPECT_EQ(w->NumPuntosCurva(), 3);
    EXPECT_EQ(w->CurvaY(1), 160);
    EXPECT_EQ(modEngine::NumeroDeshacer(), 1);
    EXPECT_TRUE(Boton("cmdUndo")->isEnabled());
    EXPECT_EQ(Boton("cmdUndo")->text(), QStringLiteral("Deshacer"));
    // The buttons show what the engine holds.
    EXPECT_TRUE(C<QRadioButton>("optG")->isChecked());
    EXPECT_TRUE(C<QRadioButton>("optNatural")->isChecked());
    // The sample is still loaded and shown with the curve.
    EXPECT_EQ(Preview(100, 240), BGR(modEngine::LutR[200], modEngine::LutG[50], modEngine::LutB[10]));
    EXPECT_NE(Preview(100, 240), 0u);
    EXPECT_EQ(Texto("lblHMedianaVal"), QStringLiteral("93"));
}
