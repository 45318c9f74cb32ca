// The curve editor handed curves, loading samples and curve files through
// scripted dialogs, with the canvas, histogram and preview read back.

#include "ayuda_editor.h"

#include "curves/archivoscurva.h"
#include "imaging/histograma.h"
#include "platform/settings.h"
#include "support/carta.h"
#include "support/imagen.h"

#include <QColorSpace>
#include <QComboBox>
#include <QFileInfo>

#include <functional>

namespace {

using Editor_ = EditorAbierto;

// Version 4, four curves of (output, input) pairs: the master, red, then
// identity green and blue.
QByteArray Acv(const QList<QPair<int, int>> &maestra, const QList<QPair<int, int>> &rojo = {{0, 0}, {255, 255}})
{
    QByteArray b = U16({4, 4});
    for (const auto &curva : {maestra, rojo, {{0, 0}, {255, 255}}, {{0, 0}, {255, 255}}}) {
        b += U16({static_cast<int>(curva.size())});
        for (const auto &q : curva) b += U16({q.first, q.second});
    }
    return b;
}

} // namespace

TEST_F(Editor_, ReceivingACurveResetsEverythingButTheMasterCurve)
{
    using namespace modEngine;
    // Counts outside 2..16, or no points: nothing changes.
    const int xs[17] = {0, 40, 80, 120, 160, 200, 255}, ys[17] = {0, 60, 100, 140, 180, 220, 255};
    w->RecibirCurvaGenerada(xs, ys, 1);
    w->RecibirCurvaGenerada(xs, ys, 17);
    w->RecibirCurvaGenerada(nullptr, ys, 3);
    EXPECT_TRUE(w->Historial().Num() == 0 && !deshacer->isEnabled() && w->EsCurvaIdentidad());

    // Red edited and shown, blue's output white lowered.
    PonerPuntos(1, {{0, 0}, {100, 30}, {255, 255}});
    SalidaBlanco[3] = 200;
    ComponerLUTs();
    C<QRadioButton>("optR")->click();
    // Out-of-range values are clamped.
    Recibir({-5, 64, 128, 192, 255}, {0, 90, 150, 300, 255});
    for (int16_t ch = 1; ch <= 3; ++ch) {
        EXPECT_EQ(DelCanal(ch), (Puntos{{0, 0}, {255, 255}})) << ch;
        EXPECT_EQ(EntradaBlanco[ch] + SalidaBlanco[ch], 510);
    }
    const Puntos recibida{{0, 0}, {64, 90}, {128, 150}, {192, 255}, {255, 255}};
    EXPECT_EQ((std::pair{DelCanal(0), int(w->CurvaY(3))}), (std::pair{recibida, 255}));
    EXPECT_EQ((std::pair{Copia(LutR), Copia(LutB)}), (std::pair{TablaDe(0, recibida), TablaDe(0, recibida)}));
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked() && w->TieneCurvaCargada() && Boton("cmdExportACV")->isEnabled());
    EXPECT_EQ(Lineas() << deshacer->text(), QStringList({"1.  Curva recibida", "Deshacer (1)"}));
    // The point at (64, 90) on the canvas.
    EXPECT_EQ(lienzo->S().Point(LienzoCurva::XDeValor(64, 360), LienzoCurva::YDeValor(90, 360) - 4), LienzoCurva::Blanco);
    // Sixteen points are a curve too.
    int x16[16], y16[16];
    for (int k = 0; k < 16; ++k) x16[k] = k * 17, y16[k] = 255 - k * 17;
    w->RecibirCurvaGenerada(x16, y16, 16);
    EXPECT_EQ((std::pair{int(NumPuntos[0]), int(PuntoY[0][15])}), (std::pair{16, 0}));
}

TEST_F(Editor_, ImportsAcvAndAmpAndExportsTheSameBytes)
{
    using namespace modEngine;
    // Nothing to export yet: a message and no dialog.
    EXPECT_FALSE(Boton("cmdExportACV")->isEnabled());
    w->cmdExportACV_Click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_TRUE(cajas.llamadas.takeFirst().texto == QStringLiteral("No hay una curva generada, cargada o editada para grabar.") &&
                dialogos.peticiones.isEmpty());

    // Master (0,0) (100,160) (255,255); red lifted to 20..235.
    const QByteArray acv = Acv({{0, 0}, {160, 100}, {255, 255}}, {{20, 0}, {235, 255}});
    dialogos.Responder(Archivo(QStringLiteral("curva.acv"), acv));
    Boton("cmdImportACV")->click();
    ASSERT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_EQ(QStringList({dialogos.peticiones[0].titulo, dialogos.peticiones[0].filtros[0].patrones,
                           Ajustes::GetSetting("DialogFolders", "Curva"), Lineas().join(u'|')}),
              QStringList({"Importar curva", "*.acv;*.amp", dir.path(), "1.  Import Curva"}));
    EXPECT_EQ((std::pair{w->CurvaRecibida(), DelCanal(0)}), (std::pair{true, Puntos{{0, 0}, {100, 160}, {255, 255}}}));
    EXPECT_EQ((std::pair{int(LutR[0]), int(LutG[100])}), (std::pair{20, 160})); // red after master
    // The canvas draws the master's own curve, through its point (100, 160).
    const int x100 = LienzoCurva::XDeValor(100, 360), y160 = LienzoCurva::YDeValor(160, 360);
    EXPECT_TRUE(lienzo->S().Point(x100, y160) == LienzoCurva::Blanco || lienzo->S().Point(x100, y160 - 1) == LienzoCurva::Blanco);

    // Exported under a name without extension: the same bytes back.
    dialogos.Responder(dir.filePath(QStringLiteral("exportada")));
    Boton("cmdExportACV")->click();
    const QString salida = dir.filePath(QStringLiteral("exportada.acv"));
    EXPECT_EQ(Leer(salida), acv);
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Curva exportada a:\r\n") + salida);
    EXPECT_EQ(dialogos.peticiones.last().nombreArchivo, QStringLiteral("Curva_Generada"));

    // An AMP named in capitals: sixteen points every 17 levels; one letter
    // more is read as ACV: rejected, nothing moves.
    QByteArray amp;
    for (int i = 0; i < 256; ++i) amp += QByteArray::number(255 - i) + (i < 255 ? " " : "\r\n");
    dialogos.Responder(Archivo(QStringLiteral("INV.AMP"), amp));
    Boton("cmdImportACV")->click();
    EXPECT_EQ((std::array{int(NumPuntos[0]), int(LutR[0]), int(LutB[255])}), (std::array{16, 255, 0}));
    cajas.llamadas.clear();
    const Tabla256 antes = Copia(LutR);
    dialogos.Responder(Archivo(QStringLiteral("INV.AMPX"), amp));
    Boton("cmdImportACV")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
    EXPECT_EQ((std::tuple{deshacer->text(), Copia(LutR), int(w->NumPuntosCurva())}),
              (std::tuple{QStringLiteral("Deshacer (2)"), antes, 16}));

    // An existing file: No keeps it, Yes replaces it.
    QList<QPair<int, int>> maestra;
    for (int k = 0; k < 16; ++k) maestra.append({255 - 17 * k, 17 * k});
    const QString viejo = Archivo(QStringLiteral("x.acv"), "viejo");
    cajas.llamadas.clear();
    for (int respuesta : {MsgBox::No, MsgBox::Yes}) {
        cajas.Responder(respuesta);
        dialogos.Responder(dir.filePath(QStringLiteral("x")));
        Boton("cmdExportACV")->click();
        EXPECT_TRUE(cajas.llamadas[0].Icono() == MsgBox::Question && cajas.llamadas[0].texto.contains(viejo));
        EXPECT_EQ(Leer(viejo), respuesta == MsgBox::No ? QByteArray("viejo") : Acv(maestra));
    }

    // With negation ticked, only the imported master is negated.
    C<QCheckBox>("chkNegar")->setChecked(true);
    dialogos.Responder(Archivo(QStringLiteral("id.acv"), Acv({{0, 0}, {255, 255}}, {{10, 0}, {255, 255}})));
    Boton("cmdImportACV")->click();
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 255}, {255, 0}}));
    // The kept copy negated, red as read, red after the negated master.
    EXPECT_EQ((std::array{int(w->CurvaY(0)), int(PuntoY[1][0]), int(LutG[0]), int(LutR[0]), int(LutR[255])}),
              (std::array{255, 10, 255, 255, 10}));
}

TEST_F(Editor_, LoadsASampleAndDescribesIt)
{
    // 3000 x 2000 at 300 dpi (11811 dots per metre), tagged Adobe RGB.
    QImage img(3000, 2000, QImage::Format_RGB888);
    img.fill(QColor(200, 50, 10)), img.setDotsPerMeterX(11811), img.setDotsPerMeterY(11811);
    img.setColorSpace(QColorSpace::AdobeRgb);
    const QString ruta = dir.filePath(QStringLiteral("grande.png"));
    ASSERT_TRUE(img.save(ruta));
    CargarMuestra(ruta);
    ASSERT_TRUE(modImage::HayMuestra);
    EXPECT_EQ((std::pair{dialogos.peticiones[0].titulo, Ajustes::GetSetting("DialogFolders", "Imagen")}),
              (std::pair{QStringLiteral("Seleccionar imagen de muestra"), dir.path()}));
    // The luma: (213 x 200 + 715 x 50 + 72 x 10) / 1000 = 79.
    const QList<QPair<const char *, QString>> panel{
        {"lblFichImag", ruta}, {"lblPixels", QStringLiteral("3,000 x 2,000 px")},
        {"lblMedidas", QStringLiteral("25.40 x 16.93 cm")}, {"lblResolucion", QStringLiteral("300 ppp")},
        {"lblEspacioColor", QStringLiteral("Adobe RGB")}, {"lblHPromedioVal", QStringLiteral("79.00")},
        {"lblHDesvVal", QStringLiteral("0.00")}, {"lblHMedianaVal", QStringLiteral("79")}};
    for (const auto &[etiqueta, texto] : panel) EXPECT_EQ(Texto(etiqueta), texto) << etiqueta;
    EXPECT_EQ(lienzo->S().Point(LienzoCurva::XDeValor(79, 360), 10), LienzoCurva::ColorBarras);
    // The preview box is 440 x 376: the 3:2 sample fills its width.
    EXPECT_EQ((std::array{w->picMuestra()->ScaleWidth(), w->picMuestra()->ScaleHeight(), modImage::AnchoVista,
                          modImage::AltoVista, modImage::YVista}),
              (std::array{440, 376, 440, 293, 41}));
    // The red histogram chosen: used at the next drawing.
    C<QComboBox>("cboHistCanal")->setCurrentIndex(1);
    EXPECT_EQ(Texto("lblHMedianaVal"), QStringLiteral("79"));
    w->RefrescarDesdeCurvaCompartida();
    EXPECT_EQ(Texto("lblHPromedioVal"), QStringLiteral("200.00"));

    // Not an image: the loader says so and the panel keeps the shown sample.
    CargarMuestra(Archivo(QStringLiteral("roto.png"), QByteArray(300, 'x')));
    CargarMuestra(QString()); // cancelled: nothing at all
    EXPECT_EQ(cajas.llamadas.size(), 1);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(Texto(panel[i].first), panel[i].second);
    EXPECT_EQ(modImage::RutaMuestra, ruta);

    // A sample whose profile says CMYK: the user is told of the conversion
    // once; a later load that fails keeps it shown and says nothing of CMYK.
    FIBITMAP *cmyk = prueba::Color24(2, 1, [](int, int) { return 0x404040u; });
    prueba::Incrustar(cmyk, prueba::PerfilDesc("CMYK"));
    const QString tif = prueba::Guardar(cmyk, FIF_TIFF, QStringLiteral("cmyk.tif"));
    cajas.llamadas.clear();
    CargarMuestra(tif);
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ((std::pair{cajas.llamadas[0].titulo, modImage::RutaMuestra}), (std::pair{QStringLiteral("Conversión CMYK a RGB"), tif}));
    CargarMuestra(Archivo(QStringLiteral("roto2.tif"), QByteArray(300, 'x')));
    ASSERT_EQ(cajas.llamadas.size(), 2);
    EXPECT_TRUE(cajas.llamadas[1].titulo != cajas.llamadas[0].titulo && modImage::RutaMuestra == tif);
}

TEST_F(Editor_, ViewOptionsDrivePreviewSaveAndPrintAndTheOutputHistogram)
{
    QPushButton *guardar = Boton("cmdGuardarImagenCurva");
    QPushButton *imprimir = Boton("cmdImprimirImagenCurva");
    auto *tonos = C<QCheckBox>("chkInvertirTonos");
    auto *espejo = C<QCheckBox>("chkInvertirHorizontal");
    const uint32_t izquierda = BGR(200, 50, 10), derecha = BGR(20, 100, 240), negada = BGR(55, 205, 245);
    tonos->setChecked(true); // without a sample: only the flag
    EXPECT_TRUE(modImage::InvertirTonos && !guardar->isEnabled());
    tonos->setChecked(false);

    CargarDosColores();
    EXPECT_EQ((std::array{Preview(100, 240), Preview(400, 240), Preview(100, 60)}), (std::array{izquierda, derecha, 0u}));
    EXPECT_FALSE(guardar->isEnabled() || imprimir->isEnabled());

    // Tones inverted, mirrored, a curve: each enables Save and Print in the
    // curve view only; the original view shows all but the curve.
    const struct { std::function<void(bool)> poner; uint32_t conCurva, original; } casos[] = {
        {[&](bool b) { tonos->setChecked(b); }, negada, negada},
        {[&](bool b) { espejo->setChecked(b); }, derecha, derecha},
        {[&](bool b) { b ? Recibir({0, 255}, {255, 0}) : Boton("cmdReset")->click(); }, negada, izquierda},
    };
    const auto vista = [&] { return std::tuple{Preview(), guardar->isEnabled(), imprimir->isEnabled()}; };
    for (const auto &c : casos) {
        c.poner(true);
        EXPECT_EQ(vista(), (std::tuple{c.conCurva, true, true}));
        C<QRadioButton>("optOriginal")->setChecked(true);
        EXPECT_FALSE(w->VerCurvaAplicada());
        EXPECT_EQ(vista(), (std::tuple{c.original, false, false}));
        C<QRadioButton>("optCurvaAplicada")->setChecked(true);
        EXPECT_EQ(Preview(), c.conCurva);
        c.poner(false);
        EXPECT_EQ(vista(), (std::tuple{izquierda, false, false}));
    }
    // A curve that changes blue alone is something to apply, and to export.
    C<QRadioButton>("optB")->click();
    ArrastrarNivel(w->picSliderOut(), 175, 87);
    ASSERT_EQ(modEngine::SalidaBlanco[3], 126);
    EXPECT_EQ((std::tuple{Preview(), guardar->isEnabled(), imprimir->isEnabled(), Boton("cmdExportACV")->isEnabled()}),
              (std::tuple{BGR(200, 50, 5), true, true, true}));

    // Through a constant curve the output histogram is one full-height bar:
    // the columns that show bin 128, nothing elsewhere.
    Recibir({0, 255}, {128, 128});
    const Superficie &h = w->picHist()->S();
    int barras = 0;
    for (int x = 0; x < 360; ++x) {
        int a = 0, b = 0;
        modHistograma::BinesDeColumna(x, 360, a, b);
        const bool en128 = a <= 128 && 128 <= b;
        EXPECT_EQ((std::pair{h.Point(x, 99), h.Point(x, 0)}), (std::pair{en128 ? 0xC0C0C0u : 0u, en128 ? 0xC0C0C0u : 0u})) << x;
        barras += en128;
    }
    EXPECT_GE(barras, 1);
    // The statistics still describe the sample. The preview's nearest columns
    // put 217 of 440 on the left (luma 79) and 223 on the right
    // ((213 x 20 + 715 x 100 + 72 x 240) / 1000 = 93): mean 86.0955, and the
    // left's 47,740 pixels fall short of half of 96,800.
    EXPECT_EQ(QStringList({Texto("lblHPromedioVal"), Texto("lblHDesvVal"), Texto("lblHMedianaVal")}), QStringList({"86.10", "7.00", "93"}));
}

TEST_F(Editor_, InterpolationRebuildsOnlyTheCurrentChannel)
{
    using namespace modEngine;
    // A red curve where the two interpolations differ.
    C<QRadioButton>("optR")->click();
    const Puntos rojo{{0, 0}, {60, 170}, {190, 60}, {255, 255}};
    PonerPuntos(1, rojo);
    RegenerarCurvaActual();
    const Tabla256 pchip = Copia(LutR);

    C<QRadioButton>("optNatural")->setChecked(true);
    EXPECT_EQ((std::tuple{int(ModoInterpolacion), Copia(LutR), Copia(LutG)}), (std::tuple{1, TablaDe(1, rojo), Identidad()}));
    EXPECT_NE(Copia(LutR), pchip);
    EXPECT_EQ((std::pair{int(NumeroDeshacer()), w->Historial().Num()}), (std::pair{0, 0}));
    EXPECT_EQ(lienzo->S().Point(LienzoCurva::XDeValor(60, 360), LienzoCurva::YDeValor(LutR[60], 360)), LienzoCurva::ColorCanal(1));
    C<QRadioButton>("optCatmullRom")->setChecked(true);
    EXPECT_EQ(Copia(LutR), pchip);
    w->RefrescarDesdeCurvaCompartida(); // leaves the red channel shown
    EXPECT_TRUE(C<QRadioButton>("optR")->isChecked());
    // A generated curve written straight in makes the master current: shown so.
    modEngine::CanalActual = 0, w->RefrescarDesdeCurvaCompartida();
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked());
}

TEST_F(Editor_, ReopeningKeepsCurveAndUndoButNotTheHistoryAndTheLanguageChangeKeepsTheChoices)
{
    CargarDosColores();
    Recibir({0, 100, 255}, {0, 160, 255});
    modEngine::CanalActual = 2, modEngine::ModoInterpolacion = 1, modEngine::SalidaBlanco[2] = 200;
    C<QRadioButton>("optOriginal")->setChecked(true);
    MDIForm1::DescargarVentana(w);
    ASSERT_FALSE(Ventanas::Buscar(QStringLiteral("frmEditarAplicarCurva")));

    ASSERT_TRUE(w = Abrir());
    EXPECT_EQ(Abrir(), w); // a single instance
    deshacer = Boton("cmdUndo");
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Editar curva / aplicar e imprimir imagen"));
    EXPECT_EQ((std::array{C<QListWidget>("lstHistorial")->count(), int(w->NumPuntosCurva()), int(w->CurvaY(1))}), (std::array{0, 3, 160}));
    EXPECT_TRUE(!w->TieneCurvaCargada() && deshacer->isEnabled() && deshacer->text() == QStringLiteral("Deshacer"));
    EXPECT_TRUE(C<QRadioButton>("optG")->isChecked() && C<QRadioButton>("optNatural")->isChecked());
    // Drawn whole: the ramp, the shown channel's sliders and values, the
    // curve view chosen and the sample shown with the curve.
    const auto dibujada = [this](const char *nombre, const std::function<void(Superficie &)> &pintar) {
        const Superficie &s = C<PictureBox>(nombre)->S();
        Superficie ref(s.ScaleWidth(), s.ScaleHeight());
        pintar(ref);
        return s.Imagen() == ref.Imagen();
    };
    EXPECT_TRUE(dibujada("picHistRampa", LienzoCurva::DibujarRampa));
    EXPECT_TRUE(dibujada("picSliderOut", [](Superficie &s) { LienzoCurva::DibujarSlider(s, 0, 200); }));
    EXPECT_EQ(QStringList({Texto("lblInMin"), Texto("lblInMax"), Texto("lblOutMin"), Texto("lblOutMax")}), QStringList({"0", "255", "0", "200"}));
    EXPECT_TRUE(C<QRadioButton>("optCurvaAplicada")->isChecked() && w->VerCurvaAplicada());
    EXPECT_EQ(Copia(modEngine::LutG), TablaDe(2, {{0, 0}, {255, 255}})); // the shown channel's own table
    EXPECT_TRUE(Preview() == IzquierdaConCurva() && Preview() != BGR(200, 50, 10));
    EXPECT_EQ(Texto("lblHMedianaVal"), QStringLiteral("93"));

    C<QComboBox>("cboHistCanal")->setCurrentIndex(3);
    modIdioma::CambiarIdioma(QStringLiteral("en"));
    EXPECT_EQ((std::pair{C<QComboBox>("cboHistCanal")->currentText(), int(w->CanalHist())}), (std::pair{QStringLiteral("Blue"), 3}));
    EXPECT_EQ((std::pair{w->windowTitle(), deshacer->text()}),
              (std::pair{QStringLiteral("Edit curve / apply and print image"), QStringLiteral("Undo")}));
    // The count comes back with the next update, in Spanish.
    Recibir({0, 255}, {0, 250});
    EXPECT_EQ(deshacer->text(), QStringLiteral("Deshacer (2)"));
}

TEST_F(Editor_, ReopenedOverTheProgramsFirstStepTheHistoryStartsEmptyAndUndoTakesTheStep)
{
    // The first undo step a program takes, a press on the canvas: the editor
    // opened again shows no line (no generation named it) and Undo takes it.
    if (EnProgramaNuevo()) return;
    Pulsar(LienzoCurva::XDeValor(100, 360), LienzoCurva::YDeValor(180, 360));
    ASSERT_EQ(Lineas(), QStringList({"1.  Curva RGB"}));
    MDIForm1::DescargarVentana(w);
    ASSERT_TRUE(w = Abrir());
    lista = C<QListWidget>("lstHistorial"), deshacer = Boton("cmdUndo");
    EXPECT_TRUE(Lineas().isEmpty() && deshacer->isEnabled());
    deshacer->click();
    EXPECT_EQ((std::tuple{Lineas(), DelCanal(0), deshacer->text()}),
              (std::tuple{QStringList(), Puntos{{0, 0}, {255, 255}}, QStringLiteral("Deshacer (0)")}));
}
