// The editor's Save through the real save-options dialog: the file must hold
// exactly the curve-applied sample the preview shows.

#include "ayuda_editor.h"

#include "imaging/cargar.h"
#include "output/frmguardaropciones.h"
#include "platform/numbers.h"

#include <QLineEdit>

#include <cstdlib>
#include <functional>

namespace {

class GuardarProcesada : public EditorAbierto {
protected:
    // 61 x 23 (odd width: rows carry padding), a ramp and two colours, with a curve.
    void CargarRampa()
    {
        QImage img(61, 23, QImage::Format_RGB888);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixelColor(x, y, x < 30 ? QColor(x * 8, 255 - y * 10, 40) : QColor(200, 60, y * 11));
        ASSERT_TRUE(img.save(dir.filePath(QStringLiteral("muestra.png"))));
        CargarMuestra(dir.filePath(QStringLiteral("muestra.png")));
        ASSERT_TRUE(modImage::HayMuestra);
        Recibir({0, 90, 255}, {20, 150, 230});
    }

    // Presses Save and runs the user's choices inside the modal dialog: the
    // format, the name, then the buttons.
    void Guardar(const char *opcion, const QString &nombre, std::initializer_list<const char *> botones,
                 const std::function<void(frmGuardarOpciones &)> &ajustes = {})
    {
        const QList<const char *> pulsar(botones);
        QTimer::singleShot(0, w, [=, this] {
            frmGuardarOpciones &d = frmGuardarOpciones::Instancia();
            C<QRadioButton>(opcion, &d)->click();
            C<QLineEdit>("txtNombre", &d)->setText(nombre);
            if (ajustes) ajustes(d);
            for (const char *b : pulsar) C<QPushButton>(b, &d)->click();
            if (d.isVisible()) {
                ADD_FAILURE() << "the save options are still open";
                d.hide();
            }
        });
        ASSERT_TRUE(Boton("cmdGuardarImagenCurva")->isEnabled());
        Boton("cmdGuardarImagenCurva")->click();
    }

    // The working copy through the current tables and flags.
    static modImage::Pixeles Esperado()
    {
        modImage::Pixeles out(modImage::PixelesMuestra.size());
        modImage::AplicarCurvaBuffer(modImage::PixelesMuestra.data(), out.data(), modImage::AnchoMuestra,
                                     modImage::AltoMuestra, modImage::PasoMuestra, true, 0);
        return out;
    }

    // Largest difference between the file, loaded as the program loads a scan,
    // and the expected pixels; the mean one for lossy files (1000: unreadable).
    static double Diferencia(const QString &ruta, const modImage::Pixeles &esperado, bool media = false)
    {
        using namespace modImage;
        if (!CargarImagenEscaneo(ruta, nullptr) || AnchoEscaneo != AnchoMuestra || AltoEscaneo != AltoMuestra) return 1000;
        int peor = 0;
        double suma = 0;
        for (int y = 0; y < AltoMuestra; ++y)
            for (int i = y * PasoMuestra, fin = i + 3 * AnchoMuestra; i < fin; ++i) {
                const int d = std::abs(PixelesEscaneo.at(i) - esperado[i]);
                peor = std::max(peor, d), suma += d;
            }
        return media ? suma / (3.0 * AnchoMuestra * AltoMuestra) : peor;
    }
};

} // namespace

TEST_F(GuardarProcesada, EachFormatHoldsTheSampleWithTheCurveApplied)
{
    CargarRampa();
    C<QCheckBox>("chkInvertirTonos")->click();
    C<QCheckBox>("chkInvertirHorizontal")->click();
    const modImage::Pixeles esperado = Esperado();
    const modImage::Pixeles antes(modImage::PixelesMuestra.begin(), modImage::PixelesMuestra.end());
    const struct { const char *opcion, *nombre; int tolerancia; std::function<void(frmGuardarOpciones &)> ajustes; } casos[] = {
        {"optBMP", "p.bmp", 0, {}}, {"optPNG", "p.png", 0, {}}, {"optTIFF", "p.tif", 0, {}},
        {"optWEBP", "p.webp", 0, [this](frmGuardarOpciones &d) { C<QCheckBox>("chkWebpLossless", &d)->setChecked(true); }},
        {"optJPEG", "p.jpg", 6, {}}, // within its loss, on average
    };
    for (const auto &c : casos) {
        const QString ruta = dir.filePath(QString::fromLatin1(c.nombre));
        cajas.llamadas.clear();
        Guardar(c.opcion, QString::fromLatin1(c.nombre), {"cmdAceptar"}, c.ajustes);
        ASSERT_EQ(cajas.llamadas.size(), 1) << c.nombre;
        EXPECT_EQ((std::pair{cajas.llamadas[0].texto, cajas.llamadas[0].titulo}),
                  (std::pair{"Imagen guardada correctamente:\r\n" + ruta, QStringLiteral("Guardar imagen")}));
        EXPECT_LE(Diferencia(ruta, esperado, c.tolerancia > 0), c.tolerancia) << c.nombre;
    }
    // The sample itself is never touched, and no progress window is left.
    EXPECT_TRUE(modImage::PixelesMuestra == antes && !Ventanas::Buscar(QStringLiteral("frmProgresoCarga")));
}

TEST_F(GuardarProcesada, PreviewAndFileTakeTheWholeCurveWhicheverChannelIsShown)
{
    using namespace modEngine;
    CargarDosColores();
    Recibir({0, 128, 255}, {0, 170, 255});
    const Tabla256 m = TablaDe(0, {{0, 0}, {128, 170}, {255, 255}});
    const auto pixel = [this](const QString &nombre, int x, int y) {
        const QRgb c = QImage(dir.filePath(nombre)).pixel(x, y);
        return BGR(qRed(c), qGreen(c), qBlue(c));
    };
    // R shown, nothing edited: the master curve alone, grey stays grey.
    C<QRadioButton>("optR")->click();
    Guardar("optPNG", QStringLiteral("r.png"), {"cmdAceptar"});
    EXPECT_EQ(pixel(QStringLiteral("r.png"), 0, 0), BGR(m[200], m[50], m[10]));
    // A red edit (output white 126) made on R, then RGB shown again: red after master.
    ArrastrarNivel(w->picSliderOut(), 175, 87);
    ASSERT_EQ(SalidaBlanco[1], 126);
    const auto r = [&](int v) { return Numeros::CLng(m[v] * 126 / 255.0); };
    const uint32_t izquierda = BGR(r(200), m[50], m[10]), derecha = BGR(r(20), m[100], m[240]);
    for (const char *canal : {"optRGB", "optR", "optG", "optB"}) {
        C<QRadioButton>(canal)->click();
        const QString nombre = QString::fromLatin1(canal) + QStringLiteral(".png");
        Guardar("optPNG", nombre, {"cmdAceptar"});
        EXPECT_EQ((std::array{pixel(nombre, 0, 0), pixel(nombre, 63, 31), Preview(100, 240), Preview(340, 240)}),
                  (std::array{izquierda, derecha, izquierda, derecha})) << canal;
    }
}

TEST_F(GuardarProcesada, WithoutASampleNoDialogCancelSavesNothingAndReplacingIsAsked)
{
    w->cmdGuardarImagenCurva_Click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ((std::tuple{cajas.llamadas[0].texto, cajas.llamadas[0].titulo, cajas.llamadas[0].Icono()}),
              (std::tuple{QStringLiteral("No hay imagen de muestra cargada."), QStringLiteral("ZOLV Halvora"), int(MsgBox::Information)}));
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmGuardarOpciones")), nullptr);

    cajas.llamadas.clear();
    CargarRampa();
    const QString ruta = Archivo(QStringLiteral("ya.png"), "anterior");
    Guardar("optPNG", QStringLiteral("nuevo.png"), {"cmdCancelar"});
    EXPECT_TRUE(cajas.llamadas.isEmpty() && !QFile::exists(dir.filePath(QStringLiteral("nuevo.png"))));

    // No keeps the file (the dialog stays open until cancelled); Yes replaces it.
    cajas.Responder(MsgBox::No);
    Guardar("optPNG", QStringLiteral("ya.png"), {"cmdAceptar", "cmdCancelar"});
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ((std::pair{cajas.llamadas[0].Icono() | cajas.llamadas[0].Botones(), Leer(ruta)}),
              (std::pair{MsgBox::Exclamation | MsgBox::YesNo, QByteArray("anterior")}));
    cajas.Responder(MsgBox::Yes);
    Guardar("optPNG", QStringLiteral("ya.png"), {"cmdAceptar"});
    ASSERT_EQ(cajas.llamadas.size(), 3);
    EXPECT_EQ(cajas.llamadas[2].texto, QStringLiteral("Imagen guardada correctamente:\r\n") + ruta);
    EXPECT_EQ(Diferencia(ruta, Esperado()), 0);
}

TEST_F(GuardarProcesada, AResetClickedDuringTheSaveIsDropped)
{
    CargarRampa();
    const Puntos curva = DelCanal(0);
    const modImage::Pixeles esperado = Esperado();
    // The user clicks Reset as soon as the progress window appears.
    struct AlMostrarse : QObject {
        QPushButton *reset;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (e->type() == QEvent::Show && o->objectName() == QStringLiteral("frmProgresoCarga"))
                for (auto [tipo, botones] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton}, {QEvent::MouseButtonRelease, Qt::NoButton}})
                    QCoreApplication::postEvent(reset, new QMouseEvent(tipo, QPointF(5, 5), reset->mapToGlobal(QPointF(5, 5)),
                                                                       Qt::LeftButton, botones, Qt::NoModifier));
            return false;
        }
    } clic;
    clic.reset = Boton("cmdReset");
    qApp->installEventFilter(&clic);
    Guardar("optPNG", QStringLiteral("r.png"), {"cmdAceptar"});
    qApp->removeEventFilter(&clic);
    QCoreApplication::processEvents();
    // Neither during the save nor after it.
    EXPECT_EQ((std::pair{DelCanal(0), Diferencia(dir.filePath(QStringLiteral("r.png")), esperado)}), (std::pair{curva, 0.0}));
}
