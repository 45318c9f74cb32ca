// The evaluator's generated curve and the editor's, side by side in the real
// windows: undo steps, history lines, No and Undo, and the curve saved.

#include "ayuda_editor.h"

#include "support/carta.h"

#include <cmath>

namespace {

class Traspaso_ : public EditorAbierto {
protected:
    void SetUp() override
    {
        EditorAbierto::SetUp();
        ASSERT_TRUE(ev = frame.MostrarVentana(QStringLiteral("frmEvaluarEscaneo")));
        generar = EnEvaluador("cmdGenerarCurva"), enviar = EnEvaluador("cmdEnviarCurvaEditor");
    }
    QPushButton *EnEvaluador(const char *n) { return ev->findChild<QPushButton *>(QString::fromLatin1(n)); }
    // A chart scan printed through the response, loaded in the evaluator.
    void Escanear(const QString &nombre, const std::function<int(int)> &respuesta)
    {
        const QString ruta = dir.filePath(nombre);
        ASSERT_TRUE(CartaEscaneada(respuesta).save(ruta));
        dialogos.Responder(ruta), EnEvaluador("cmdCargarEscaneo")->click();
    }
    // Generates; the curve made, as the master channel holds it.
    Puntos Generar()
    {
        generar->click();
        EXPECT_TRUE(enviar->isEnabled());
        return DelCanal(0);
    }
    // The editor opened by the hand-over, or the one already open; or closed and opened again.
    void Editor(bool reabrir = false)
    {
        if (reabrir) MDIForm1::DescargarVentana(w), frame.findChild<QAction *>(QStringLiteral("mnuEditarCurva"))->trigger();
        ASSERT_TRUE(w = qobject_cast<frmEditarAplicarCurva *>(Ventanas::Buscar(QStringLiteral("frmEditarAplicarCurva"))));
        lienzo = w->picCurve(), lista = C<QListWidget>("lstHistorial"), deshacer = Boton("cmdUndo");
    }
    // Send to editor, answering its question (if it asks) so.
    void Enviar(int respuesta) { cajas.Responder(respuesta), enviar->click(); }
    // The list's lines and the Undo caption, one moment's state.
    QStringList Historia() { return Lineas() << deshacer->text(); }
    static std::array<Tabla256, 3> Tablas() { return {Copia(modEngine::LutR), Copia(modEngine::LutG), Copia(modEngine::LutB)}; }

    QWidget *ev = nullptr;
    QPushButton *generar = nullptr, *enviar = nullptr;
};

const auto Oscura = [](int g) { return g * g / 255; };
const auto Clara = [](int g) { return int(std::sqrt(g * 255.0)); };

} // namespace

TEST_F(Traspaso_, TheGeneratedCurveAndTheEditorsCurveNeverOverwriteEachOther)
{
    using namespace modEngine;
    // A fresh editor holds no curve: its generated curve goes in unasked.
    Escanear(QStringLiteral("a.png"), Oscura);
    const Puntos a = Generar();
    enviar->click();
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_EQ(Historia(), QStringList({"1.  Curva generada", "2.  Curva recibida", "Deshacer (2)"}));

    // The editor's curve E: a point on the red channel, a level on the blue
    // one (a step without a line, the caption refreshed later), shown on blue.
    C<QRadioButton>("optR")->click();
    Pulsar(93, 92);
    C<QRadioButton>("optB")->click();
    ArrastrarNivel(w->picSliderOut(), 175, 120);
    const EstadoCurvas e = TomarEstado();
    const auto tablasE = Tablas();
    const QStringList historiaE{"1.  Curva generada", "2.  Curva recibida", "3.  Curva Rojo", "Deshacer (4)"};
    ASSERT_EQ(NumeroDeshacer(), 4);

    // Generate writes over it at once, with one undo step and its line; a
    // channel chosen in between, another scan and a dozen generations more
    // take none.
    Escanear(QStringLiteral("b.png"), Clara);
    Generar();
    EXPECT_TRUE(C<QRadioButton>("optRGB")->isChecked());
    const QStringList historiaG{"1.  Curva generada", "2.  Curva recibida", "3.  Curva Rojo", "4.  Curva generada", "Deshacer (5)"};
    EXPECT_EQ(Historia(), historiaG);
    C<QRadioButton>("optG")->click();
    Escanear(QStringLiteral("a2.png"), Oscura);
    Generar();
    for (int i = 0; i < 12; ++i) generar->click();
    EXPECT_EQ((std::pair{DelCanal(0), Historia()}), (std::pair{a, historiaG}));
    // No: the editor's curve back exactly, shown on blue, the run's line gone.
    Enviar(MsgBox::No);
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ((std::tuple{cajas.llamadas[0].texto, cajas.llamadas[0].titulo, cajas.llamadas[0].estilo}),
              (std::tuple{QStringLiteral("El editor ya contiene una curva.\r\n¿Desea sustituirla por la curva generada?"),
                          QStringLiteral("Enviar curva a editor"), MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2}));
    EXPECT_TRUE(MismoEstado(TomarEstado(), e) && C<QRadioButton>("optB")->isChecked());
    EXPECT_EQ((std::pair{Tablas(), Historia()}), (std::pair{tablasE, historiaE}));

    // Generated again, then one Undo in the editor: the same curve and list.
    Escanear(QStringLiteral("b2.png"), Clara);
    Generar();
    EXPECT_EQ(Historia(), historiaG);
    deshacer->click();
    EXPECT_TRUE(MismoEstado(TomarEstado(), e));
    EXPECT_EQ(Historia(), historiaE);
    // Yes hands the curve over on top of the generation's step.
    Generar();
    Enviar(MsgBox::Yes);
    EXPECT_EQ(Historia(), QStringList({"1.  Curva generada", "2.  Curva recibida", "3.  Curva Rojo", "4.  Curva generada",
                                       "5.  Curva recibida", "Deshacer (6)"}));
    // A change after the last generation is the editor's own: No keeps it.
    Escanear(QStringLiteral("a3.png"), Oscura);
    Generar();
    C<QRadioButton>("optNatural")->click();
    const EstadoCurvas cambiada = TomarEstado();
    Enviar(MsgBox::No);
    EXPECT_TRUE(MismoEstado(TomarEstado(), cambiada) && ModoInterpolacion == 1);
}

TEST_F(Traspaso_, UndoAndTheHistoryListMoveTogether)
{
    using namespace modEngine;
    const EstadoCurvas inicial = TomarEstado();
    // Two scans generated with the editor closed, then sent: it opens on
    // the generation's line and the receipt's, nothing of the first scan.
    MDIForm1::DescargarVentana(w);
    Escanear(QStringLiteral("a.png"), Oscura);
    Generar();
    Escanear(QStringLiteral("b.png"), Clara);
    const Puntos b = Generar();
    const EstadoCurvas generada = TomarEstado();
    enviar->click();
    Editor();
    const EstadoCurvas recibida = TomarEstado();
    EXPECT_EQ((std::pair{Historia(), DelCanal(0)}),
              (std::pair{QStringList({"1.  Curva generada", "2.  Curva recibida", "Deshacer (2)"}), b}));

    // A point edited, then a generation with the editor open.
    Pulsar(93, 92);
    const EstadoCurvas editada = TomarEstado();
    Generar();
    EXPECT_EQ(Historia(), QStringList({"1.  Curva generada", "2.  Curva recibida", "3.  Curva RGB", "4.  Curva generada", "Deshacer (4)"}));

    // Each Undo and each jump takes away the lines of the steps it undoes.
    const struct { int linea; const EstadoCurvas &estado; QStringList historia; } pasos[] = { // linea -1: Undo
        {-1, editada, {"1.  Curva generada", "2.  Curva recibida", "3.  Curva RGB", "Deshacer (3)"}},
        {1, recibida, {"1.  Curva generada", "2.  Curva recibida", "Deshacer (2)"}},
        {-1, generada, {"1.  Curva generada", "Deshacer (1)"}},
        {-1, inicial, {"Deshacer (0)"}},
    };
    for (const auto &p : pasos) {
        p.linea < 0 ? deshacer->click() : ClicEnLinea(p.linea);
        EXPECT_TRUE(MismoEstado(TomarEstado(), p.estado)) << p.historia.last().toStdString();
        EXPECT_EQ(Historia(), p.historia);
    }
    EXPECT_FALSE(deshacer->isEnabled());

    // Spanish in English too, as every history line; reopened while it is
    // still the newest step, the editor shows it.
    modIdioma::CambiarIdioma(QStringLiteral("en"));
    Generar();
    EXPECT_EQ(Lineas(), QStringList({"1.  Curva generada"}));
    Editor(true);
    EXPECT_EQ(Lineas(), QStringList({"1.  Curva generada"}));
    deshacer->click();
    EXPECT_TRUE(MismoEstado(TomarEstado(), inicial) && Lineas().isEmpty());

    // Handed over, and the editor opened again: two lines that leave the
    // curve as it was. The same scan generated again takes no step and
    // leaves the list alone.
    enviar->click();
    Editor(true);
    C<QCheckBox>("chkNegar")->click();
    C<QCheckBox>("chkNegar")->click();
    const QStringList dos = Historia();
    ASSERT_EQ(dos.size(), 3);
    Generar();
    EXPECT_EQ(Historia(), dos);
}

TEST_F(Traspaso_, NoAfterAnUndoneEditAndAfterAHandOverKeepsTheEditorsCurve)
{
    using namespace modEngine;
    // The editor's own curve (0,0)(100,180)(255,255), from one press.
    Pulsar(LienzoCurva::XDeValor(100, 360), LienzoCurva::YDeValor(180, 360));
    const EstadoCurvas editor = TomarEstado();
    ASSERT_EQ(DelCanal(0), (Puntos{{0, 0}, {100, 180}, {255, 255}}));
    const QStringList historiaE{"1.  Curva RGB", "Deshacer (1)"};
    Escanear(QStringLiteral("a.png"), Oscura);
    const Puntos a = Generar();
    EXPECT_EQ(Historia(), QStringList({"1.  Curva RGB", "2.  Curva generada", "Deshacer (2)"}));

    // A generated point dragged down and the drag undone: the generated
    // curve again, its step the newest again. No takes that step and its
    // line away with the curve.
    const QPoint punto(LienzoCurva::XDeValor(a[9].first, 360), LienzoCurva::YDeValor(a[9].second, 360));
    Arrastrar(lienzo, punto, punto + QPoint(0, 60));
    ASSERT_EQ(NumeroDeshacer(), 3);
    deshacer->click();
    ASSERT_EQ(DelCanal(0), a);
    Enviar(MsgBox::No);
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_TRUE(MismoEstado(TomarEstado(), editor));
    EXPECT_EQ(Historia(), historiaE);
    deshacer->click();
    EXPECT_EQ(DelCanal(0), (Puntos{{0, 0}, {255, 255}}));
    Pulsar(LienzoCurva::XDeValor(100, 360), LienzoCurva::YDeValor(180, 360));

    // Save curve writes the generated points, not the editor's curve.
    const QString ruta = dir.filePath(QStringLiteral("generada.acv"));
    dialogos.Responder(ruta);
    EnEvaluador("cmdGrabaCurva")->click();
    QByteArray esperado = U16({4, 4, int(a.size())});
    for (const auto &[x, y] : a) esperado += U16({y, x});
    for (int ch = 1; ch <= 3; ++ch) esperado += U16({2, 0, 0, 255, 255});
    EXPECT_EQ(Leer(ruta), esperado);
    // Sent again it asks again (the press is the editor's curve); No.
    Enviar(MsgBox::No);
    ASSERT_EQ(cajas.llamadas.size(), 3);
    EXPECT_TRUE(MismoEstado(TomarEstado(), editor));
    // Generated again and handed over with Yes.
    Generar();
    Enviar(MsgBox::Yes);
    ASSERT_EQ(cajas.llamadas.size(), 4);
    const EstadoCurvas recibida = TomarEstado();
    const QStringList historiaR{"1.  Curva RGB", "2.  Curva generada", "3.  Curva recibida", "Deshacer (3)"};
    EXPECT_EQ((std::pair{DelCanal(0), Historia()}), (std::pair{a, historiaR}));
    // The hand-over ended the run: the same scan generated again changes
    // nothing, and No keeps the received curve.
    Generar();
    Enviar(MsgBox::No);
    ASSERT_EQ(cajas.llamadas.size(), 5);
    EXPECT_TRUE(MismoEstado(TomarEstado(), recibida));
    EXPECT_EQ(Historia(), historiaR);
}

TEST_F(Traspaso_, TheHandOverEndsTheRunAndLeavesItsLinesToTheEditor)
{
    // The generation takes the program's first undo step.
    if (EnProgramaNuevo()) return;
    Escanear(QStringLiteral("a.png"), Oscura);
    Generar();
    enviar->click();
    const QStringList recibida{"1.  Curva generada", "2.  Curva recibida", "Deshacer (2)"};
    ASSERT_EQ(Historia(), recibida);
    // Nothing of the run is left to give back: the same scan generated again
    // takes no step and no line; both lines are the editor's curve, so
    // sending asks, and No keeps them.
    Generar();
    EXPECT_EQ(Historia(), recibida);
    Enviar(MsgBox::No);
    EXPECT_EQ((std::pair{int(cajas.llamadas.size()), Historia()}), (std::pair{1, recibida}));
    // Another scan kept out with No: its line goes with its step, and the
    // first scan generated again (the editor's curve itself) leaves the rest.
    Escanear(QStringLiteral("b.png"), Clara);
    Generar();
    Enviar(MsgBox::No);
    ASSERT_EQ(Historia(), recibida);
    Escanear(QStringLiteral("a2.png"), Oscura);
    Generar();
    EXPECT_EQ(Historia(), recibida);
}
