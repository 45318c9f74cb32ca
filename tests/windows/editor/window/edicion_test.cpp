// Shaping the curve with the mouse: points added, dragged and deleted on the
// canvas, levels on the sliders, channels, negation, reset, undo and the jump
// back through the history, with the preview following the drag.

#include "ayuda_editor.h"

namespace {
using Edicion_ = EditorAbierto;
} // namespace

TEST_F(Edicion_, PointsAreAddedDraggedAndDeletedWithTheMouse)
{
    using namespace modEngine;
    // Moving with no button shows the coordinates and changes nothing.
    const int32_t version = VersionCurva;
    Mover(lienzo, 93, 92);
    EXPECT_EQ(Texto("lblInput"), QStringLiteral("In: 64"));
    EXPECT_EQ(Texto("lblOutput"), QStringLiteral("Out: 192"));
    EXPECT_EQ(VersionCurva, version);

    // A press away from every point inserts one there and starts the drag.
    QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(93, 92));
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {64, 192}, {255, 255}}));
    EXPECT_EQ(PuntoSel, 1);
    EXPECT_TRUE(w->tmrRender()->isActive());
    EXPECT_EQ(Lineas(), QStringList{QStringLiteral("1.  Curva RGB")});
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (1)"));
    // 174 x 255 / 348 = 127.5 exactly: 128 both ways.
    QTest::mouseMove(lienzo, QPoint(180, 180));
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {128, 128}, {255, 255}}));
    EXPECT_EQ(Texto("lblInput"), QStringLiteral("In: 128"));
    // Past the canvas and the last point: stopped one level short of it.
    QTest::mouseMove(lienzo, QPoint(400, 20));
    QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(400, 20));
    EXPECT_FALSE(w->tmrRender()->isActive());
    EXPECT_FALSE(Arrastrando);
    const Puntos arrastrado{{0, 0}, {254, 245}, {255, 255}};
    EXPECT_EQ(DelCanal(0), arrastrado);
    EXPECT_EQ(Copia(LutR), TablaDe(0, arrastrado));
    EXPECT_EQ(Copia(LutG), Copia(LutR));
    EXPECT_EQ(Copia(LutB), Copia(LutR));
    EXPECT_TRUE(Boton("cmdExportACV")->isEnabled());
    // The canvas shows the released curve (the two-pixel pen, give or take one).
    const int cy = LienzoCurva::YDeValor(LutR[128], 360);
    EXPECT_TRUE(lienzo->S().Point(181, cy) == LienzoCurva::Blanco ||
                lienzo->S().Point(181, cy - 1) == LienzoCurva::Blanco);
    EXPECT_NE(lienzo->S().Point(181, 179), LienzoCurva::Blanco);

    // Added again, then a double click on it: its press changes nothing, so
    // the deletion takes the snapshot and the line. End points stay, and a
    // double click that deletes nothing leaves no step.
    Pulsar(93, 92);
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {64, 192}, {254, 245}, {255, 255}}));
    DobleClic(93, 92);
    EXPECT_EQ(DelCanal(0), arrastrado);
    EXPECT_EQ(PuntoSel, -1);
    EXPECT_EQ(NumeroDeshacer(), 3);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (3)"));
    EXPECT_EQ(Copia(LutR), TablaDe(0, arrastrado));
    DobleClic(6, 354);
    DobleClic(354, 6);
    EXPECT_EQ(DelCanal(0), arrastrado);
    // One where there is no point: its press inserts one, the double click
    // takes it away again, and nothing is left to undo.
    DobleClic(200, 300);
    EXPECT_EQ(DelCanal(0), arrastrado);
    EXPECT_EQ((std::pair{lista->count(), int(NumeroDeshacer())}), (std::pair{3, 3}));
}

TEST_F(Edicion_, ColourChannelsAreEditedOnTheirOwnTables)
{
    using namespace modEngine;
    C<QRadioButton>("optB")->click();
    Pulsar(93, 92);
    EXPECT_EQ(DelCanal(3), (Puntos{{0, 0}, {64, 192}, {255, 255}}));
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {255, 255}}));
    EXPECT_EQ(Copia(LutB), TablaDe(3, DelCanal(3)));
    EXPECT_EQ(Copia(LutR), Identidad());
    EXPECT_EQ(lista->item(0)->text(), QStringLiteral("1.  Curva Azul"));

    // Ten presses that change nothing (sixteen points and none near, or a
    // press and release on a point) leave no step and no line behind.
    NumPuntos[3] = 16;
    for (int i = 0; i < 16; ++i) PuntoX[3][i] = PuntoY[3][i] = static_cast<int16_t>(i * 17);
    for (int i = 0; i < 5; ++i) Pulsar(300, 300), Pulsar(LienzoCurva::XDeValor(85, 360), LienzoCurva::YDeValor(85, 360));
    EXPECT_EQ(PuntoSel, 5);
    EXPECT_EQ(NumPuntos[3], 16);
    EXPECT_EQ((std::pair{lista->count(), int(NumeroDeshacer())}), (std::pair{1, 1}));

    // A right press does nothing; its release still rebuilds.
    const int32_t version = VersionCurva;
    QTest::mousePress(lienzo, Qt::RightButton, {}, QPoint(93, 92));
    EXPECT_FALSE(w->tmrRender()->isActive());
    QTest::mouseRelease(lienzo, Qt::RightButton, {}, QPoint(93, 92));
    EXPECT_EQ(NumPuntos[3], 16);
    EXPECT_EQ(NumeroDeshacer(), 1);
    EXPECT_GT(VersionCurva, version);

    // Back on the master channel its curve fills all three tables; no snapshot, no line.
    C<QRadioButton>("optRGB")->click();
    EXPECT_EQ(Copia(LutB), Identidad());
    EXPECT_EQ(NumeroDeshacer(), 1);
    EXPECT_EQ(lista->count(), 1);
}

TEST_F(Edicion_, SliderHandlesHandOverAtTheTieAndNeverCross)
{
    using namespace modEngine;
    PictureBox *in = w->picSliderIn();
    PictureBox *out = w->picSliderOut();
    // Pixel 127 of 256 is nearer black, 128 nearer white; 128 of 257 is a tie: black.
    const struct { int ancho, x, asa; } casos[] = {{256, 127, 0}, {256, 128, 1}, {257, 128, 0}};
    for (const auto &c : casos) {
        in->setFixedSize(c.ancho, 25);
        ASSERT_EQ(in->ScaleWidth(), c.ancho);
        QTest::mousePress(in, Qt::LeftButton, {}, QPoint(c.x, 12));
        EXPECT_EQ(w->ArrastreEntrada(), c.asa) << c.x << " of " << c.ancho;
        EXPECT_TRUE(w->tmrRender()->isActive());
        QTest::mouseRelease(in, Qt::LeftButton, {}, QPoint(c.x, 12));
        EXPECT_EQ(w->ArrastreEntrada(), -1);
        EXPECT_FALSE(w->tmrRender()->isActive());
    }
    // Presses that move nothing push no snapshot and add no line.
    EXPECT_EQ(EntradaNegro[0] + EntradaBlanco[0], 255);
    EXPECT_EQ(NumeroDeshacer(), 0);
    EXPECT_EQ(lista->count(), 0);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer"));

    // A canvas press gives the history a line, then drags (a step each, no line).
    in->setFixedSize(256, 25);
    Pulsar(300, 300);
    ArrastrarNivel(in, 250, 100); // white to 100
    EXPECT_EQ(EntradaBlanco[0], 100);
    ArrastrarNivel(in, 10, 200); // black stops on white
    EXPECT_EQ(EntradaNegro[0], 100);
    ArrastrarNivel(in, 200, 300); // right of both: white, clamped
    EXPECT_EQ(EntradaBlanco[0], 255);
    ArrastrarNivel(out, 175, 87); // 176 pixels: 87 x 255 \ 175 = 126, truncated
    EXPECT_EQ(SalidaBlanco[0], 126);
    EXPECT_EQ(Texto("lblInMin"), QStringLiteral("100"));
    EXPECT_EQ(Texto("lblOutMax"), QStringLiteral("126"));
    EXPECT_EQ(Copia(LutR), TablaDe(0, DelCanal(0)));
    EXPECT_EQ(LutR[255], 126);
    EXPECT_EQ(LutG[100], 0);

    // Undo takes back the last drag and, with it, the canvas press's line.
    deshacer->click();
    EXPECT_EQ(SalidaBlanco[0], 255);
    EXPECT_EQ(EntradaNegro[0], 100);
    EXPECT_EQ(lista->count(), 0);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (4)"));

    // A slider without width takes neither press nor move.
    out->setFixedSize(1, 25);
    ArrastrarNivel(out, 0, 0);
    EXPECT_EQ(w->ArrastreSalida(), -1);
    EXPECT_EQ(NumeroDeshacer(), 4);
    EXPECT_EQ(SalidaBlanco[0], 255);
}

TEST_F(Edicion_, TwentyOnePressesKeepTwentyLinesAndTenSnapshots)
{
    C<QRadioButton>("optR")->click();
    Pulsar(300, 300);
    C<QRadioButton>("optRGB")->click();
    Pulsar(300, 300);
    // The master point dragged down and up again: a step each.
    for (int i = 0; i < 19; ++i) Arrastrar(lienzo, {300, 300 + i % 2 * 10}, {300, 310 - i % 2 * 10});
    const QStringList l = Lineas();
    ASSERT_EQ(l.size(), 20);
    EXPECT_EQ(l.first(), QStringLiteral("1.  Curva RGB"));
    EXPECT_EQ(l.last(), QStringLiteral("20.  Curva RGB"));
    EXPECT_EQ(lista->currentRow(), 19);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (10)"));

    ClicEnLinea(19); // the last line is where we are
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
    // With the ring empty a click undoes nothing and the list shows where
    // the history stands: the last line.
    ClicEnLinea(3);
    EXPECT_EQ((std::pair{lista->count(), lista->currentRow()}), (std::pair{10, 9}));
}

TEST_F(Edicion_, JumpBackToAChosenLine)
{
    using namespace modEngine;
    for (int x : {50, 100, 150, 200, 250}) Pulsar(x, 180); // points at output 128
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {32, 128}, {69, 128}, {106, 128}, {142, 128}, {179, 128}, {255, 255}}));

    // The keys move the selection without jumping; Enter jumps.
    QTest::keyClick(lista, Qt::Key_Up), QTest::keyClick(lista, Qt::Key_Up);
    EXPECT_EQ((std::array{lista->count(), lista->currentRow(), int(NumeroDeshacer())}), (std::array{5, 2, 5}));
    QTest::keyClick(lista, Qt::Key_Return);
    EXPECT_EQ((std::pair{lista->count(), int(NumeroDeshacer())}), (std::pair{3, 3}));

    ClicEnLinea(1);
    const Puntos dos{{0, 0}, {32, 128}, {69, 128}, {255, 255}};
    EXPECT_EQ(DelCanal(0), dos);
    EXPECT_EQ(Copia(LutR), TablaDe(0, dos));
    EXPECT_EQ(Copia(LutB), Copia(LutR));
    EXPECT_EQ(Lineas(), (QStringList{QStringLiteral("1.  Curva RGB"), QStringLiteral("2.  Curva RGB")}));
    EXPECT_EQ(lista->currentRow(), 1);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (2)"));
    // Going on from there: the new line follows line 2.
    Pulsar(300, 100);
    EXPECT_EQ(lista->count(), 3);
    EXPECT_EQ(NumeroDeshacer(), 3);
}

TEST_F(Edicion_, ResetBringsBackTheIdentityEverywhere)
{
    using namespace modEngine;
    CargarDosColores();
    Pulsar(93, 92);
    C<QRadioButton>("optB")->click();
    ArrastrarNivel(w->picSliderIn(), 0, 80);
    C<QRadioButton>("optNatural")->click();
    Pulsar(200, 60);
    ASSERT_NE(Preview(), BGR(200, 50, 10));

    Boton("cmdReset")->click();
    for (int16_t ch = 0; ch < NumCanales; ++ch) {
        EXPECT_EQ(DelCanal(ch), (Puntos{{0, 0}, {255, 255}})) << ch;
        EXPECT_EQ(EntradaNegro[ch] + SalidaNegro[ch], 0);
        EXPECT_EQ(EntradaBlanco[ch] + SalidaBlanco[ch], 510);
    }
    for (const uint8_t *t : {LutR, LutG, LutB}) EXPECT_EQ(Copia(t), Identidad());
    EXPECT_EQ(CanalActual, 0);
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked());
    EXPECT_TRUE(C<QRadioButton>("optCatmullRom")->isChecked());
    EXPECT_EQ(lista->count(), 0);
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (0)"));
    EXPECT_FALSE(deshacer->isEnabled());
    EXPECT_FALSE(Boton("cmdExportACV")->isEnabled());
    EXPECT_FALSE(Boton("cmdGuardarImagenCurva")->isEnabled());
    EXPECT_FALSE(w->TieneCurvaCargada());
    EXPECT_EQ(Texto("lblInMin"), QStringLiteral("0"));
    EXPECT_EQ(Preview(), BGR(200, 50, 10));
    deshacer->click(); // nothing left
    EXPECT_EQ(Copia(LutR), Identidad());
}

TEST_F(Edicion_, NegationTwiceRestoresTheReceivedCurve)
{
    using namespace modEngine;
    Recibir({0, 100, 255}, {0, 160, 255});
    const Puntos recibida{{0, 0}, {100, 160}, {255, 255}};
    // The received middle point (drawn at 142, 136) dragged away, and red edited.
    Arrastrar(lienzo, QPoint(142, 136), QPoint(200, 250));
    ASSERT_NE(DelCanal(0), recibida);
    C<QRadioButton>("optR")->click();
    Pulsar(93, 92);
    const Puntos rojo = DelCanal(1);
    ASSERT_EQ(rojo.size(), 3u);

    QCheckBox *negar = C<QCheckBox>("chkNegar");
    negar->click();
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked());
    const Puntos negada{{0, 255}, {100, 95}, {255, 0}};
    EXPECT_EQ(DelCanal(0), negada);
    EXPECT_EQ(Copia(LutR), TablaDe(0, negada));
    EXPECT_EQ(DelCanal(1), rojo);
    EXPECT_EQ(Lineas().last(), QStringLiteral("4.  Negar curva"));

    negar->click();
    EXPECT_EQ(DelCanal(0), recibida);
    EXPECT_EQ(Copia(LutR), TablaDe(0, recibida));
    EXPECT_EQ(Lineas().last(), QStringLiteral("5.  Restaurar curva"));
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (5)"));
    // The first negation's snapshot still holds the dragged point.
    deshacer->click();
    deshacer->click();
    EXPECT_NE(DelCanal(0), recibida);
    EXPECT_EQ(DelCanal(1), rojo);
}

TEST_F(Edicion_, NegationWithoutAKeptCurveMirrorsTheCurrentChannelOnly)
{
    using namespace modEngine;
    C<QRadioButton>("optR")->click();
    Pulsar(93, 92);
    QCheckBox *negar = C<QCheckBox>("chkNegar");
    negar->click();
    EXPECT_TRUE(C<QRadioButton>("optR")->isChecked());
    EXPECT_EQ(DelCanal(1), (Puntos{{0, 255}, {64, 63}, {255, 0}}));
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {255, 255}}));
    EXPECT_EQ(Copia(LutR), TablaDe(1, DelCanal(1)));
    EXPECT_EQ(Copia(LutG), Identidad());
    negar->click();
    EXPECT_EQ(DelCanal(1), (Puntos{{0, 0}, {64, 192}, {255, 255}}));
    EXPECT_EQ(lista->count(), 3);
}

TEST_F(Edicion_, PreviewFollowsTheDragBeforeTheRelease)
{
    CargarDosColores();
    ASSERT_EQ(Preview(), BGR(200, 50, 10));
    QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(180, 180));
    ASSERT_TRUE(EsperarPreview());
    // Still held: the timer draws the dragged curve, up and then down.
    QTest::mouseMove(lienzo, QPoint(180, 60));
    EXPECT_TRUE(w->PreviewSucio());
    ASSERT_TRUE(EsperarPreview());
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
}

TEST_F(Edicion_, HistogramCursorFollowsThePointerAndARedrawWipesIt)
{
    const Superficie &s = w->picHist()->S();
    ASSERT_EQ(s.Point(100, 50), 0u); // no sample: an empty black histogram
    Mover(w->picHist(), 100, 50);
    EXPECT_EQ(w->CursorHist(), 100);
    EXPECT_EQ(s.Point(100, 50), 0xFFFFFFu);
    Mover(w->picHist(), 101, 50);
    EXPECT_EQ(s.Point(100, 50), 0u);
    EXPECT_EQ(s.Point(101, 0), 0xFFFFFFu);
    w->RedibujarCurvaEHistograma();
    EXPECT_EQ(w->CursorHist(), -1);
    EXPECT_EQ(s.Point(101, 0), 0u);
}
