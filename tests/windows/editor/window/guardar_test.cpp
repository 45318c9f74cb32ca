// The editor's Save, driven through the real save-options dialog: the file
// must hold exactly the curve-applied sample the preview shows.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "imaging/aplicar.h"
#include "imaging/modimage.h"
#include "output/frmguardaropciones.h"
#include "support/scripted.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <FreeImage.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>

namespace {

class GuardarProcesada : public ::testing::Test {
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
    }

    template <class W = QWidget>
    W *En(QWidget *padre, const char *nombre)
    {
        W *c = padre->findChild<W *>(QString::fromLatin1(nombre));
        EXPECT_TRUE(c) << nombre;
        return c;
    }

    // A 61 x 23 sample (odd width: rows carry padding) with a ramp and two
    // colours, loaded through the editor's own button.
    void CargarMuestra()
    {
        QImage img(61, 23, QImage::Format_RGB888);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixelColor(x, y, x < 30 ? QColor(x * 8, 255 - y * 10, 40) : QColor(200, 60, y * 11));
        origen = dir.filePath(QStringLiteral("muestra.png"));
        ASSERT_TRUE(img.save(origen));
        dialogos.Responder(origen);
        En<QPushButton>(w, "cmdCargarImagenAProcesar")->click();
        ASSERT_TRUE(modImage::HayMuestra);
        const int xs[] = {0, 90, 255}, ys[] = {20, 150, 230};
        w->RecibirCurvaGenerada(xs, ys, 3);
    }

    // Presses Save and, inside the modal dialog, runs the user's choices.
    void Guardar(const std::function<void(frmGuardarOpciones &)> &eleccion)
    {
        QTimer::singleShot(0, w, [&] {
            frmGuardarOpciones &d = frmGuardarOpciones::Instancia();
            eleccion(d);
            if (d.isVisible()) {
                ADD_FAILURE() << "the save options are still open";
                d.hide();
            }
        });
        ASSERT_TRUE(En<QPushButton>(w, "cmdGuardarImagenCurva")->isEnabled());
        En<QPushButton>(w, "cmdGuardarImagenCurva")->click();
    }

    void Elegir(frmGuardarOpciones &d, const char *opcion, const QString &nombre)
    {
        En<QRadioButton>(&d, opcion)->click();
        En<QLineEdit>(&d, "txtNombre")->setText(nombre);
    }

    // What the file must hold: the working copy through the current tables
    // and flags.
    static modImage::Pixeles Esperado()
    {
        modImage::Pixeles out(modImage::PixelesMuestra.size());
        modImage::AplicarCurvaBuffer(modImage::PixelesMuestra.data(), out.data(), modImage::AnchoMuestra,
                                     modImage::AltoMuestra, modImage::PasoMuestra, true, 0);
        return out;
    }

    // Largest difference between the file's pixels and the expected ones
    // (or the mean difference, for lossy files).
    static double Diferencia(const QString &ruta, const modImage::Pixeles &esperado, bool media = false)
    {
        const QByteArray nombre = QFile::encodeName(ruta);
        FIBITMAP *b = FreeImage_Load(FreeImage_GetFileType(nombre.constData()), nombre.constData());
        if (!b) return 1000;
        FIBITMAP *b24 = FreeImage_ConvertTo24Bits(b);
        FreeImage_Unload(b);
        int peor = 0;
        double suma = 0;
        if (static_cast<int>(FreeImage_GetWidth(b24)) != modImage::AnchoMuestra ||
            static_cast<int>(FreeImage_GetHeight(b24)) != modImage::AltoMuestra) {
            peor = 1000;
        } else {
            for (int y = 0; y < modImage::AltoMuestra; ++y) {
                const BYTE *fila = FreeImage_GetScanLine(b24, y);
                const uint8_t *esp = esperado.data() + static_cast<size_t>(y) * modImage::PasoMuestra;
                for (int i = 0; i < modImage::AnchoMuestra * 3; ++i) {
                    peor = std::max(peor, std::abs(fila[i] - esp[i]));
                    suma += std::abs(fila[i] - esp[i]);
                }
            }
        }
        FreeImage_Unload(b24);
        if (media && peor < 1000) return suma / (3.0 * modImage::AnchoMuestra * modImage::AltoMuestra);
        return peor;
    }

    QTemporaryDir dir;
    QString origen;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    MDIForm1 frame;
    frmEditarAplicarCurva *w = nullptr;
};

} // namespace

TEST_F(GuardarProcesada, SinMuestraAvisaYNoAbreElDialogo)
{
    w->cmdGuardarImagenCurva_Click();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("No hay imagen de muestra cargada."));
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);
    EXPECT_EQ(cajas.llamadas[0].titulo, QStringLiteral("ZOLV Halvora"));
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmGuardarOpciones")), nullptr);
}

TEST_F(GuardarProcesada, CadaFormatoGuardaLaMuestraConLaCurvaAplicada)
{
    CargarMuestra();
    En<QCheckBox>(w, "chkInvertirTonos")->click();
    En<QCheckBox>(w, "chkInvertirHorizontal")->click();
    const modImage::Pixeles esperado = Esperado();
    const modImage::Pixeles antes = modImage::PixelesMuestra;

    const struct {
        const char *opcion;
        const char *nombre;
        int tolerancia;
        std::function<void(frmGuardarOpciones &)> ajustes;
    } casos[] = {
        {"optBMP", "p.bmp", 0, {}},
        {"optPNG", "p.png", 0, {}},
        {"optTIFF", "p.tif", 0, {}},
        {"optWEBP", "p.webp", 0,
         [this](frmGuardarOpciones &d) {
             if (!En<QCheckBox>(&d, "chkWebpLossless")->isChecked()) En<QCheckBox>(&d, "chkWebpLossless")->click();
         }},
        // JPEG: within its loss, on average (sharp colour edges smear).
        {"optJPEG", "p.jpg", 6, {}},
    };
    for (const auto &c : casos) {
        const QString ruta = dir.filePath(QString::fromLatin1(c.nombre));
        cajas.llamadas.clear();
        Guardar([&](frmGuardarOpciones &d) {
            Elegir(d, c.opcion, QString::fromLatin1(c.nombre));
            if (c.ajustes) c.ajustes(d);
            En<QPushButton>(&d, "cmdAceptar")->click();
        });
        ASSERT_EQ(cajas.llamadas.size(), 1) << c.nombre;
        EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Imagen guardada correctamente:\r\n") + ruta);
        EXPECT_EQ(cajas.llamadas[0].titulo, QStringLiteral("Guardar imagen"));
        EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);
        EXPECT_LE(Diferencia(ruta, esperado, c.tolerancia > 0), c.tolerancia) << c.nombre;
    }
    // The sample itself is never touched, and no progress window is left.
    EXPECT_EQ(modImage::PixelesMuestra, antes);
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmProgresoCarga")), nullptr);
}

TEST_F(GuardarProcesada, CancelarNoGuardaNadaYReemplazarSePregunta)
{
    CargarMuestra();
    const QString ruta = dir.filePath(QStringLiteral("ya.png"));
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("anterior");
    }

    // Cancel: nothing shown, nothing written.
    Guardar([&](frmGuardarOpciones &d) {
        Elegir(d, "optPNG", QStringLiteral("nuevo.png"));
        En<QPushButton>(&d, "cmdCancelar")->click();
    });
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("nuevo.png"))));

    // An existing file: No keeps it (the dialog stays open until cancelled).
    cajas.Responder(MsgBox::No);
    Guardar([&](frmGuardarOpciones &d) {
        Elegir(d, "optPNG", QStringLiteral("ya.png"));
        En<QPushButton>(&d, "cmdAceptar")->click();
        En<QPushButton>(&d, "cmdCancelar")->click();
    });
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].Icono() | cajas.llamadas[0].Botones(), MsgBox::Exclamation | MsgBox::YesNo);
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("anterior"));
    f.close();

    // Yes replaces it with the processed image.
    cajas.llamadas.clear();
    cajas.Responder(MsgBox::Yes);
    Guardar([&](frmGuardarOpciones &d) {
        Elegir(d, "optPNG", QStringLiteral("ya.png"));
        En<QPushButton>(&d, "cmdAceptar")->click();
    });
    ASSERT_EQ(cajas.llamadas.size(), 2);
    EXPECT_EQ(cajas.llamadas[1].texto, QStringLiteral("Imagen guardada correctamente:\r\n") + ruta);
    EXPECT_EQ(Diferencia(ruta, Esperado()), 0);
}
