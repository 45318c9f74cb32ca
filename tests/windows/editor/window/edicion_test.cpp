// Shaping the curve in the editor with the mouse, as a user would: points
// added, dragged and deleted on the canvas, levels set on the sliders, the
// channel buttons, negation, reset, undo and the jump back through the
// history, with the preview following the drag.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "imaging/modimage.h"
#include "platform/picturebox.h"
#include "support/scripted.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using Puntos = std::vector<std::pair<int, int>>;

uint32_t BGR(int r, int g, int b) { return static_cast<uint32_t>(r | (g << 8) | (b << 16)); }

// The table the engine makes of these points (input, output) on a channel,
// with that channel's current levels and the current interpolation.
std::array<uint8_t, 256> TablaDe(int16_t canal, const Puntos &p)
{
    using namespace modEngine;
    const EstadoCurvas antes = TomarEstado();
    NumPuntos[canal] = static_cast<int16_t>(p.size());
    for (size_t i = 0; i < p.size(); ++i) {
        PuntoX[canal][i] = static_cast<int16_t>(p[i].first);
        PuntoY[canal][i] = static_cast<int16_t>(p[i].second);
    }
    std::array<uint8_t, 256> t{};
    ConstruirLUTCanal(canal, t.data());
    AplicarNivelesLUT(canal, t.data());
    PonerEstado(antes);
    return t;
}

std::array<uint8_t, 256> Tabla(const uint8_t *lut)
{
    std::array<uint8_t, 256> t{};
    std::memcpy(t.data(), lut, 256);
    return t;
}

const std::array<uint8_t, 256> &Identidad()
{
    static const std::array<uint8_t, 256> id = [] {
        std::array<uint8_t, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i);
        return t;
    }();
    return id;
}

Puntos PuntosDe(int16_t canal)
{
    Puntos p;
    for (int i = 0; i < modEngine::NumPuntos[canal]; ++i)
        p.emplace_back(modEngine::PuntoX[canal][i], modEngine::PuntoY[canal][i]);
    return p;
}

class Edicion_ : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        modIdioma::CambiarIdioma(QStringLiteral("es"));
        RegistrarVentanasCalibracion(frame);
        frame.show();
        frame.findChild<QAction *>(QStringLiteral("mnuEditarCurva"))->trigger();
        w = qobject_cast<frmEditarAplicarCurva *>(Ventanas::Buscar(QStringLiteral("frmEditarAplicarCurva")));
        ASSERT_TRUE(w);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        lienzo = w->picCurve();
        lista = C<QListWidget>("lstHistorial");
        deshacer = C<QPushButton>("cmdUndo");
    }

    template <class W = QWidget>
    W *C(const char *nombre)
    {
        W *c = w->findChild<W *>(QString::fromLatin1(nombre));
        EXPECT_TRUE(c) << nombre;
        return c;
    }
    QString Texto(const char *n) { return C<QLabel>(n)->text(); }

    // A press and release at one place on the canvas.
    void Pulsar(int x, int y)
    {
        QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(x, y));
    }
    // The pointer moved there, then a double click as the system delivers
    // it: press, release, double click, release.
    void DobleClic(int x, int y)
    {
        Mover(lienzo, x, y);
        QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseDClick(lienzo, Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(x, y));
    }
    // The pointer moved over a box with no button held. The cursor is moved
    // through a neighbouring pixel, as a cursor already there sends no move.
    static void Mover(QWidget *caja, int x, int y)
    {
        QTest::mouseMove(caja, QPoint(x, y + 1));
        QTest::mouseMove(caja, QPoint(x, y));
    }
    // The curve is drawn in white through the pixel of (input, output), give
    // or take a pixel of the two-pixel pen.
    bool CurvaPasaPor(int entrada, int salida)
    {
        const int cx = LienzoCurva::XDeValor(entrada, 360), cy = LienzoCurva::YDeValor(salida, 360);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (lienzo->S().Point(cx + dx, cy + dy) == LienzoCurva::Blanco) return true;
        return false;
    }
    // A drag on a slider from one x to another.
    void Arrastrar(PictureBox *s, int desde, int hasta)
    {
        QTest::mousePress(s, Qt::LeftButton, {}, QPoint(desde, 12));
        QTest::mouseMove(s, QPoint(hasta, 12));
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(hasta, 12));
    }
    void ClicEnLinea(int fila)
    {
        QListWidgetItem *it = lista->item(fila);
        ASSERT_TRUE(it);
        lista->scrollToItem(it);
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(it).center());
    }
    QStringList Lineas()
    {
        QStringList l;
        for (int i = 0; i < lista->count(); ++i) l << lista->item(i)->text();
        return l;
    }
    // Left half (200, 50, 10), right half (20, 100, 240), 64 x 32.
    void CargarMuestra()
    {
        QImage img(64, 32, QImage::Format_RGB888);
        img.fill(QColor(20, 100, 240));
        QPainter(&img).fillRect(0, 0, 32, 32, QColor(200, 50, 10));
        const QString ruta = dir.filePath(QStringLiteral("dos.png"));
        ASSERT_TRUE(img.save(ruta));
        dialogos.Responder(ruta);
        C<QPushButton>("cmdCargarImagenAProcesar")->click();
        ASSERT_TRUE(modImage::HayMuestra);
    }
    // The left half of the sample as the preview shows it.
    uint32_t Preview() { return w->picMuestra()->S().Point(100, 240); }
    uint32_t IzquierdaConCurva()
    {
        return BGR(modEngine::LutR[200], modEngine::LutG[50], modEngine::LutB[10]);
    }
    // Lets the render timer run until the preview is no longer dirty.
    bool EsperarPreview()
    {
        QElapsedTimer reloj;
        reloj.start();
        while (w->PreviewSucio() && reloj.elapsed() < 10000) QTest::qWait(10);
        return !w->PreviewSucio();
    }

    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    MDIForm1 frame;
    frmEditarAplicarCurva *w = nullptr;
    PictureBox *lienzo = nullptr;
    QListWidget *lista = nullptr;
    QPushButton *deshacer = nullptr;
};

} // namespace

// Canvas 360 x 360, plot from 6 to 354: pixel p is curve input
// (p - 6) x 255 / 348, rounded half to even.
TEST_F(Edicion_, PointsAreAddedDraggedAndDeletedWithTheMouse)
{
    using namespace modEngine;
    // Moving with no button shows the coordinates and changes nothing.
    const int32_t version = VersionCurva;
    Mover(lienzo, 93, 92);
    EXPECT_EQ(Texto("lblInput"), QStringLiteral("In: 64"));
    EXPECT_EQ(Texto("lblOutput"), QStringLiteral("Out: 192"));
    EXPECT_EQ(VersionCurva, version);
    EXPECT_EQ(NumeroDeshacer(), 0);

    // A press away from every point inserts one there and starts the drag.
    QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(93, 92));
    EXPECT_EQ(PuntosDe(0), (Puntos{{0, 0}, {64, 192}, {255, 255}}));
    EXPECT_EQ(PuntoSel, 1);
    EXPECT_TRUE(Arrastrando);
    EXPECT_TRUE(w->tmrRender()->isActive());
    EXPECT_EQ(Lineas(), QStringList{QStringLiteral("1.  Curva RGB")});
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (1)"));
    EXPECT_TRUE(deshacer->isEnabled());

    // 174 x 255 / 348 = 127.5 exactly: 128 both ways.
    QTest::mouseMove(lienzo, QPoint(180, 180));
    EXPECT_EQ(PuntosDe(0), (Puntos{{0, 0}, {128, 128}, {255, 255}}));
    EXPECT_EQ(Texto("lblInput"), QStringLiteral("In: 128"));
    EXPECT_EQ(Texto("lblOutput"), QStringLiteral("Out: 128"));
    // Past the canvas and the last point: stopped one level short of it.
    QTest::mouseMove(lienzo, QPoint(400, 20));
    QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(400, 20));
    EXPECT_FALSE(w->tmrRender()->isActive());
    EXPECT_FALSE(Arrastrando);
    const Puntos arrastrado{{0, 0}, {254, 245}, {255, 255}};
    EXPECT_EQ(PuntosDe(0), arrastrado);
    EXPECT_EQ(Tabla(LutR), TablaDe(0, arrastrado));
    EXPECT_EQ(Tabla(LutG), Tabla(LutR));
    EXPECT_EQ(Tabla(LutB), Tabla(LutR));
    EXPECT_TRUE(C<QPushButton>("cmdExportACV")->isEnabled());
    // The canvas shows the released curve, not the one the drag began with.
    EXPECT_TRUE(CurvaPasaPor(128, LutR[128]));
    EXPECT_FALSE(CurvaPasaPor(128, 128));

    Pulsar(93, 92);
    EXPECT_EQ(PuntosDe(0), (Puntos{{0, 0}, {64, 192}, {254, 245}, {255, 255}}));

    // A double click on it: its press takes the one snapshot and history
    // line, the double click deletes the point.
    DobleClic(93, 92);
    EXPECT_EQ(PuntosDe(0), arrastrado);
    EXPECT_EQ(PuntoSel, -1);
    EXPECT_EQ(NumeroDeshacer(), 3);
    EXPECT_EQ(lista->count(), 3);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (3)"));
    EXPECT_EQ(Tabla(LutR), TablaDe(0, arrastrado));

    // End points stay.
    DobleClic(6, 354);
    DobleClic(354, 6);
    EXPECT_EQ(PuntosDe(0), arrastrado);
    EXPECT_EQ(NumeroDeshacer(), 5);
}

TEST_F(Edicion_, ColourChannelsAreEditedOnTheirOwnTables)
{
    using namespace modEngine;
    C<QRadioButton>("optB")->click();
    EXPECT_EQ(CanalActual, 3);
    // Blue points on the canvas and blue sliders.
    EXPECT_EQ(NumeroDeshacer(), 0);
    Pulsar(93, 92);
    EXPECT_EQ(PuntosDe(3), (Puntos{{0, 0}, {64, 192}, {255, 255}}));
    EXPECT_EQ(PuntosDe(0), (Puntos{{0, 0}, {255, 255}}));
    EXPECT_EQ(Tabla(LutB), TablaDe(3, PuntosDe(3)));
    EXPECT_EQ(Tabla(LutR), Identidad());
    EXPECT_EQ(Tabla(LutG), Identidad());
    EXPECT_EQ(lista->item(0)->text(), QStringLiteral("1.  Curva Azul"));

    // Sixteen points and none near: nothing inserted, the line still added.
    NumPuntos[3] = 16;
    for (int i = 0; i < 16; ++i) {
        PuntoX[3][i] = static_cast<int16_t>(i * 17);
        PuntoY[3][i] = static_cast<int16_t>(i * 17);
    }
    QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_EQ(PuntoSel, -1);
    QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_EQ(NumPuntos[3], 16);
    EXPECT_EQ(lista->item(1)->text(), QStringLiteral("2.  Curva Azul"));
    EXPECT_EQ(NumeroDeshacer(), 2);

    // A right press does nothing; its release still rebuilds.
    const int32_t version = VersionCurva;
    QTest::mousePress(lienzo, Qt::RightButton, {}, QPoint(93, 92));
    EXPECT_FALSE(w->tmrRender()->isActive());
    EXPECT_EQ(NumeroDeshacer(), 2);
    QTest::mouseRelease(lienzo, Qt::RightButton, {}, QPoint(93, 92));
    EXPECT_EQ(NumPuntos[3], 16);
    EXPECT_GT(VersionCurva, version);

    // Back on the master channel its own curve fills all three tables; the
    // channel change leaves no snapshot and no line.
    C<QRadioButton>("optRGB")->click();
    EXPECT_EQ(CanalActual, 0);
    EXPECT_EQ(Tabla(LutB), Identidad());
    EXPECT_EQ(NumeroDeshacer(), 2);
    EXPECT_EQ(lista->count(), 2);
}

TEST_F(Edicion_, SliderHandlesHandOverAtTheTieAndNeverCross)
{
    using namespace modEngine;
    PictureBox *in = w->picSliderIn();
    PictureBox *out = w->picSliderOut();
    in->setFixedSize(256, 25);
    ASSERT_EQ(in->ScaleWidth(), 256);

    QTest::mousePress(in, Qt::LeftButton, {}, QPoint(127, 12));
    EXPECT_EQ(w->ArrastreEntrada(), 0);
    EXPECT_TRUE(w->tmrRender()->isActive());
    QTest::mouseRelease(in, Qt::LeftButton, {}, QPoint(127, 12));
    EXPECT_EQ(w->ArrastreEntrada(), -1);
    EXPECT_FALSE(w->tmrRender()->isActive());
    QTest::mousePress(in, Qt::LeftButton, {}, QPoint(128, 12));
    EXPECT_EQ(w->ArrastreEntrada(), 1);
    QTest::mouseRelease(in, Qt::LeftButton, {}, QPoint(128, 12));
    in->setFixedSize(257, 25);
    QTest::mousePress(in, Qt::LeftButton, {}, QPoint(128, 12));
    EXPECT_EQ(w->ArrastreEntrada(), 0);
    QTest::mouseRelease(in, Qt::LeftButton, {}, QPoint(128, 12));
    // Presses move nothing, push snapshots, add no line and leave the undo
    // button as it was.
    EXPECT_EQ(EntradaNegro[0], 0);
    EXPECT_EQ(EntradaBlanco[0], 255);
    EXPECT_EQ(NumeroDeshacer(), 3);
    EXPECT_EQ(lista->count(), 0);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer"));

    // A canvas press gives the history a line, then two drags.
    in->setFixedSize(256, 25);
    Pulsar(300, 300);
    Arrastrar(in, 250, 100); // white to 100
    EXPECT_EQ(EntradaBlanco[0], 100);
    Arrastrar(in, 10, 200); // black stops on white
    EXPECT_EQ(EntradaNegro[0], 100);
    Arrastrar(in, 200, 300); // right of both: white, clamped
    EXPECT_EQ(EntradaBlanco[0], 255);
    // 176 pixels: 87 x 255 \ 175 = 126, truncated.
    Arrastrar(out, 175, 87);
    EXPECT_EQ(SalidaBlanco[0], 126);
    EXPECT_EQ(Texto("lblInMin"), QStringLiteral("100"));
    EXPECT_EQ(Texto("lblInMax"), QStringLiteral("255"));
    EXPECT_EQ(Texto("lblOutMax"), QStringLiteral("126"));
    EXPECT_EQ(Tabla(LutR), TablaDe(0, PuntosDe(0)));
    EXPECT_EQ(LutR[255], 126);
    EXPECT_EQ(LutG[100], 0);

    // Undo takes back the last drag and, with it, the canvas press's line.
    EXPECT_EQ(lista->count(), 1);
    deshacer->click();
    EXPECT_EQ(SalidaBlanco[0], 255);
    EXPECT_EQ(EntradaNegro[0], 100);
    EXPECT_EQ(lista->count(), 0);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (7)"));

    // A slider without width takes neither press nor move.
    out->setFixedSize(1, 25);
    ASSERT_EQ(out->ScaleWidth(), 1);
    Arrastrar(out, 0, 0);
    EXPECT_EQ(w->ArrastreSalida(), -1);
    EXPECT_EQ(NumeroDeshacer(), 7);
    EXPECT_EQ(SalidaNegro[0], 0);
    EXPECT_EQ(SalidaBlanco[0], 255);
}

TEST_F(Edicion_, TwentyOnePressesKeepTwentyLinesAndTenSnapshots)
{
    C<QRadioButton>("optR")->click();
    Pulsar(300, 300);
    C<QRadioButton>("optRGB")->click();
    for (int i = 0; i < 20; ++i) Pulsar(300, 300);
    const QStringList l = Lineas();
    ASSERT_EQ(l.size(), 20);
    EXPECT_EQ(l.first(), QStringLiteral("1.  Curva RGB"));
    EXPECT_EQ(l.last(), QStringLiteral("20.  Curva RGB"));
    EXPECT_FALSE(l.join(QString()).contains(QStringLiteral("Rojo")));
    EXPECT_EQ(lista->currentRow(), 19);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (10)"));

    // The last line is where we are: nothing to do.
    ClicEnLinea(19);
    EXPECT_EQ(lista->count(), 20);
    EXPECT_EQ(modEngine::NumeroDeshacer(), 10);

    // Line 1 lies beyond the ring: only ten lines can go.
    ClicEnLinea(0);
    EXPECT_EQ(lista->count(), 10);
    EXPECT_EQ(lista->currentRow(), 9);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (0)"));
    EXPECT_FALSE(deshacer->isEnabled());
    // The eleventh press's state: the red point and one master point.
    EXPECT_EQ(modEngine::NumPuntos[1], 3);
    EXPECT_EQ(modEngine::NumPuntos[0], 3);
}

TEST_F(Edicion_, JumpBackToAChosenLine)
{
    using namespace modEngine;
    // Five presses, each inserting a point at output 128.
    for (int x : {50, 100, 150, 200, 250}) Pulsar(x, 180);
    EXPECT_EQ(PuntosDe(0), (Puntos{{0, 0}, {32, 128}, {69, 128}, {106, 128}, {142, 128}, {179, 128}, {255, 255}}));

    ClicEnLinea(1);
    const Puntos dos{{0, 0}, {32, 128}, {69, 128}, {255, 255}};
    EXPECT_EQ(PuntosDe(0), dos);
    EXPECT_EQ(Tabla(LutR), TablaDe(0, dos));
    EXPECT_EQ(Tabla(LutB), Tabla(LutR));
    EXPECT_EQ(Lineas(), (QStringList{QStringLiteral("1.  Curva RGB"), QStringLiteral("2.  Curva RGB")}));
    EXPECT_EQ(lista->currentRow(), 1);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (2)"));
    EXPECT_TRUE(C<QPushButton>("cmdExportACV")->isEnabled());

    // Going on from there: the new press's line follows line 2.
    Pulsar(300, 100);
    EXPECT_EQ(lista->count(), 3);
    EXPECT_EQ(NumeroDeshacer(), 3);
}

TEST_F(Edicion_, ResetBringsBackTheIdentityEverywhere)
{
    using namespace modEngine;
    CargarMuestra();
    Pulsar(93, 92);
    C<QRadioButton>("optB")->click();
    Arrastrar(w->picSliderIn(), 0, 80);
    C<QRadioButton>("optNatural")->click();
    Pulsar(200, 60);
    ASSERT_NE(Preview(), BGR(200, 50, 10));

    C<QPushButton>("cmdReset")->click();
    for (int ch = 0; ch < NumCanales; ++ch) {
        EXPECT_EQ(PuntosDe(static_cast<int16_t>(ch)), (Puntos{{0, 0}, {255, 255}})) << ch;
        EXPECT_EQ(EntradaNegro[ch], 0);
        EXPECT_EQ(EntradaBlanco[ch], 255);
        EXPECT_EQ(SalidaNegro[ch], 0);
        EXPECT_EQ(SalidaBlanco[ch], 255);
    }
    EXPECT_EQ(Tabla(LutR), Identidad());
    EXPECT_EQ(Tabla(LutG), Identidad());
    EXPECT_EQ(Tabla(LutB), Identidad());
    EXPECT_EQ(CanalActual, 0);
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked());
    EXPECT_TRUE(C<QRadioButton>("optCatmullRom")->isChecked());
    EXPECT_EQ(lista->count(), 0);
    EXPECT_EQ(w->Historial().Num(), 0);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (0)"));
    EXPECT_FALSE(deshacer->isEnabled());
    EXPECT_FALSE(C<QPushButton>("cmdExportACV")->isEnabled());
    EXPECT_FALSE(C<QPushButton>("cmdGuardarImagenCurva")->isEnabled());
    EXPECT_FALSE(w->TieneCurvaCargada());
    EXPECT_EQ(Texto("lblInMin"), QStringLiteral("0"));
    EXPECT_EQ(Preview(), BGR(200, 50, 10));
    // Undo has nothing left.
    deshacer->click();
    EXPECT_EQ(Tabla(LutR), Identidad());
}

TEST_F(Edicion_, NegationTwiceRestoresTheReceivedCurve)
{
    using namespace modEngine;
    const int xs[] = {0, 100, 255}, ys[] = {0, 160, 255};
    w->RecibirCurvaGenerada(xs, ys, 3);
    const Puntos recibida{{0, 0}, {100, 160}, {255, 255}};
    // Drag the received middle point (drawn at 142, 136) away, and edit red.
    QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(142, 136));
    QTest::mouseMove(lienzo, QPoint(200, 250));
    QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(200, 250));
    ASSERT_NE(PuntosDe(0), recibida);
    C<QRadioButton>("optR")->click();
    Pulsar(93, 92);
    const Puntos rojo = PuntosDe(1);
    ASSERT_EQ(rojo.size(), 3u);

    QCheckBox *negar = C<QCheckBox>("chkNegar");
    negar->click();
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked());
    EXPECT_EQ(CanalActual, 0);
    const Puntos negada{{0, 255}, {100, 95}, {255, 0}};
    EXPECT_EQ(PuntosDe(0), negada);
    EXPECT_EQ(Tabla(LutR), TablaDe(0, negada));
    EXPECT_EQ(PuntosDe(1), rojo);
    EXPECT_EQ(lista->item(lista->count() - 1)->text(), QStringLiteral("4.  Negar curva"));

    negar->click();
    EXPECT_EQ(PuntosDe(0), recibida);
    EXPECT_EQ(Tabla(LutR), TablaDe(0, recibida));
    EXPECT_EQ(lista->item(lista->count() - 1)->text(), QStringLiteral("5.  Restaurar curva"));
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (5)"));
    // The first negation's snapshot still holds the dragged point.
    deshacer->click();
    deshacer->click();
    EXPECT_NE(PuntosDe(0), recibida);
    EXPECT_EQ(PuntosDe(1), rojo);
}

TEST_F(Edicion_, NegationWithoutAKeptCurveMirrorsTheCurrentChannelOnly)
{
    using namespace modEngine;
    C<QRadioButton>("optR")->click();
    Pulsar(93, 92);
    QCheckBox *negar = C<QCheckBox>("chkNegar");
    negar->click();
    EXPECT_TRUE(C<QRadioButton>("optR")->isChecked());
    EXPECT_EQ(PuntosDe(1), (Puntos{{0, 255}, {64, 63}, {255, 0}}));
    EXPECT_EQ(PuntosDe(0), (Puntos{{0, 0}, {255, 255}}));
    EXPECT_EQ(Tabla(LutR), TablaDe(1, PuntosDe(1)));
    EXPECT_EQ(Tabla(LutG), Identidad());
    negar->click();
    EXPECT_EQ(PuntosDe(1), (Puntos{{0, 0}, {64, 192}, {255, 255}}));
    EXPECT_EQ(lista->count(), 3);
}

TEST_F(Edicion_, PreviewFollowsTheDragBeforeTheRelease)
{
    CargarMuestra();
    ASSERT_EQ(Preview(), BGR(200, 50, 10));
    QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(180, 180));
    ASSERT_TRUE(EsperarPreview());
    QTest::mouseMove(lienzo, QPoint(180, 60));
    EXPECT_TRUE(w->PreviewSucio());
    ASSERT_TRUE(EsperarPreview());
    // Still held: the timer has drawn the dragged curve.
    EXPECT_TRUE(w->tmrRender()->isActive());
    EXPECT_TRUE(modEngine::Arrastrando);
    EXPECT_EQ(Preview(), IzquierdaConCurva());
    EXPECT_GT(modEngine::LutR[200], 200);
    QTest::mouseMove(lienzo, QPoint(180, 300));
    ASSERT_TRUE(EsperarPreview());
    EXPECT_EQ(Preview(), IzquierdaConCurva());
    EXPECT_LT(modEngine::LutR[200], 200);
    QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(180, 300));

    // The same on a level slider: output white pulled down.
    PictureBox *out = w->picSliderOut();
    QTest::mousePress(out, Qt::LeftButton, {}, QPoint(175, 12));
    QTest::mouseMove(out, QPoint(70, 12));
    EXPECT_TRUE(w->PreviewSucio());
    ASSERT_TRUE(EsperarPreview());
    EXPECT_EQ(modEngine::SalidaBlanco[0], 102);
    EXPECT_EQ(Preview(), IzquierdaConCurva());
    QTest::mouseRelease(out, Qt::LeftButton, {}, QPoint(70, 12));
    EXPECT_EQ(Preview(), IzquierdaConCurva());
}

TEST_F(Edicion_, HistogramCursorSnapsToBinsAndErasesItsLine)
{
    PictureBox *hist = w->picHist();
    const Superficie &s = hist->S();
    ASSERT_EQ(s.Point(100, 50), 0u); // no sample: an empty black histogram
    Mover(hist, 100, 50);
    EXPECT_EQ(w->CursorHist(), 100);
    EXPECT_EQ(s.Point(100, 50), 0xFFFFFFu);
    Mover(hist, 101, 50);
    EXPECT_EQ(w->CursorHist(), 101);
    EXPECT_EQ(s.Point(100, 50), 0u);
    EXPECT_EQ(s.Point(101, 0), 0xFFFFFFu);
    // A redraw wipes the line.
    w->RedibujarCurvaEHistograma();
    EXPECT_EQ(w->CursorHist(), -1);
    EXPECT_EQ(s.Point(101, 0), 0u);
}
