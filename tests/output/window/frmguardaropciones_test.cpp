// The save-options dialog driven as the user does: open it, choose, press
// Guardar, Cancelar or the close box, open it again.

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "output/frmguardaropciones.h"
#include "support/scripted.h"

#include <gtest/gtest.h>

#include <FreeImage.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace {

class DialogoGuardar : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // Start from the design values even when tests share a process.
        MDIForm1::DescargarVentana(&d());
        modIdioma::Idioma = QStringLiteral("es");
    }

    template <class W = QWidget>
    W *C(const char *nombre)
    {
        W *w = d().findChild<W *>(nombre);
        EXPECT_NE(w, nullptr) << nombre;
        return w;
    }
    void Clic(const char *nombre) { C<QAbstractButton>(nombre)->click(); }
    QString Nombre() { return C<QLineEdit>("txtNombre")->text(); }
    void Escribir(const char *texto) { C<QLineEdit>("txtNombre")->setText(texto); }
    bool Marcado(const char *nombre) { return C<QAbstractButton>(nombre)->isChecked(); }

    // Shows the dialog modally and runs the user's actions inside it; the
    // actions must end by hiding it (a hang would otherwise follow).
    void Usar(const QString &origen, const std::function<void()> &acciones)
    {
        d().Init(origen, nullptr);
        bool corrio = false;
        QTimer::singleShot(0, &d(), [&] {
            corrio = true;
            EXPECT_TRUE(d().isVisible() && d().isModal());
            acciones();
            if (d().isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                d().hide();
            }
        });
        d().ShowDialog();
        EXPECT_TRUE(corrio && !d().isVisible());
    }
    // The result of the last opening.
    std::tuple<bool, int, int, QString> Resultado() { return {d().Aceptado(), d().FifDestino(), d().saveFlag(), d().RutaDestino()}; }

    frmGuardarOpciones &d() { return frmGuardarOpciones::Instancia(); }
    QString Ruta(const char *nombre) { return dir.filePath(QString::fromUtf8(nombre)); }

    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
};

} // namespace

TEST_F(DialogoGuardar, PrimerUsoConOrigenTiffYSusOpciones)
{
    Usar(Ruta("retrato.TIFF"), [&] {
        EXPECT_TRUE(Marcado("optTIFF"));
        EXPECT_EQ((std::pair{Nombre(), d().CarpetaDestino()}), (std::pair{QStringLiteral("retrato _ curva aplicada.tif"), dir.path()}));

        auto *cbo = C<QComboBox>("cboTiffCompr");
        QStringList entradas;
        for (int i = 0; i < cbo->count(); ++i) entradas << cbo->itemText(i);
        EXPECT_EQ(entradas, QStringList({"Sin compresión", "LZW", "ZIP (Deflate)", "PackBits", "JPEG"}));
        EXPECT_EQ(cbo->currentIndex(), 1);
        // Only TIFF's controls are live; the predictor only for LZW and ZIP.
        for (const char *n : {"lblTiffCompr", "cboTiffCompr", "chkTiffPredictor", "chkTiffBigEndian", "scrCalidad", "chkJpegProgresivo",
                              "scrPngCompr", "lblPngHint", "scrWebpCalidad", "chkWebpLossless", "lblWebpVal"})
            EXPECT_EQ(C(n)->isEnabled(), QByteArray(n).contains("Tiff")) << n;
        cbo->setCurrentIndex(3);
        EXPECT_FALSE(C("chkTiffPredictor")->isEnabled());
        cbo->setCurrentIndex(1);

        for (const char *n : {"chkTiffPredictor", "chkTiffBigEndian", "cmdAceptar"}) Clic(n);
    });
    EXPECT_EQ(Resultado(), (std::tuple{true, 18, 0x34000, Ruta("retrato _ curva aplicada.tif")}));
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST_F(DialogoGuardar, OpcionesSeConservanYElRestoSeReiniciaAlReabrir)
{
    frmGuardarOpciones *primera = &d();
    Usar(Ruta("foto.jpg"), [&] {
        EXPECT_TRUE(Marcado("optJPEG") && Nombre() == QStringLiteral("foto _ curva aplicada.jpg"));
        C<QScrollBar>("scrCalidad")->setValue(80);
        EXPECT_EQ(C<QLabel>("lblCalidadVal")->text(), QStringLiteral("80"));
        Clic("chkJpegProgresivo");
        Clic("optPNG");
        EXPECT_EQ(Nombre(), QStringLiteral("foto _ curva aplicada.png"));
        C<QScrollBar>("scrPngCompr")->setValue(0);
        Clic("optWEBP");
        EXPECT_TRUE(C("scrWebpCalidad")->isEnabled());
        Clic("chkWebpLossless");
        EXPECT_FALSE(C("scrWebpCalidad")->isEnabled());
        Clic("cmdAceptar");
    });
    EXPECT_EQ(Resultado(), (std::tuple{true, int(FIF_WEBP), int(WEBP_LOSSLESS), Ruta("foto _ curva aplicada.webp")}));

    // Reopened for another source: result, folder, name and format start
    // again, the options stay; the close box cancels and keeps the instance.
    QTemporaryDir otra;
    const QString origen = otra.filePath(QStringLiteral("otra.png"));
    d().Init(origen, nullptr);
    // The format is kept until the next Guardar.
    EXPECT_EQ((std::tuple{d().Aceptado(), d().saveFlag(), d().FifDestino()}), (std::tuple{false, 0, int(FIF_WEBP)}));
    Usar(origen, [&] {
        EXPECT_TRUE(Marcado("optPNG"));
        EXPECT_EQ((std::pair{Nombre(), d().CarpetaDestino()}), (std::pair{QStringLiteral("otra _ curva aplicada.png"), otra.path()}));
        EXPECT_EQ(std::pair(C<QScrollBar>("scrCalidad")->value(), C<QScrollBar>("scrPngCompr")->value()), std::pair(80, 0));
        EXPECT_TRUE(Marcado("chkJpegProgresivo") && Marcado("chkWebpLossless"));
        EXPECT_FALSE(d().close()); // refused as an unload
    });
    EXPECT_FALSE(d().Aceptado());
    EXPECT_TRUE(&d() == primera && Ventanas::Buscar(QStringLiteral("frmGuardarOpciones")) == primera);

    Usar(origen, [&] { Clic("cmdAceptar"); });
    EXPECT_EQ(Resultado(), (std::tuple{true, int(FIF_PNG), int(PNG_Z_NO_COMPRESSION), otra.filePath("otra _ curva aplicada.png")}));
}

TEST_F(DialogoGuardar, SinOrigenYNombreEnBlanco)
{
    modIdioma::Idioma = QStringLiteral("en");
    Usar(QString(), [&] {
        EXPECT_TRUE(Marcado("optJPEG"));
        EXPECT_EQ((std::pair{Nombre(), d().CarpetaDestino()}),
                  (std::pair{QStringLiteral(" _ curva aplicada"), GuardarOpciones::CarpetaPorDefecto()}));
        Escribir("   ");
        Clic("cmdAceptar");
        ASSERT_EQ(cajas.llamadas.size(), 1);
        EXPECT_EQ((std::tuple{cajas.llamadas[0].texto, cajas.llamadas[0].titulo, cajas.llamadas[0].Icono()}),
                  (std::tuple{QStringLiteral("Enter a file name."), QString(), int(MsgBox::Exclamation)}));
        EXPECT_TRUE(d().isVisible() && !d().Aceptado());

        // A name with another format's extension gets the chosen format's.
        Escribir("prueba.png");
        Clic("cmdAceptar");
    });
    EXPECT_EQ(Resultado(), (std::tuple{true, int(FIF_JPEG), 92, GuardarOpciones::CarpetaPorDefecto() + QStringLiteral("/prueba.jpg")}));

    // A source the library cannot write keeps JPEG; the name box may show
    // its extension, the target still ends in ".jpg".
    Usar(Ruta("animada.gif"), [&] { Clic("cmdAceptar"); });
    EXPECT_EQ(d().RutaDestino(), Ruta("animada _ curva aplicada.jpg"));
}

TEST_F(DialogoGuardar, ExaminarEmpiezaEnLaCarpetaDelOrigen)
{
    QTemporaryDir otra;
    dialogos.Responder(QString()); // first browse cancelled
    dialogos.Responder(otra.filePath(QStringLiteral("nuevo.png")));
    Usar(Ruta("foto.webp"), [&] {
        EXPECT_TRUE(Marcado("optWEBP"));
        Clic("cmdExaminar");
        EXPECT_EQ((std::pair{Nombre(), d().CarpetaDestino()}), (std::pair{QStringLiteral("foto _ curva aplicada.webp"), dir.path()}));
        Clic("cmdExaminar");
        EXPECT_EQ((std::pair{Nombre(), d().CarpetaDestino()}), (std::pair{QStringLiteral("nuevo.png"), otra.path()}));
        EXPECT_TRUE(Marcado("optWEBP")); // the format stays
        Clic("cmdAceptar");
    });
    ASSERT_EQ(dialogos.peticiones.size(), 2);
    const Dialogos::Peticion &p = dialogos.peticiones[0];
    ASSERT_TRUE(p.guardar && p.filtros.size() == 1);
    EXPECT_EQ(QStringList({p.titulo, p.filtros[0].descripcion, p.filtros[0].patrones, p.carpetaInicial, p.nombreArchivo,
                           p.extensionDefecto}),
              QStringList({"Guardar imagen con curva aplicada", "WebP (*.webp)", "*.webp", dir.path(),
                           "foto _ curva aplicada.webp", "webp"}));
    EXPECT_EQ(Resultado(), (std::tuple{true, int(FIF_WEBP), d().saveFlag(), otra.filePath(QStringLiteral("nuevo.webp"))}));
}

TEST_F(DialogoGuardar, ReemplazarUnArchivoExistenteSePregunta)
{
    const QString origen = Ruta("retrato.jpg");
    for (const QString &f : {origen, Ruta("existe.jpg")}) ASSERT_TRUE(QFile(f).open(QIODevice::WriteOnly));

    // The source image itself. Refused: nothing accepted, the dialog stays
    // for another name.
    cajas.Responder(MsgBox::No);
    Usar(origen, [&] {
        Escribir("  retrato  ");
        Clic("cmdAceptar");
        ASSERT_EQ(cajas.llamadas.size(), 1);
        const MsgBox::Llamada &l = cajas.llamadas[0];
        EXPECT_EQ(l.texto, QStringLiteral("El archivo ya existe:\r\n") + Ruta("retrato.jpg") +
                               QStringLiteral("\r\n¿Desea reemplazarlo?"));
        EXPECT_TRUE(l.Botones() == MsgBox::YesNo && l.SegundoPorDefecto());
        EXPECT_TRUE(d().isVisible() && !d().Aceptado());
        Clic("cmdCancelar");
    });
    EXPECT_FALSE(d().Aceptado());

    // Any other existing file is asked about too.
    cajas.Responder(MsgBox::Yes);
    Usar(origen, [&] {
        Escribir("existe");
        Clic("cmdAceptar");
    });
    EXPECT_EQ(cajas.llamadas.size(), 2);
    EXPECT_TRUE(d().Aceptado() && d().RutaDestino() == Ruta("existe.jpg"));

    // A path the Save-as dialog already asked about is not asked twice; a
    // name that does not exist is not asked about at all.
    dialogos.Responder(Ruta("existe.jpg"));
    Usar(origen, [&] {
        Clic("cmdExaminar");
        Clic("cmdAceptar");
    });
    Usar(origen, [&] { Clic("cmdAceptar"); });
    EXPECT_TRUE(cajas.llamadas.size() == 2 && d().Aceptado());
}

TEST_F(DialogoGuardar, ElMarcoLoDescargaAlSalir)
{
    QPointer<frmGuardarOpciones> p = &d();
    d().Init(QString(), nullptr);
    MDIForm1::DescargarVentana(p.data());
    EXPECT_TRUE(p.isNull() && !Ventanas::Buscar(QStringLiteral("frmGuardarOpciones")));
    // A later use loads it again, with the design values.
    EXPECT_FALSE(d().Aceptado());
    EXPECT_EQ(d().findChild<QScrollBar *>(QStringLiteral("scrCalidad"))->value(), 92);
}
