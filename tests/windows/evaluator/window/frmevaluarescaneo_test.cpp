// The scan evaluator driven through its controls on the offscreen platform.

#include "windows/evaluator/frmevaluarescaneo.h"

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "curves/archivoscurva.h"
#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "imaging/modimage.h"
#include "platform/colorref.h"
#include "platform/progress.h"
#include "platform/settings.h"
#include "support/scripted.h"
#include "windows/chart/geometria.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>

namespace {

// A scan of the 200 ppp chart whose patches printed as respuesta(grey).
QImage Carta(const std::function<int(int)> &respuesta, int papel = 255)
{
    const CartaGrises::Geometria g = CartaGrises::GeometriaDe(200);
    QImage img(g.AnchoPx, g.AltoPx, QImage::Format_RGB888);
    img.fill(QColor(papel, papel, papel));
    QPainter p(&img);
    auto llenar = [&](const CartaGrises::Rect &r, int gris) {
        const int v = respuesta(gris);
        p.fillRect(QRect(QPoint(r.x1, r.y1), QPoint(r.x2, r.y2)), QColor(v, v, v));
    };
    for (int k = 0; k < 100; ++k) llenar(CartaGrises::RectParche(g, k), CartaGrises::GrisParche(k, false));
    llenar(CartaGrises::RectParche100(g), CartaGrises::GrisParche100(false));
    return img;
}

// A curve editor stand-in that records what it receives.
class EditorFalso : public QWidget, public EditorCurva {
public:
    EditorFalso()
    {
        setObjectName(QStringLiteral("frmEditarAplicarCurva"));
        Ventanas::Registrar(this);
    }
    ~EditorFalso() override { Ventanas::Quitar(this); }
    bool TieneCurvaCargada() const override { return tiene; }
    void RecibirCurvaGenerada(const int *xs, const int *ys, int n) override
    {
        recibidos = n;
        for (int k = 0; k < n; ++k) puntos.append({xs[k], ys[k]});
    }
    void RefrescarDesdeCurvaCompartida() override { ++refrescos; }
    bool tiene = false;
    int recibidos = -1;
    int refrescos = 0;
    QList<QPair<int, int>> puntos;
};

class Evaluador_ : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        modEngine::ReiniciarCurvas();
        w = new frmEvaluarEscaneo;
        w->show();
    }
    void TearDown() override { delete w; }

    QString Guardar(const QImage &img, const QString &nombre)
    {
        const QString ruta = dir.filePath(nombre);
        EXPECT_TRUE(img.save(ruta));
        return ruta;
    }
    void Cargar(const QString &ruta)
    {
        dialogos.Responder(ruta);
        Boton("cmdCargarEscaneo")->click();
    }
    QPushButton *Boton(const char *n) { return w->findChild<QPushButton *>(QString::fromLatin1(n)); }
    QLabel *Etiqueta(const char *n) { return w->findChild<QLabel *>(QString::fromLatin1(n)); }
    PictureBox *Caja() { return w->findChild<PictureBox *>(QStringLiteral("picCartaGris")); }
    void Tecla(QWidget *destino, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(destino, &e);
    }
    void Raton(QEvent::Type t, int x, int y, Qt::MouseButton b = Qt::LeftButton)
    {
        const QPointF p(x, y);
        QMouseEvent e(t, p, Caja()->mapToGlobal(p), b, t == QEvent::MouseButtonRelease ? Qt::NoButton : b,
                      Qt::NoModifier);
        QApplication::sendEvent(Caja(), &e);
    }

    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    frmEvaluarEscaneo *w = nullptr;
};

const auto Identidad = [](int g) { return g; };

} // namespace

TEST_F(Evaluador_, StartsEmptyAndInert)
{
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Evaluar escaneo y generar curva"));
    EXPECT_FALSE(Boton("cmdGenerarCurva")->isEnabled());
    EXPECT_FALSE(Boton("cmdGrabaCurva")->isEnabled());
    EXPECT_FALSE(Boton("cmdEnviarCurvaEditor")->isEnabled());
    EXPECT_FALSE(Boton("cmdIzquierda")->isEnabled());
    EXPECT_EQ(Etiqueta("lblResultado")->text(), QStringLiteral("Rango dinámico: -"));
    EXPECT_EQ(w->MetodoMuestreo(), Evaluador::MetodoMediana);

    // Keys, mouse and Generate do nothing before a scan is loaded.
    Tecla(w, Qt::Key_Left);
    Raton(QEvent::MouseButtonPress, 10, 10);
    Raton(QEvent::MouseMove, 40, 40);
    EXPECT_EQ(w->Rejilla().DesfaseX, 0.0);
    w->cmdGenerarCurva_Click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Primero cargue un escaneo de la carta."));
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);

    // A cancelled dialog loads nothing.
    Cargar(QString());
    EXPECT_FALSE(w->EscaneoCargado());
}

TEST_F(Evaluador_, LoadShowsTheGridOverTheScan)
{
    const QString ruta = Guardar(Carta(Identidad), QStringLiteral("carta.png"));
    Cargar(ruta);
    ASSERT_EQ(dialogos.peticiones.size(), 1);
    EXPECT_EQ(dialogos.peticiones[0].titulo, QStringLiteral("Seleccionar escaneo de carta"));
    EXPECT_EQ(dialogos.peticiones[0].filtros[0].patrones, QStringLiteral("*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.png;*.webp"));
    EXPECT_EQ(Ajustes::GetSetting(QStringLiteral("DialogFolders"), QStringLiteral("Escaneo")), dir.path());

    ASSERT_TRUE(w->EscaneoCargado());
    EXPECT_EQ(Etiqueta("lblCartaTitulo")->text(), QStringLiteral("Escaneo: carta.png"));
    EXPECT_TRUE(w->findChild<QCheckBox *>(QStringLiteral("chkMostrarAreasAnalizar"))->isChecked());
    EXPECT_TRUE(Boton("cmdIzquierda")->isEnabled());
    EXPECT_TRUE(Boton("cmdGenerarCurva")->isEnabled());
    EXPECT_TRUE(Etiqueta("lblRejilla")->isVisibleTo(w));
    EXPECT_EQ(Etiqueta("lblRejilla")->text(), QStringLiteral("Arrastra la rejilla con el raton\nCursores: mover  |  Inicio: reset"));

    // 1173 x 1183 fitted into the 520 x 520 box.
    const Evaluador::Vista v = w->VistaEscaneo();
    EXPECT_EQ(v.dx, 2);
    EXPECT_EQ(v.dy, 0);
    EXPECT_EQ(v.dw, 516);
    EXPECT_EQ(v.dh, 520);
    const Superficie &s = Caja()->S();
    // Patch 0's square: centre (66, 135) in the scan is (31, 59) in the box.
    EXPECT_EQ(s.Point(31 - 13, 59), ColorRef::RGB(255, 0, 0));
    EXPECT_EQ(s.Point(31 + 13, 59 + 5), ColorRef::RGB(255, 0, 0));
    EXPECT_NE(s.Point(31, 59), ColorRef::RGB(255, 0, 0));
    // The first vertical line: scan x 106 is box x 49.
    EXPECT_EQ(s.Point(49, 100), ColorRef::RGB(100, 100, 100));

    // Unchecking hides the squares and the hint and disables the buttons.
    w->findChild<QCheckBox *>(QStringLiteral("chkMostrarAreasAnalizar"))->setChecked(false);
    EXPECT_NE(s.Point(31 - 13, 59), ColorRef::RGB(255, 0, 0));
    EXPECT_EQ(s.Point(49, 100), ColorRef::RGB(100, 100, 100));
    EXPECT_FALSE(Boton("cmdAgrandar")->isEnabled());
    EXPECT_FALSE(Etiqueta("lblRejilla")->isVisibleTo(w));
}

TEST_F(Evaluador_, KeysButtonsAndMouseMoveTheGrid)
{
    Cargar(Guardar(Carta(Identidad), QStringLiteral("carta.png")));
    ASSERT_TRUE(w->EscaneoCargado());
    // Keys reach the window while a control has the focus, and stay there.
    auto *lista = w->findChild<QListWidget *>(QStringLiteral("lstMuestras"));
    Tecla(lista, Qt::Key_Right);
    Tecla(lista, Qt::Key_Down);
    Tecla(lista, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseX, 0.002);
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseY, 0.004);
    Tecla(lista, Qt::Key_A);
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseX, 0.002);

    // Shift moves the frame, within its limits.
    Tecla(Boton("cmdGenerarCurva"), Qt::Key_Left, Qt::ShiftModifier);
    Tecla(Boton("cmdGenerarCurva"), Qt::Key_Left, Qt::ShiftModifier);
    Tecla(Boton("cmdGenerarCurva"), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_NEAR(w->Rejilla().MargenIzquierdo, Evaluador::MargenIzquierdoDefecto - 0.004, 1e-12);
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseX, 0.002);

    for (int i = 0; i < 30; ++i) Boton("cmdAgrandar")->click();
    EXPECT_EQ(w->Rejilla().MitadLadoMuestra, 40);
    Boton("cmdIzquierda")->click();
    Boton("cmdArriba")->click();
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseX, 0.0);
    EXPECT_NEAR(w->Rejilla().DesfaseY, 0.002, 1e-15);

    // Home resets everything but the half side.
    Tecla(w, Qt::Key_Home);
    EXPECT_EQ(w->Rejilla().MargenIzquierdo, Evaluador::MargenIzquierdoDefecto);
    EXPECT_EQ(w->Rejilla().DesfaseY, 0.0);
    EXPECT_EQ(w->Rejilla().MitadLadoMuestra, 40);

    // Dragging by (10, -5) box pixels over a 516 x 520 view moves both ways.
    Raton(QEvent::MouseButtonPress, 200, 200);
    Raton(QEvent::MouseMove, 210, 195);
    Raton(QEvent::MouseMove, 210, 195);
    Raton(QEvent::MouseButtonRelease, 210, 195);
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseX, 10.0 / 516);
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseY, -5.0 / 520);
    Raton(QEvent::MouseMove, 300, 300);
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseX, 10.0 / 516);
    // The right button does not drag.
    Raton(QEvent::MouseButtonPress, 100, 100, Qt::RightButton);
    Raton(QEvent::MouseMove, 120, 120, Qt::RightButton);
    EXPECT_DOUBLE_EQ(w->Rejilla().DesfaseX, 10.0 / 516);

    // A new scan resets margins and offsets but not the half side.
    Cargar(Guardar(Carta(Identidad), QStringLiteral("otra.png")));
    EXPECT_EQ(w->Rejilla().DesfaseX, 0.0);
    EXPECT_EQ(w->Rejilla().MitadLadoMuestra, 40);
}

TEST_F(Evaluador_, GeneratesListsAndInstallsTheCurve)
{
    EditorFalso editor;
    modEngine::GuardarDeshacer();
    Cargar(Guardar(Carta(Identidad), QStringLiteral("carta.png")));
    Boton("cmdGenerarCurva")->click();
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    ASSERT_TRUE(w->CurvaGenerada());

    auto *lista = w->findChild<QListWidget *>(QStringLiteral("lstMuestras"));
    ASSERT_EQ(lista->count(), 101);
    EXPECT_EQ(lista->item(0)->text(), QStringLiteral("Muestra 000%  Raw=255.0  Corr=255.0  Norm=255"));
    EXPECT_EQ(lista->item(100)->text(), QStringLiteral("Muestra 100%  Raw=0.0  Corr=0.0  Norm=0"));
    EXPECT_EQ(Etiqueta("lblResultado")->text(), QStringLiteral("Rango dinámico: 0.0 - 255.0\nCurva: 14 puntos"));

    // A perfect print needs no correction.
    const Evaluador::PuntosCurva &p = w->Puntos();
    ASSERT_EQ(p.NumPuntosCurva, 14);
    for (int k = 0; k < 14; ++k) EXPECT_NEAR(p.PuntoCurvaY[k], p.PuntoCurvaX[k], 1) << k;
    EXPECT_EQ(modEngine::NumPuntos[0], 14);
    EXPECT_EQ(modEngine::CanalActual, 0);
    EXPECT_EQ(modEngine::NumeroDeshacer(), 1);
    EXPECT_EQ(editor.refrescos, 1);
    EXPECT_TRUE(Boton("cmdGrabaCurva")->isEnabled());
    EXPECT_TRUE(Boton("cmdEnviarCurvaEditor")->isEnabled());
    EXPECT_TRUE(Etiqueta("lblRejilla")->isVisibleTo(w));

    // The language switch keeps the result.
    w->AplicarIdioma();
    EXPECT_TRUE(Etiqueta("lblResultado")->text().startsWith(QStringLiteral("Rango dinámico: 0.0")));
}

TEST_F(Evaluador_, FailuresLeaveEverythingAsItWas)
{
    // A print that comes out flat: no curve can be made.
    Cargar(Guardar(Carta([](int) { return 200; }, 200), QStringLiteral("plana.png")));
    const int32_t version = modEngine::VersionCurva;
    Boton("cmdGenerarCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("No se pudo calcular una curva válida. Verifique el escaneo."));
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
    EXPECT_FALSE(w->CurvaGenerada());
    EXPECT_FALSE(Boton("cmdGrabaCurva")->isEnabled());
    EXPECT_EQ(modEngine::VersionCurva, version);
    EXPECT_FALSE(Etiqueta("lblRejilla")->isVisibleTo(w));

    // A good scan and curve, then a corrupt file: the scan stays loaded.
    Cargar(Guardar(Carta(Identidad), QStringLiteral("buena.png")));
    Boton("cmdGenerarCurva")->click();
    ASSERT_TRUE(w->CurvaGenerada());
    const QString malo = dir.filePath(QStringLiteral("mala.png"));
    {
        QFile f(malo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("esto no es una imagen");
    }
    cajas.llamadas.clear();
    Cargar(malo);
    EXPECT_EQ(cajas.llamadas.size(), 1);
    EXPECT_TRUE(modImage::HayEscaneo);
    EXPECT_TRUE(w->EscaneoCargado());
    EXPECT_EQ(Etiqueta("lblCartaTitulo")->text(), QStringLiteral("Escaneo: buena.png"));
    EXPECT_EQ(modImage::AnchoEscaneo, 1173);

    // Squares pushed off the scan stop the run before anything changes.
    for (int i = 0; i < 40; ++i) Tecla(w, Qt::Key_Down);
    const int16_t antes = w->Puntos().NumPuntosCurva;
    cajas.llamadas.clear();
    Boton("cmdGenerarCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("La muestra del parche 100% queda fuera del escaneo. Ajuste la rejilla."));
    EXPECT_EQ(w->Puntos().NumPuntosCurva, antes);
    EXPECT_EQ(w->findChild<QListWidget *>(QStringLiteral("lstMuestras"))->count(), 101);
}

TEST_F(Evaluador_, TinyScanIsLoadedButNotDrawnOver)
{
    QImage img(9, 40, QImage::Format_RGB888);
    img.fill(Qt::white);
    Cargar(Guardar(img, QStringLiteral("estrecha.png")));
    ASSERT_TRUE(w->EscaneoCargado());
    const QImage &s = Caja()->S().Imagen();
    for (int y = 0; y < s.height(); y += 3)
        for (int x = 0; x < s.width(); x += 3) ASSERT_NE(ColorRef::DeQRgb(s.pixel(x, y)), ColorRef::RGB(255, 0, 0));
    Boton("cmdGenerarCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Imagen demasiado pequena para muestrear."));
}

TEST_F(Evaluador_, DarkPaperWarnsAndTheRunGoesOn)
{
    Cargar(Guardar(Carta([](int g) { return g / 2; }, 120), QStringLiteral("oscura.png")));
    Boton("cmdGenerarCurva")->click();
    ASSERT_GE(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Atencion: el color del papel medido es [127,127,127]\r\n"
                                                      "Es inusualmente oscuro. ¿escaneaste un negativo?"));
    EXPECT_TRUE(w->CurvaGenerada());
}

TEST_F(Evaluador_, ExportsTheCurveAsAcv)
{
    Cargar(Guardar(Carta([](int g) { return g * g / 255; }), QStringLiteral("carta.png")));
    Boton("cmdGenerarCurva")->click();
    ASSERT_TRUE(w->CurvaGenerada());

    // A name typed without the extension gets ".acv".
    dialogos.Responder(dir.filePath(QStringLiteral("mi_curva")));
    Boton("cmdGrabaCurva")->click();
    const QString ruta = dir.filePath(QStringLiteral("mi_curva.acv"));
    const Dialogos::Peticion &p = dialogos.peticiones.last();
    EXPECT_EQ(p.titulo, QStringLiteral("Exportar curva ACV"));
    EXPECT_EQ(p.nombreArchivo, QStringLiteral("Curva_Generada"));
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Curva exportada a:\r\n") + ruta);
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    EXPECT_EQ(bytes, modEngine::BytesACV());
    // Version 4, four curves, then the master's count and its first pair
    // (output, input) = (0, 0).
    EXPECT_EQ(bytes.left(6), QByteArray("\x00\x04\x00\x04\x00\x0e", 6));
    EXPECT_EQ(Ajustes::GetSetting(QStringLiteral("DialogFolders"), QStringLiteral("Curva")), dir.path());

    // Typing the same name again asks before replacing; No keeps the file.
    QFile(ruta).open(QIODevice::WriteOnly | QIODevice::Truncate);
    cajas.llamadas.clear();
    cajas.Responder(MsgBox::No);
    dialogos.Responder(dir.filePath(QStringLiteral("mi_curva")));
    Boton("cmdGrabaCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].Botones(), MsgBox::YesNo);
    EXPECT_EQ(QFileInfo(ruta).size(), 0);

    // Upper-case ".ACV" is kept as typed.
    cajas.llamadas.clear();
    dialogos.Responder(dir.filePath(QStringLiteral("OTRA.ACV")));
    Boton("cmdGrabaCurva")->click();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("OTRA.ACV"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("OTRA.ACV.acv"))));

    // A folder that does not exist: the writer reports it, no success notice.
    cajas.llamadas.clear();
    dialogos.Responder(dir.filePath(QStringLiteral("no_existe/curva.acv")));
    Boton("cmdGrabaCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_FALSE(cajas.llamadas[0].texto.startsWith(QStringLiteral("Curva exportada")));

    // Read back, the points are those generated.
    modEngine::ReiniciarCurvas();
    modEngine::GuardarDeshacer();
    ASSERT_TRUE(modEngine::ImportarCurvaACV(dir.filePath(QStringLiteral("OTRA.ACV"))));
    ASSERT_EQ(modEngine::NumPuntos[0], w->Puntos().NumPuntosCurva);
    for (int k = 0; k < w->Puntos().NumPuntosCurva; ++k) {
        EXPECT_EQ(modEngine::PuntoX[0][k], w->Puntos().PuntoCurvaX[k]);
        EXPECT_EQ(modEngine::PuntoY[0][k], w->Puntos().PuntoCurvaY[k]);
    }
}

TEST_F(Evaluador_, HandsTheCurveToTheEditor)
{
    EditorFalso editor;
    editor.tiene = true;
    Cargar(Guardar(Carta([](int g) { return g * g / 255; }), QStringLiteral("carta.png")));
    Boton("cmdGenerarCurva")->click();
    ASSERT_TRUE(w->CurvaGenerada());

    // The editor already holds a curve: No changes nothing.
    cajas.Responder(MsgBox::No);
    Boton("cmdEnviarCurvaEditor")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("El editor ya contiene una curva.\r\n"
                                                      "¿Desea sustituirla por la curva generada?"));
    EXPECT_EQ(cajas.llamadas[0].estilo, 292);
    EXPECT_EQ(cajas.llamadas[0].titulo, QStringLiteral("Enviar curva a editor"));
    EXPECT_EQ(editor.recibidos, -1);

    cajas.Responder(MsgBox::Yes);
    Boton("cmdEnviarCurvaEditor")->click();
    ASSERT_EQ(editor.recibidos, w->Puntos().NumPuntosCurva);
    for (int k = 0; k < editor.recibidos; ++k) {
        EXPECT_EQ(editor.puntos[k].first, w->Puntos().PuntoCurvaX[k]);
        EXPECT_EQ(editor.puntos[k].second, w->Puntos().PuntoCurvaY[k]);
    }

    // An empty editor is not asked about.
    editor.tiene = false;
    editor.puntos.clear();
    cajas.llamadas.clear();
    Boton("cmdEnviarCurvaEditor")->click();
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_EQ(editor.puntos.size(), w->Puntos().NumPuntosCurva);
}

TEST_F(Evaluador_, NothingStartsOrClosesDuringALongOperation)
{
    Cargar(Guardar(Carta(Identidad), QStringLiteral("carta.png")));
    ASSERT_TRUE(w->EscaneoCargado());
    {
        GuardaOcupado ocupado;
        Boton("cmdGenerarCurva")->click();
        EXPECT_FALSE(w->CurvaGenerada());
        Cargar(Guardar(Carta(Identidad), QStringLiteral("otra.png")));
        EXPECT_EQ(Etiqueta("lblCartaTitulo")->text(), QStringLiteral("Escaneo: carta.png"));
        EXPECT_FALSE(w->close());
        EXPECT_TRUE(cajas.llamadas.isEmpty());
    }
    Boton("cmdGenerarCurva")->click();
    EXPECT_TRUE(w->CurvaGenerada());
}

TEST(EvaluadorMenu, OpensOnceFromTheMainWindowInBothLanguages)
{
    MDIForm1 frame;
    RegistrarVentanasCalibracion(frame);
    QWidget *a = frame.MostrarVentana(QStringLiteral("frmEvaluarEscaneo"));
    ASSERT_NE(dynamic_cast<frmEvaluarEscaneo *>(a), nullptr);
    EXPECT_EQ(frame.MostrarVentana(QStringLiteral("frmEvaluarEscaneo")), a);

    modIdioma::CambiarIdioma(QStringLiteral("en"));
    EXPECT_EQ(a->windowTitle(), QStringLiteral("Evaluate scan and generate curve"));
    EXPECT_EQ(a->findChild<QPushButton *>(QStringLiteral("cmdCargarEscaneo"))->text(), QStringLiteral("Load scan"));
    EXPECT_EQ(a->findChild<QLabel *>(QStringLiteral("lblResultado"))->text(), QStringLiteral("Dynamic range: -"));
    EXPECT_EQ(a->findChild<QPushButton *>(QStringLiteral("cmdAgrandar"))->toolTip(), QStringLiteral("Increase size"));
    modIdioma::CambiarIdioma(QStringLiteral("es"));
    EXPECT_EQ(a->findChild<QLabel *>(QStringLiteral("lblInfoTitulo"))->text(), QStringLiteral("Informacion de muestras"));
}
