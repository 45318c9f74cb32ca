// Shaping the curve with the mouse: points, levels, channels, negation, reset,
// undo and the history, with the preview following the drag.

#include "ayuda_editor.h"

namespace {
using Edicion_ = EditorAbierto;
} // namespace

TEST_F(Edicion_, HistogramCursorAndPointsAddedDraggedAndDeletedWithTheMouse)
{
    using namespace modEngine;
    // No sample: an empty black histogram, where the cursor follows the
    // pointer until a redraw wipes it.
    const Superficie &s = w->picHist()->S();
    ASSERT_EQ(s.Point(100, 50), 0u);
    Mover(w->picHist(), 100, 50);
    EXPECT_EQ((std::pair{int(w->CursorHist()), s.Point(100, 50)}), (std::pair{100, 0xFFFFFFu}));
    Mover(w->picHist(), 101, 50);
    EXPECT_EQ((std::pair{s.Point(100, 50), s.Point(101, 0)}), (std::pair{0u, 0xFFFFFFu}));
    w->RedibujarCurvaEHistograma();
    EXPECT_EQ((std::pair{int(w->CursorHist()), s.Point(101, 0)}), (std::pair{-1, 0u}));

    // Moving with no button shows the coordinates and changes nothing.
    const int32_t version = VersionCurva;
    Mover(lienzo, 93, 92);
    EXPECT_EQ((std::tuple{Texto("lblInput"), Texto("lblOutput"), VersionCurva}),
              (std::tuple{QStringLiteral("In: 64"), QStringLiteral("Out: 192"), version}));

    // A press away from every point inserts one there and starts the drag.
    QTest::mousePress(lienzo, Qt::LeftButton, {}, QPoint(93, 92));
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {64, 192}, {255, 255}}));
    EXPECT_TRUE(PuntoSel == 1 && w->tmrRender()->isActive());
    EXPECT_EQ(Lineas() << deshacer->text(), QStringList({"1.  Curva RGB", "Deshacer (1)"}));
    // Past the canvas and the last point: stopped one level short of it.
    QTest::mouseMove(lienzo, QPoint(180, 180)), QTest::mouseMove(lienzo, QPoint(400, 20));
    QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(400, 20));
    EXPECT_FALSE(w->tmrRender()->isActive() || Arrastrando);
    const Puntos arrastrado{{0, 0}, {254, 245}, {255, 255}};
    EXPECT_EQ(DelCanal(0), arrastrado);
    const Tabla256 t = TablaDe(0, arrastrado);
    EXPECT_EQ((std::array{Copia(LutR), Copia(LutG), Copia(LutB)}), (std::array{t, t, t}));
    EXPECT_TRUE(Boton("cmdExportACV")->isEnabled());
    // The canvas shows the released curve (the two-pixel pen, give or take one).
    const int cy = LienzoCurva::YDeValor(LutR[128], 360);
    EXPECT_TRUE(lienzo->S().Point(181, cy) == LienzoCurva::Blanco || lienzo->S().Point(181, cy - 1) == LienzoCurva::Blanco);
    EXPECT_NE(lienzo->S().Point(181, 179), LienzoCurva::Blanco);

    // Added again, then a double click on it: its press changes nothing, so
    // the deletion takes the snapshot and the line.
    Pulsar(93, 92);
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {64, 192}, {254, 245}, {255, 255}}));
    DobleClic(93, 92);
    EXPECT_EQ(DelCanal(0), arrastrado);
    EXPECT_EQ((std::tuple{int(PuntoSel), deshacer->text(), Copia(LutR)}), (std::tuple{-1, QStringLiteral("Deshacer (3)"), t}));
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
    EXPECT_EQ((std::pair{DelCanal(3), DelCanal(0)}), (std::pair{Puntos{{0, 0}, {64, 192}, {255, 255}}, Puntos{{0, 0}, {255, 255}}}));
    EXPECT_EQ((std::pair{Copia(LutB), Copia(LutR)}), (std::pair{TablaDe(3, DelCanal(3)), Identidad()}));
    EXPECT_EQ(lista->item(0)->text(), QStringLiteral("1.  Curva Azul"));

    // Ten presses that change nothing (sixteen points and none near, or a
    // press and release on a point) leave no step and no line behind.
    NumPuntos[3] = 16;
    for (int i = 0; i < 16; ++i) PuntoX[3][i] = PuntoY[3][i] = static_cast<int16_t>(i * 17);
    for (int i = 0; i < 5; ++i) Pulsar(300, 300), Pulsar(LienzoCurva::XDeValor(85, 360), LienzoCurva::YDeValor(85, 360));
    EXPECT_EQ((std::array{int(PuntoSel), int(NumPuntos[3]), lista->count(), int(NumeroDeshacer())}), (std::array{5, 16, 1, 1}));

    // A right press does nothing; its release still rebuilds.
    const int32_t version = VersionCurva;
    QTest::mousePress(lienzo, Qt::RightButton, {}, QPoint(93, 92));
    EXPECT_FALSE(w->tmrRender()->isActive());
    QTest::mouseRelease(lienzo, Qt::RightButton, {}, QPoint(93, 92));
    EXPECT_EQ((std::pair{int(NumPuntos[3]), int(NumeroDeshacer())}), (std::pair{16, 1}));
    EXPECT_GT(VersionCurva, version);

    // Back on the master channel its curve fills all three tables; no snapshot, no line.
    C<QRadioButton>("optRGB")->click();
    EXPECT_EQ(Copia(LutB), Identidad());
    EXPECT_EQ((std::pair{lista->count(), int(NumeroDeshacer())}), (std::pair{1, 1}));
}

TEST_F(Edicion_, SliderHandlesHandOverAtTheTieAndNeverCross)
{
    using namespace modEngine;
    PictureBox *in = w->picSliderIn(), *out = w->picSliderOut();
    // Pixel 127 of 256 is nearer black, 128 nearer white; 128 of 257 is a tie: black.
    const struct { int ancho, x, asa; } casos[] = {{256, 127, 0}, {256, 128, 1}, {257, 128, 0}};
    for (const auto &c : casos) {
        in->setFixedSize(c.ancho, 25);
        ASSERT_EQ(in->ScaleWidth(), c.ancho);
        QTest::mousePress(in, Qt::LeftButton, {}, QPoint(c.x, 12));
        EXPECT_EQ((std::pair{int(w->ArrastreEntrada()), w->tmrRender()->isActive()}), (std::pair{c.asa, true})) << c.x;
        QTest::mouseRelease(in, Qt::LeftButton, {}, QPoint(c.x, 12));
        EXPECT_EQ((std::pair{int(w->ArrastreEntrada()), w->tmrRender()->isActive()}), (std::pair{-1, false}));
    }
    // Presses that move nothing push no snapshot and add no line.
    EXPECT_EQ((std::tuple{EntradaNegro[0] + EntradaBlanco[0], int(NumeroDeshacer()), lista->count(), deshacer->text()}),
              (std::tuple{255, 0, 0, QStringLiteral("Deshacer")}));

    // A canvas press gives the history a line, then drags (a step each, no
    // line); where the handles stop is the level arithmetic's own test.
    in->setFixedSize(256, 25);
    Pulsar(300, 300);
    ArrastrarNivel(in, 250, 100); // white to 100
    ArrastrarNivel(out, 175, 87); // 176 pixels: 87 x 255 \ 175 = 126, truncated
    EXPECT_EQ((std::pair{Texto("lblInMax"), Texto("lblOutMax")}), (std::pair{QStringLiteral("100"), QStringLiteral("126")}));
    EXPECT_EQ(Copia(LutR), TablaDe(0, DelCanal(0)));
    EXPECT_EQ((std::array{int(EntradaBlanco[0]), int(SalidaBlanco[0]), int(LutR[255])}), (std::array{100, 126, 126}));

    // Undo takes back the last drag and, with it, the canvas press's line.
    deshacer->click();
    EXPECT_EQ((std::tuple{int(SalidaBlanco[0]), int(EntradaBlanco[0]), lista->count(), deshacer->text()}),
              (std::tuple{255, 100, 0, QStringLiteral("Deshacer (2)")}));

    // Output levels one apart: the identity's lower half (up to 127.5 / 255)
    // gives the black level 102, the upper half 103. Then the input levels
    // one apart too (102 and 103): the whole curve below 103, and above.
    Boton("cmdReset")->click();
    ArrastrarNivel(out, 0, 70);   // 70 x 255 \ 175 = 102
    ArrastrarNivel(out, 175, 71); // 103
    Tabla256 esperada{};
    for (int i = 0; i < 256; ++i) esperada[i] = i <= 127 ? 102 : 103;
    EXPECT_EQ((std::tuple{int(SalidaNegro[0]), int(SalidaBlanco[0]), Copia(LutR)}), (std::tuple{102, 103, esperada}));
    ArrastrarNivel(in, 0, 102);  // 256 pixels: 102 x 255 \ 255 = 102
    ArrastrarNivel(in, 255, 103);
    for (int i = 0; i < 256; ++i) esperada[i] = i <= 102 ? 102 : 103;
    EXPECT_EQ((std::tuple{int(EntradaNegro[0]), int(EntradaBlanco[0]), Copia(LutG)}), (std::tuple{102, 103, esperada}));

    // A slider without width takes neither press nor move.
    const int16_t pasos = NumeroDeshacer();
    out->setFixedSize(1, 25);
    ArrastrarNivel(out, 0, 0);
    EXPECT_EQ((std::array{int(w->ArrastreSalida()), int(NumeroDeshacer()), int(SalidaBlanco[0])}), (std::array{-1, int(pasos), 103}));
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
    EXPECT_EQ(QStringList({l.first(), l.last(), deshacer->text(), QString::number(lista->currentRow())}),
              QStringList({"1.  Curva RGB", "20.  Curva RGB", "Deshacer (10)", "19"}));

    ClicEnLinea(19); // the last line is where we are
    EXPECT_EQ(modEngine::NumeroDeshacer(), 10);
    // Line 1 lies beyond the ring: only ten lines can go.
    ClicEnLinea(0);
    EXPECT_EQ((std::pair{lista->count(), lista->currentRow()}), (std::pair{10, 9}));
    EXPECT_TRUE(deshacer->text() == QStringLiteral("Deshacer (0)") && !deshacer->isEnabled());
    // The eleventh press's state: the red point and one master point.
    EXPECT_EQ((std::pair{int(modEngine::NumPuntos[1]), int(modEngine::NumPuntos[0])}), (std::pair{3, 3}));
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
    EXPECT_EQ((std::tuple{DelCanal(0), Copia(LutR), Copia(LutB)}), (std::tuple{dos, TablaDe(0, dos), TablaDe(0, dos)}));
    EXPECT_EQ(Lineas() << deshacer->text() << QString::number(lista->currentRow()),
              QStringList({"1.  Curva RGB", "2.  Curva RGB", "Deshacer (2)", "1"}));
    // Going on from there: the new line follows line 2.
    Pulsar(300, 100);
    EXPECT_EQ((std::pair{lista->count(), int(NumeroDeshacer())}), (std::pair{3, 3}));
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
        EXPECT_EQ((std::pair{EntradaNegro[ch] + SalidaNegro[ch], EntradaBlanco[ch] + SalidaBlanco[ch]}), (std::pair{0, 510})) << ch;
    }
    for (const uint8_t *t : {LutR, LutG, LutB}) EXPECT_EQ(Copia(t), Identidad());
    EXPECT_TRUE(CanalActual == 0 && C<QRadioButton>("optRGB")->isChecked() && C<QRadioButton>("optCatmullRom")->isChecked());
    EXPECT_EQ((std::tuple{lista->count(), deshacer->text(), Texto("lblInMin"), Preview()}),
              (std::tuple{0, QStringLiteral("Deshacer (0)"), QStringLiteral("0"), BGR(200, 50, 10)}));
    EXPECT_FALSE(deshacer->isEnabled() || Boton("cmdExportACV")->isEnabled() || Boton("cmdGuardarImagenCurva")->isEnabled() ||
                 w->TieneCurvaCargada());
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
    EXPECT_EQ((std::tuple{DelCanal(0), Copia(LutR), DelCanal(1)}), (std::tuple{negada, TablaDe(0, negada), rojo}));
    EXPECT_EQ(Lineas().last(), QStringLiteral("4.  Negar curva"));
    negar->click();
    EXPECT_EQ((std::pair{DelCanal(0), Copia(LutR)}), (std::pair{recibida, TablaDe(0, recibida)}));
    EXPECT_EQ(QStringList({Lineas().last(), deshacer->text()}), QStringList({"5.  Restaurar curva", "Deshacer (5)"}));
    // The first negation's snapshot still holds the dragged point.
    deshacer->click(), deshacer->click();
    EXPECT_TRUE(DelCanal(0) != recibida && DelCanal(1) == rojo);

    // A received curve of two points, the fewest there are, is negated too.
    Recibir({0, 255}, {30, 200});
    negar->click();
    EXPECT_EQ((std::pair{DelCanal(0), Lineas().last()}), (std::pair{Puntos{{0, 225}, {255, 55}}, QStringLiteral("5.  Negar curva")}));
    // An imported curve is kept too: imported with the box ticked it comes
    // in negated, and unticking restores the file's points.
    dialogos.Responder(Archivo(QStringLiteral("c.acv"), U16({4, 1, 3, 0, 0, 160, 100, 255, 255})));
    Boton("cmdImportACV")->click();
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 255}, {100, 95}, {255, 0}}));
    negar->click();
    EXPECT_EQ(DelCanal(0), recibida);
}

TEST_F(Edicion_, NegationWithoutAKeptCurveMirrorsTheCurrentChannelOnly)
{
    using namespace modEngine;
    C<QRadioButton>("optR")->click();
    Pulsar(93, 92);
    QCheckBox *negar = C<QCheckBox>("chkNegar");
    negar->click();
    EXPECT_TRUE(C<QRadioButton>("optR")->isChecked());
    EXPECT_EQ((std::pair{DelCanal(1), DelCanal(0)}), (std::pair{Puntos{{0, 255}, {64, 63}, {255, 0}}, Puntos{{0, 0}, {255, 255}}}));
    EXPECT_EQ((std::pair{Copia(LutR), Copia(LutG)}), (std::pair{TablaDe(1, DelCanal(1)), Identidad()}));
    negar->click();
    EXPECT_EQ((std::pair{DelCanal(1), lista->count()}), (std::pair{Puntos{{0, 0}, {64, 192}, {255, 255}}, 3}));
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
    EXPECT_TRUE(modEngine::Arrastrando && modEngine::LutR[200] > 200);
    EXPECT_EQ(Preview(), IzquierdaConCurva());
    QTest::mouseMove(lienzo, QPoint(180, 300));
    ASSERT_TRUE(EsperarPreview());
    EXPECT_TRUE(Preview() == IzquierdaConCurva() && modEngine::LutR[200] < 200);
    QTest::mouseRelease(lienzo, Qt::LeftButton, {}, QPoint(180, 300));

    // The same on a level slider: output white pulled down.
    PictureBox *out = w->picSliderOut();
    QTest::mousePress(out, Qt::LeftButton, {}, QPoint(175, 12)), QTest::mouseMove(out, QPoint(70, 12));
    EXPECT_TRUE(w->PreviewSucio());
    ASSERT_TRUE(EsperarPreview());
    EXPECT_TRUE(modEngine::SalidaBlanco[0] == 102 && Preview() == IzquierdaConCurva());
    QTest::mouseRelease(out, Qt::LeftButton, {}, QPoint(70, 12));
}
