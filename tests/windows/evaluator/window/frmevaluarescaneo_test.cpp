// The scan evaluator driven through its controls on the offscreen platform.

#include "windows/evaluator/frmevaluarescaneo.h"

#include "app/idioma.h"
#include "app/ventanas.h"
#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "imaging/modimage.h"
#include "platform/colorref.h"
#include "platform/progress.h"
#include "platform/settings.h"
#include "support/carta.h"
#include "support/scripted.h"
#include "support/sistema.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QtEndian>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

namespace {

QImage Carta(const std::function<int(int)> &respuesta, int papel = 255) { return CartaEscaneada(respuesta, papel); }
const auto Identidad = [](int g) { return g; };
const auto Oscura = [](int g) { return g * g / 255; };

// A curve editor stand-in that counts its refreshes (the hand-over to the
// real editor is the editor's tests' concern).
class EditorFalso : public QWidget, public EditorCurva {
public:
    EditorFalso() { setObjectName(QStringLiteral("frmEditarAplicarCurva")), Ventanas::Registrar(this); }
    ~EditorFalso() override { Ventanas::Quitar(this); }
    bool TieneCurvaCargada() const override { return false; }
    void RecibirCurvaGenerada(const int *, const int *, int) override {}
    void RefrescarDesdeCurvaCompartida() override { ++refrescos; }
    int refrescos = 0;
};

class Evaluador_ : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        w = std::make_unique<frmEvaluarEscaneo>(), w->show();
    }
    // Saves the picture as a scan and loads it through the dialog.
    void Cargar(const QImage &img, const QString &nombre = QStringLiteral("carta.png"))
    {
        if (!img.isNull() && !img.save(dir.filePath(nombre))) ADD_FAILURE() << "cannot save " << nombre.toStdString();
        dialogos.Responder(nombre.isEmpty() ? QString() : dir.filePath(nombre));
        Boton("cmdCargarEscaneo")->click();
    }
    // The same as ImageMagick saves a scan by default: a BMP whose info header
    // is the 124-byte one.
    void CargarBMP5(const QImage &img, const QString &nombre)
    {
        QBuffer buffer;
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && img.save(&buffer, "BMP"));
        QByteArray bmp = buffer.data();
        ASSERT_EQ(bmp[14], char(40));
        const int mascaras = bmp[30] == 3 ? 12 : 0, mas = 124 - 40 - mascaras;
        bmp.insert(54 + mascaras, QByteArray(mas, '\0'));
        const auto campo = [&bmp](int o, int suma) { qToLittleEndian(qFromLittleEndian<quint32>(bmp.constData() + o) + suma, bmp.data() + o); };
        campo(2, mas), campo(10, mas), campo(14, 124 - 40);
        Poner(dir.filePath(nombre), bmp);
        Cargar(QImage(), nombre);
    }
    QPushButton *Boton(const char *n) { return w->findChild<QPushButton *>(QString::fromLatin1(n)); }
    QLabel *Etiqueta(const char *n) { return w->findChild<QLabel *>(QString::fromLatin1(n)); }
    QListWidget *Lista() { return w->findChild<QListWidget *>(QStringLiteral("lstMuestras")); }
    PictureBox *Caja() { return w->findChild<PictureBox *>(QStringLiteral("picCartaGris")); }
    void Tecla(QWidget *destino, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(destino, &e);
    }
    void Raton(QEvent::Type t, int x, int y, Qt::MouseButton b = Qt::LeftButton)
    {
        const QPointF p(x, y);
        QMouseEvent e(t, p, Caja()->mapToGlobal(p), b, t == QEvent::MouseButtonRelease ? Qt::NoButton : b, Qt::NoModifier);
        QApplication::sendEvent(Caja(), &e);
    }
    void Generar()
    {
        Boton("cmdGenerarCurva")->click();
        ASSERT_TRUE(w->CurvaGenerada());
    }

    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    std::unique_ptr<frmEvaluarEscaneo> w;
};

} // namespace

TEST_F(Evaluador_, CargaYMuestraLaRejillaSobreElEscaneo)
{
    EXPECT_EQ(Etiqueta("lblResultado")->text(), QStringLiteral("Rango dinámico: -"));
    EXPECT_FALSE(Boton("cmdGenerarCurva")->isEnabled() || Boton("cmdGrabaCurva")->isEnabled() ||
                 Boton("cmdEnviarCurvaEditor")->isEnabled() || Boton("cmdIzquierda")->isEnabled());
    EXPECT_EQ(w->MetodoMuestreo(), Evaluador::MetodoMediana);
    // Keys, mouse and Generate do nothing before a scan is loaded; a
    // cancelled dialog loads nothing.
    Tecla(w.get(), Qt::Key_Left);
    Raton(QEvent::MouseButtonPress, 10, 10), Raton(QEvent::MouseMove, 40, 40);
    EXPECT_EQ(w->Rejilla().DesfaseX, 0.0);
    w->cmdGenerarCurva_Click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Primero cargue un escaneo de la carta."));
    Cargar(QImage(), QString());
    EXPECT_FALSE(w->EscaneoCargado());

    Cargar(Carta(Identidad));
    ASSERT_TRUE(w->EscaneoCargado());
    const Dialogos::Peticion &p = dialogos.peticiones.last();
    EXPECT_EQ(QStringList({p.titulo, p.filtros[0].patrones, Ajustes::GetSetting("DialogFolders", "Escaneo"),
                           Etiqueta("lblCartaTitulo")->text(), Etiqueta("lblRejilla")->text()}),
              QStringList({"Seleccionar escaneo de carta", "*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.png;*.webp", dir.path(),
                           "Escaneo: carta.png", "Arrastra la rejilla con el raton\nCursores: mover  |  Inicio: reset"}));
    EXPECT_TRUE(Boton("cmdIzquierda")->isEnabled() && Boton("cmdGenerarCurva")->isEnabled());

    // 1173 x 1183 fitted into the 520 x 520 box: 516 x 520 at (2, 0). Patch
    // 0's square (centre 66, 135 in the scan) is centred on (31, 59); the
    // first vertical line (scan x 106) is at x 49.
    const Evaluador::Vista v = w->VistaEscaneo();
    EXPECT_EQ((std::vector<int>{v.dx, v.dy, v.dw, v.dh}), (std::vector<int>{2, 0, 516, 520}));
    const Superficie &s = Caja()->S();
    const uint32_t rojo = ColorRef::RGB(255, 0, 0), gris = ColorRef::RGB(100, 100, 100);
    EXPECT_TRUE(s.Point(31 - 13, 59) == rojo && s.Point(31 + 13, 59 + 5) == rojo && s.Point(31, 59) != rojo && s.Point(49, 100) == gris);
    // Unchecking hides the squares and the hint and disables the buttons.
    w->findChild<QCheckBox *>(QStringLiteral("chkMostrarAreasAnalizar"))->setChecked(false);
    EXPECT_TRUE(s.Point(31 - 13, 59) != rojo && s.Point(49, 100) == gris);
    EXPECT_FALSE(Boton("cmdAgrandar")->isEnabled() || Etiqueta("lblRejilla")->isVisibleTo(w.get()));

    // A scan 9 pixels wide is loaded but not drawn over.
    QImage estrecha(9, 40, QImage::Format_RGB888);
    estrecha.fill(Qt::white);
    Cargar(estrecha, QStringLiteral("estrecha.png"));
    ASSERT_TRUE(w->EscaneoCargado());
    const QImage &img = Caja()->S().Imagen();
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3) ASSERT_NE(ColorRef::DeQRgb(img.pixel(x, y)), rojo);
}

TEST_F(Evaluador_, TeclasBotonesYRatonMuevenLaRejilla)
{
    Cargar(Carta(Identidad));
    // Keys reach the window while a control has the focus; Shift moves the frame.
    for (int k : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_A}) Tecla(Lista(), k);
    Tecla(Boton("cmdGenerarCurva"), Qt::Key_Left, Qt::ShiftModifier);
    for (const char *b : {"cmdAgrandar", "cmdIzquierda", "cmdArriba"}) Boton(b)->click();
    const Evaluador::Rejilla &r = w->Rejilla();
    EXPECT_NEAR(r.MargenIzquierdo, Evaluador::MargenIzquierdoDefecto - 0.002, 1e-12);
    EXPECT_EQ((std::array{r.DesfaseX, r.DesfaseY, double(r.MitadLadoMuestra)}), (std::array{0.0, 0.002, 14.0}));
    Tecla(w.get(), Qt::Key_Home); // everything back but the half side
    EXPECT_EQ((std::array{r.MargenIzquierdo, r.DesfaseY, double(r.MitadLadoMuestra)}),
              (std::array{Evaluador::MargenIzquierdoDefecto, 0.0, 14.0}));

    // Dragging by (10, -5) box pixels over a 516 x 520 view moves both ways;
    // after the release, and with the right button, nothing moves.
    Raton(QEvent::MouseButtonPress, 200, 200), Raton(QEvent::MouseMove, 210, 195), Raton(QEvent::MouseButtonRelease, 210, 195);
    Raton(QEvent::MouseMove, 300, 300);
    Raton(QEvent::MouseButtonPress, 100, 100, Qt::RightButton), Raton(QEvent::MouseMove, 120, 120, Qt::RightButton);
    EXPECT_EQ((std::pair{r.DesfaseX, r.DesfaseY}), (std::pair{10.0 / 516, -5.0 / 520}));

    // A new scan resets margins and offsets but not the half side.
    Cargar(Carta(Identidad), QStringLiteral("otra.png"));
    EXPECT_EQ((std::pair{r.DesfaseX, int(r.MitadLadoMuestra)}), (std::pair{0.0, 14}));
}

TEST_F(Evaluador_, GeneraListaEInstalaLaCurva)
{
    EditorFalso editor;
    modEngine::GuardarDeshacer();
    CargarBMP5(Carta(Identidad), QStringLiteral("carta.bmp"));
    Generar();
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    ASSERT_EQ(Lista()->count(), 101);
    EXPECT_EQ(QStringList({Lista()->item(0)->text(), Lista()->item(100)->text()}),
              QStringList({"Muestra 000%  Raw=255.0  Corr=255.0  Norm=255", "Muestra 100%  Raw=0.0  Corr=0.0  Norm=0"}));
    EXPECT_EQ(Etiqueta("lblResultado")->text(), QStringLiteral("Rango dinámico: 0.0 - 255.0\nCurva: 14 puntos"));
    // The curve it replaced is one undo away.
    EXPECT_EQ((std::vector<int>{modEngine::NumPuntos[0], modEngine::CanalActual, modEngine::NumeroDeshacer(), editor.refrescos}),
              (std::vector<int>{14, 0, 2, 1}));
    EXPECT_TRUE(Boton("cmdGrabaCurva")->isEnabled() && Boton("cmdEnviarCurvaEditor")->isEnabled());
    modIdioma::CambiarIdioma(QStringLiteral("en")); // the language switch keeps the result
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Evaluate scan and generate curve"));
    EXPECT_TRUE(Etiqueta("lblResultado")->text().startsWith(QStringLiteral("Rango dinámico: 0.0")));
    modIdioma::CambiarIdioma(QStringLiteral("es"));
    const Superficie &curva = w->findChild<PictureBox *>(QStringLiteral("picCurve"))->S();
    EXPECT_EQ(curva.Point(128, 128), 0xFFFFFFu); // the curve over the diagonal

    // A new scan shows nothing of the last one's results until its own curve.
    Cargar(Carta([](int g) { return g / 2; }, 120), QStringLiteral("oscura.png"));
    EXPECT_EQ((std::pair{Lista()->count(), Etiqueta("lblResultado")->text()}), (std::pair{0, QStringLiteral("Rango dinámico: -")}));
    EXPECT_EQ(curva.Point(128, 128), 0x505050u); // the bare diagonal
    EXPECT_FALSE(w->CurvaGenerada() || Boton("cmdGrabaCurva")->isEnabled() || Boton("cmdEnviarCurvaEditor")->isEnabled());

    // Dark paper: the warning, and the run goes on.
    Generar();
    ASSERT_GE(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Atencion: el color del papel medido es [127,127,127]\r\n"
                                                      "Es inusualmente oscuro. ¿escaneaste un negativo?"));
}

TEST_F(Evaluador_, FallosDejanTodoComoEstaba)
{
    // A print that comes out flat gives fewer than two points: no curve.
    Cargar(Carta([](int) { return 200; }, 200), QStringLiteral("plana.png"));
    const int32_t version = modEngine::VersionCurva;
    Boton("cmdGenerarCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ((std::pair{cajas.llamadas[0].texto, cajas.llamadas[0].Icono()}),
              (std::pair{QStringLiteral("No se pudo calcular una curva válida. Verifique el escaneo."), int(MsgBox::Exclamation)}));
    EXPECT_FALSE(w->CurvaGenerada() || Boton("cmdGrabaCurva")->isEnabled() || modEngine::VersionCurva != version);

    // A good scan and curve, then a corrupt file: the scan stays loaded.
    Cargar(Carta(Identidad), QStringLiteral("buena.png"));
    Generar();
    Poner(dir.filePath(QStringLiteral("mala.png")), "esto no es una imagen");
    Cargar(QImage(), QStringLiteral("mala.png"));
    EXPECT_EQ(cajas.llamadas.size(), 2);
    EXPECT_TRUE(modImage::HayEscaneo && w->EscaneoCargado() && modImage::AnchoEscaneo == 1173);
    EXPECT_EQ(Etiqueta("lblCartaTitulo")->text(), QStringLiteral("Escaneo: buena.png"));
    // Its results are gone all the same: the user chose another scan.
    EXPECT_FALSE(w->CurvaGenerada() || Boton("cmdEnviarCurvaEditor")->isEnabled() || Lista()->count());

    // Squares pushed off the scan stop the run before anything changes.
    for (int i = 0; i < 40; ++i) Tecla(w.get(), Qt::Key_Down);
    const int16_t antes = w->Puntos().NumPuntosCurva;
    Boton("cmdGenerarCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), 3);
    EXPECT_EQ(cajas.llamadas[2].texto, QStringLiteral("La muestra del parche 100% queda fuera del escaneo. Ajuste la rejilla."));
    EXPECT_EQ((std::pair{int(w->Puntos().NumPuntosCurva), Lista()->count()}), (std::pair{int(antes), 0}));

    // Nothing starts or closes while a long operation runs.
    {
        GuardaOcupado ocupado;
        Boton("cmdGenerarCurva")->click(); // would report the squares again
        Cargar(Carta(Identidad), QStringLiteral("otra.png"));
        EXPECT_EQ(Etiqueta("lblCartaTitulo")->text(), QStringLiteral("Escaneo: buena.png"));
        EXPECT_FALSE(w->close());
        EXPECT_EQ(cajas.llamadas.size(), 3);
    }
    Tecla(w.get(), Qt::Key_Home);
    Generar();
}

TEST_F(Evaluador_, ExportaLaCurvaComoAcv)
{
    Cargar(Carta(Oscura));
    Generar();
    // A name typed without the extension gets ".acv".
    dialogos.Responder(dir.filePath(QStringLiteral("mi_curva")));
    Boton("cmdGrabaCurva")->click();
    const QString ruta = dir.filePath(QStringLiteral("mi_curva.acv"));
    EXPECT_EQ(QStringList({dialogos.peticiones.last().titulo, dialogos.peticiones.last().nombreArchivo,
                           Ajustes::GetSetting("DialogFolders", "Curva")}),
              QStringList({"Exportar curva ACV", "Curva_Generada", dir.path()}));
    ASSERT_EQ(cajas.llamadas.size(), 1);
    // The bytes written are the editor hand-over's test's (Traspaso_).
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Curva exportada a:\r\n") + ruta);

    // The same name again asks before replacing; No keeps the file.
    QFile::resize(ruta, 0);
    cajas.Responder(MsgBox::No);
    dialogos.Responder(dir.filePath(QStringLiteral("mi_curva")));
    Boton("cmdGrabaCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), 2);
    EXPECT_TRUE(cajas.llamadas[1].Botones() == MsgBox::YesNo && QFileInfo(ruta).size() == 0);
    // A folder that does not exist: reported, with no success notice.
    const int n = cajas.llamadas.size();
    dialogos.Responder(dir.filePath(QStringLiteral("no_existe/curva.acv")));
    Boton("cmdGrabaCurva")->click();
    ASSERT_EQ(cajas.llamadas.size(), n + 1);
    EXPECT_FALSE(cajas.llamadas.last().texto.startsWith(QStringLiteral("Curva exportada")));
}
