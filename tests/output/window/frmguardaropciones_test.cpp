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
            EXPECT_TRUE(d().isVisible());
            EXPECT_TRUE(d().isModal());
            acciones();
            if (d().isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                d().hide();
            }
        });
        d().ShowDialog();
        EXPECT_TRUE(corrio);
        EXPECT_FALSE(d().isVisible());
    }

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
        EXPECT_EQ(Nombre(), QStringLiteral("retrato _ curva aplicada.tif"));
        EXPECT_EQ(d().CarpetaDestino(), dir.path());

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
    EXPECT_TRUE(d().Aceptado());
    EXPECT_EQ(d().FifDestino(), 18);
    EXPECT_EQ(d().saveFlag(), 0x34000);
    EXPECT_EQ(d().RutaDestino(), Ruta("retrato _ curva aplicada.tif"));
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST_F(DialogoGuardar, OpcionesSeConservanYElRestoSeReiniciaAlReabrir)
{
    frmGuardarOpciones *primera = &d();
    Usar(Ruta("foto.jpg"), [&] {
        EXPECT_TRUE(Marcado("optJPEG"));
        EXPECT_EQ(Nombre(), QStringLiteral("foto _ curva aplicada.jpg"));
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
    EXPECT_TRUE(d().Aceptado());
    EXPECT_EQ(d().FifDestino(), FIF_WEBP);
    EXPECT_EQ(d().saveFlag(), WEBP_LOSSLESS);
    EXPECT_EQ(d().RutaDestino(), Ruta("foto _ curva aplicada.webp"));

    // Reopened for another source: result, folder, name and format start
    // again, the options stay; the close box cancels and keeps the instance.
    QTemporaryDir otra;
    const QString origen = otra.filePath(QStringLiteral("otra.png"));
    d().Init(origen, nullptr);
    EXPECT_FALSE(d().Aceptado());
    EXPECT_EQ(d().saveFlag(), 0);
    EXPECT_EQ(d().FifDestino(), FIF_WEBP); // kept until the next Guardar
    Usar(origen, [&] {
        EXPECT_EQ(d().CarpetaDestino(), otra.path());
        EXPECT_TRUE(Marcado("optPNG"));
        EXPECT_EQ(Nombre(), QStringLiteral("otra _ curva aplicada.png"));
        EXPECT_EQ(std::pair(C<QScrollBar>("scrCalidad")->value(), C<QScrollBar>("scrPngCompr")->value()), std::pair(80, 0));
        EXPECT_TRUE(Marcado("chkJpegProgresivo") && Marcado("chkWebpLossless"));
        EXPECT_FALSE(d().close()); // refused as an unload
    });
    EXPECT_FALSE(d().Aceptado());
    EXPECT_EQ(&d(), primera);
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmGuardarOpciones")), primera);

    Usar(origen, [&] { Clic("cmdAceptar"); });
    EXPECT_TRUE(d().Aceptado());
    EXPECT_EQ(d().FifDestino(), FIF_PNG);
    EXPECT_EQ(d().saveFlag(), PNG_Z_NO_COMPRESSION);
}

TEST_F(DialogoGuardar, SinOrigenYNombreEnBlanco)
{
    modIdioma::Idioma = QStringLiteral("en");
    Usar(QString(), [&] {
        EXPECT_TRUE(Marcado("optJPEG"));
        EXPECT_EQ(Nombre(), QStringLiteral(" _ curva aplicada"));
        EXPECT_EQ(d().CarpetaDestino(), GuardarOpciones::CarpetaPorDefecto());

        Escribir("   ");
        Clic("cmdAceptar");
        ASSERT_EQ(cajas.llamadas.size(), 1);
        EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Enter a file name."));
        EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
        EXPECT_TRUE(cajas.llamadas[0].titulo.isEmpty());
        EXPECT_TRUE(d().isVisible() && !d().Aceptado());

        // A name with another format's extension gets the chosen format's.
        Escribir("prueba.png");
        Clic("cmdAceptar");
    });
    EXPECT_TRUE(d().Aceptado());
    EXPECT_EQ(d().RutaDestino(), GuardarOpciones::CarpetaPorDefecto() + QStringLiteral("/prueba.jpg"));
    EXPECT_EQ(d().FifDestino(), FIF_JPEG);
    EXPECT_EQ(d().saveFlag(), 92);

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
        EXPECT_EQ(d().CarpetaDestino(), dir.path());
        EXPECT_EQ(Nombre(), QStringLiteral("foto _ curva aplicada.webp"));

        Clic("cmdExaminar");
        EXPECT_EQ(d().CarpetaDestino(), otra.path());
        EXPECT_EQ(Nombre(), QStringLiteral("nuevo.png"));
        EXPECT_TRUE(Marcado("optWEBP")); // the format stays
        Clic("cmdAceptar");
    });
    ASSERT_EQ(dialogos.peticiones.size(), 2);
    const Dialogos::Peticion &p = dialogos.peticiones[0];
    EXPECT_TRUE(p.guardar);
    EXPECT_EQ(p.titulo, QStringLiteral("Guardar imagen con curva aplicada"));
    ASSERT_EQ(p.filtros.size(), 1);
    EXPECT_EQ(QStringList({p.filtros[0].descripcion, p.filtros[0].patrones, p.carpetaInicial, p.nombreArchivo, p.extensionDefecto}),
              QStringList({"WebP (*.webp)", "*.webp", dir.path(), "foto _ curva aplicada.webp", "webp"}));
    EXPECT_TRUE(d().Aceptado());
    EXPECT_EQ(d().RutaDestino(), otra.filePath(QStringLiteral("nuevo.webp")));
    EXPECT_EQ(d().FifDestino(), FIF_WEBP);
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
        EXPECT_EQ(l.Botones(), MsgBox::YesNo);
        EXPECT_TRUE(l.SegundoPorDefecto());
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
    EXPECT_TRUE(d().Aceptado());
    EXPECT_EQ(d().RutaDestino(), Ruta("existe.jpg"));

    // A path the Save-as dialog already asked about is not asked twice; a
    // name that does not exist is not asked about at all.
    dialogos.Responder(Ruta("existe.jpg"));
    Usar(origen, [&] {
        Clic("cmdExaminar");
        Clic("cmdAceptar");
    });
    EXPECT_EQ(cajas.llamadas.size(), 2);
    EXPECT_TRUE(d().Aceptado());
    Usar(origen, [&] { Clic("cmdAceptar"); });
    EXPECT_EQ(cajas.llamadas.size(), 2);
    EXPECT_TRUE(d().Aceptado());
}

TEST_F(DialogoGuardar, ElMarcoLoDescargaAlSalir)
{
    QPointer<frmGuardarOpciones> p = &d();
    d().Init(QString(), nullptr);
    MDIForm1::DescargarVentana(p.data());
    EXPECT_TRUE(p.isNull());
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmGuardarOpciones")), nullptr);
    // A later use loads it again, with the design values.
    EXPECT_FALSE(d().Aceptado());
    EXPECT_EQ(d().findChild<QScrollBar *>(QStringLiteral("scrCalidad"))->value(), 92);
}
