// The editor's Print: its checks, then the processed sample on the real
// queues as the save writes it; a cancel or a failure leaves no file and no job.

#include "ayuda_editor.h"

#include "imaging/cargar.h"
#include "imaging/guardar.h"
#include "output/ajustesimpresora.h"
#include "output/ayuda_impresion.h"
#include "output/frmconfigimpresion.h"
#include "platform/progress.h"
#include "support/colapdf.h"
#include "support/imagen.h"
#include "windows/envioimpresion.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>

#include <functional>

namespace {

class ImprimirProcesada : public EditorAbierto {
protected:
    void TearDown() override { Restaurar(); }
    static void Restaurar()
    {
        frmConfigImpresion::FijarListaImpresoras(std::nullopt);
        modImpresion::FijarCarpetaColor(QString());
    }

    // 300 x 200 with a wide-gamut profile embedded, and a curve that never
    // gives black (so the inverted picture has no white pixel).
    void CargarMuestraConPerfil(FREE_IMAGE_FORMAT fif = FIF_TIFF)
    {
        FIBITMAP *b = prueba::Color24(300, 200, [](int x, int y) { return uint32_t(x % 251 << 16 | (x + 3 * y) % 256 << 8 | 7 * y % 253); });
        prueba::Incrustar(b, Leer(prueba::Guardar(prueba::PerfilAncho(), dir.filePath(QStringLiteral("ancho.icc")))));
        CargarMuestra(prueba::Guardar(b, fif, fif == FIF_PNG ? QStringLiteral("m.png") : QStringLiteral("m.tif")));
        ASSERT_TRUE(modImage::HayMuestra && !modImage::RutaPerfilICCTemp().isEmpty());
        Recibir({0, 90, 255}, {20, 150, 230});
    }
    // The files of the temporary folder, one a line.
    static std::string Temporales() { return QDir::temp().entryList(QDir::Files | QDir::Hidden, QDir::Name).join(u'\n').toStdString(); }
    void Imprimir(const std::function<void(frmConfigImpresion &)> &a) { EnConfiguracionImpresion(a), Boton("cmdImprimirImagenCurva")->click(); }
};

} // namespace

TEST_F(ImprimirProcesada, ChecksComeFirstAndCancelLeavesNothing)
{
    w->ImprimirImagenProcesada();
    CargarMuestraConPerfil();
    C<QRadioButton>("optOriginal")->click();
    w->ImprimirImagenProcesada();
    C<QRadioButton>("optCurvaAplicada")->click();
    C<QPushButton>("cmdReset")->click();
    w->ImprimirImagenProcesada();
    QStringList vistos;
    for (const MsgBox::Llamada &l : cajas.llamadas) vistos << QString::number(l.Icono()) + l.titulo + l.texto;
    EXPECT_EQ(vistos, QStringList({"64ImprimirNo hay imagen de muestra cargada.",
                                   "64ImprimirCambia la vista a 'Curva aplicada' antes de imprimir.",
                                   "64ImprimirLa curva activa es identidad (sin cambios). Ajusta la curva antes de imprimir."}));

    // The flip alone is something to print: the dialog shows the processed
    // picture with the sample's profile; cancelling leaves nothing behind.
    cajas.llamadas.clear();
    const std::string temporales = Temporales();
    C<QCheckBox>("chkInvertirHorizontal")->click();
    ASSERT_TRUE(modImage::GuardarImagenProcesada(dir.filePath(QStringLiteral("espejo.bmp")), 0, 0));
    Imprimir([&](frmConfigImpresion &d) {
        EXPECT_EQ(d.Imagen.convertToFormat(QImage::Format_RGB32), QImage(dir.filePath(QStringLiteral("espejo.bmp"))));
        EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("lblPerfilDocumentoVal"))->text(), modImage::DescPerfilICC);
        EXPECT_NE(Temporales().find("zolv_print_tmp_"), std::string::npos); // the bitmap it was read from
        d.findChild<QPushButton *>(QStringLiteral("cmdCancelar"))->click();
    });
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_EQ(Temporales(), temporales);
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmProgresoCarga")), nullptr);
    // A result of 0 is a silent end.
    EnvioImpresion::Informar({0, QStringLiteral("x")}, QStringLiteral("y"), w);
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST_F(ImprimirProcesada, FailuresSayWhyAndLeaveNoFileAndNoJob)
{
    REQUIERE_COLA_PDF();
    CargarMuestraConPerfil();
    C<QCheckBox>("chkInvertirTonos")->click();
    const QString vacia = dir.filePath(QStringLiteral("vacia"));
    QDir().mkpath(vacia);
    const struct { std::function<void()> antes; std::function<void(frmConfigImpresion &)> dialogo; const char *aviso; } casos[] = {
        // The device fails, or the conversion before it (the dialog's own
        // refusals and the engine's other texts are their own tests' concern).
        {[] { frmConfigImpresion::FijarListaImpresoras(frmConfigImpresion::ListaImpresoras{{"Fantasma"}, "Fantasma"}); },
         [](frmConfigImpresion &d) { d.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click(); },
         "Error al imprimir: No se pudo crear el contexto de impresion. La impresora no existe (CUPS: "},
        {[&] { modImpresion::FijarCarpetaColor(vacia); }, [](frmConfigImpresion &d) { ImprimirEnPDF(d, 1); },
         "Error al imprimir: No se encontro el perfil de impresora."},
    };
    for (const auto &c : casos) {
        Restaurar();
        c.antes();
        cajas.llamadas.clear();
        const std::string temporales = Temporales();
        const QList<int> trabajos = ColaPDF::Trabajos();
        Imprimir(c.dialogo);
        ASSERT_EQ(cajas.llamadas.size(), 1) << c.aviso;
        EXPECT_EQ((std::tuple{cajas.llamadas[0].texto.left(int(strlen(c.aviso))).toStdString(), cajas.llamadas[0].titulo,
                              cajas.llamadas[0].Icono()}),
                  (std::tuple{std::string(c.aviso), QStringLiteral("Imprimir"), int(MsgBox::Critical)}))
            << cajas.llamadas[0].texto.toStdString();
        EXPECT_EQ((std::pair{Temporales(), ColaPDF::Trabajos()}), (std::pair{temporales, trabajos})) << c.aviso;
    }
    EXPECT_FALSE(GuardaOcupado::Activo());
}

TEST_F(ImprimirProcesada, AFullTemporaryFolderIsReportedUnderItsTitleWithTheReason)
{
    CargarMuestraConPerfil();
    C<QCheckBox>("chkInvertirTonos")->click();
    QDir().mkpath(dir.filePath(QStringLiteral("tmp")));
    DiscoPequeno disco(dir.filePath(QStringLiteral("tmp")), 64);
    if (!disco.motivo.isEmpty()) GTEST_SKIP() << disco.motivo.toStdString();
    disco.Llenar();
    cajas.llamadas.clear();
    {
        const TemporalEn tmp(disco.carpeta);
        Boton("cmdImprimirImagenCurva")->click();
    }
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ((std::pair{cajas.llamadas[0].titulo.toStdString(), cajas.llamadas[0].Icono()}),
              (std::pair{std::string("Imprimir"), int(MsgBox::Exclamation)})); // the save's own box
    EXPECT_TRUE(cajas.llamadas[0].texto.endsWith(QStringLiteral("No queda espacio en el disco"))) << cajas.llamadas[0].texto.toStdString();
    EXPECT_EQ(QDir(disco.carpeta).entryList(QDir::Files | QDir::Hidden), QStringList{".relleno"});
    EXPECT_TRUE(!Ventanas::Buscar(QStringLiteral("frmProgresoCarga")) && !GuardaOcupado::Activo());
}

// Placed by hand 1 cm right and 4 cm down: cups-pdf gets what the save writes;
// the IPP printer each pixel's qGray level at its place on its own paper.
TEST_F(ImprimirProcesada, WhatTheSaveWritesReachesThePageWhereTheUserPutIt)
{
    REQUIERE_COLA_PDF();
    CargarMuestraConPerfil(FIF_PNG); // its profile read from the PNG, as a TIFF's
    C<QCheckBox>("chkInvertirTonos")->click();
    C<QCheckBox>("chkInvertirHorizontal")->click();
    ASSERT_TRUE(modImage::GuardarImagenProcesada(dir.filePath(QStringLiteral("p.bmp")), 0, 0));
    const QImage procesada = QImage(dir.filePath(QStringLiteral("p.bmp"))).convertToFormat(QImage::Format_RGB32);
    const std::string temporales = Temporales();

    // The temporary bitmap is gone before the result is shown, not when the
    // user closes the box.
    std::string alAvisar;
    MsgBox::InstalarResponder([&](const MsgBox::Llamada &l) {
        cajas.llamadas.append(l);
        alAvisar = Temporales();
        return int(MsgBox::OK);
    });
    for (const char *cola : {ColaPDF::kCola, ColaPDF::kColaIPP}) {
        SCOPED_TRACE(cola);
        const QList<int> antes = ColaPDF::Trabajos(cola);
        Imprimir([cola](frmConfigImpresion &d) {
            d.findChild<QRadioButton *>(QStringLiteral("optManual"))->click();
            d.findChild<QLineEdit *>(QStringLiteral("txtPosX"))->setText(QStringLiteral("1"));
            d.findChild<QLineEdit *>(QStringLiteral("txtPosY"))->setText(QStringLiteral("4"));
            ImprimirEnPDF(d, 2, cola);
        });
        ASSERT_EQ(cajas.llamadas.size(), 1);
        // 19 x 200 / 300 = 12.667 cm.
        EXPECT_EQ(cajas.llamadas.takeFirst().texto,
                  QStringLiteral("Imagen enviada a la impresora.\r\nTamaño: 19.0 x 12.7 cm\r\nPosición: con margen manual"));
        EXPECT_EQ(alAvisar, temporales);
        if (cola == ColaPDF::kCola) {
            const QString pdf = ColaPDF::NuevoPDF(antes, QStringLiteral("Imagen procesada"));
            EXPECT_EQ((std::pair{ColaPDF::Paginas(pdf), ColaPDF::Imagenes(pdf)}), (std::pair{1, QList<QImage>{procesada}}));
            EXPECT_LE(ColaPDF::Desvio(pdf, 19.0, 19.0 * 200 / 300, false, 1, 4), 1.0);
            continue;
        }
        const QList<Raster::Pagina> paginas = ColaPDF::NuevoRaster(antes, QStringLiteral("Imagen procesada"));
        ASSERT_EQ(paginas.size(), 1);
        EXPECT_EQ(paginas[0].puntos, QSizeF(612, 792)); // the printer's own US Letter
        EXPECT_LE(ColaPDF::Desvio(paginas[0], 19.0, 19.0 * 200 / 300, false, 1, 4), ColaPDF::kUnPixel);
        // At the middle of each picture pixel's patch of about 15 x 15 device pixels.
        const QImage &hoja = paginas[0].imagen;
        const QRect caja = Raster::Tinta(hoja);
        QList<int> impresos, esperados;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x) {
                impresos << qGray(hoja.pixel(caja.x() + int((x + 0.5) * caja.width() / 300), caja.y() + int((y + 0.5) * caja.height() / 200)));
                esperados << qGray(procesada.pixel(x, y));
            }
        EXPECT_EQ(impresos, esperados);
    }

    // The program manages colour: from the sample's own profile to sRGB.
    const QString srgb = prueba::Guardar(cmsCreate_sRGBProfile(), dir.filePath(QStringLiteral("sRGB.icc")));
    modImpresion::FijarCarpetaColor(dir.path());
    const QList<int> antes = ColaPDF::Trabajos();
    Imprimir([](frmConfigImpresion &d) {
        d.findChild<QComboBox *>(QStringLiteral("cboPerfilImpresora"))->setCurrentText(QStringLiteral("sRGB IEC61966-2.1"));
        ImprimirEnPDF(d, 1);
    });
    const QList<QImage> convertida = ColaPDF::Imagenes(ColaPDF::NuevoPDF(antes, QStringLiteral("Imagen procesada")));
    ASSERT_EQ(convertida.size(), 1);
    EXPECT_EQ(prueba::Diferencia(convertida[0], prueba::TransformarLCMS(procesada.convertToFormat(QImage::Format_BGR888),
                                                                       modImage::RutaPerfilICCTemp(), srgb,
                                                                       INTENT_RELATIVE_COLORIMETRIC, false)),
              0);
    EXPECT_GT(prueba::Diferencia(convertida[0], procesada), 10);
}

namespace {
// Eight prints through the printers' own settings dialog: a time limit of its own.
class HojaDeLaImpresora : public ImprimirProcesada {};
} // namespace

// The set-up's paper stays A4; the printer prints on what its own settings
// chose. A picture that sheet would cut is refused with that paper's name and
// size, before anything reaches the queue; one that fits lands where it belongs.

TEST_F(HojaDeLaImpresora, WhatItWouldCutIsRefusedBeforeTheQueue)
{
    REQUIERE_COLA_PDF();
    CargarMuestraConPerfil();
    C<QCheckBox>("chkInvertirTonos")->click();
    const struct Olvidar {
        ~Olvidar() { modImpresion::DevModeGuardado = modImpresion::DevMode(); }
    } olvidar;
    const char *enviada = "Imagen enviada a la impresora.";
    const std::string a5 = "Tamaño del papel: A5  14.8 x 21.0 cm  [vertical]",
                      cartaPdf = "Tamaño del papel: US Letter  27.9 x 21.6 cm  [horizontal]",
                      legal = "Tamaño del papel: Legal  21.6 x 35.6 cm  [vertical]",
                      cartaIpp = "Tamaño del papel: Letter  27.9 x 21.6 cm  [horizontal]";
    const std::string ancha = "Error al imprimir: Carta más ancha que el papel de la impresora. ",
                      fuera = "Error al imprimir: Carta fuera del papel de la impresora. ";
    const struct {
        const char *cola;
        QPageSize::PageSizeId papel;
        bool apaisado, centrado;
        double ancho, x, y;
        std::string aviso; // a refusal, or the start of the notice
    } casos[] = {
        // 19 cm centred on A5: the right 4 cm were cut.
        {ColaPDF::kCola, QPageSize::A5, false, true, 19, 0, 0, ancha + a5},
        {ColaPDF::kCola, QPageSize::A5, false, true, 12, 0, 0, enviada},
        // Typed 10 / 15 cm, on A4 well inside: 0.8 mm below Letter landscape.
        {ColaPDF::kCola, QPageSize::Letter, true, false, 10, 10, 15, fuera + cartaPdf},
        {ColaPDF::kCola, QPageSize::Letter, true, false, 10, 17.9, 14.9, enviada}, // to the right edge
        // The IPP printer offers no A5: Legal is narrower than 22 cm.
        {ColaPDF::kColaIPP, QPageSize::Legal, false, true, 22, 0, 0, ancha + legal},
        {ColaPDF::kColaIPP, QPageSize::Legal, false, false, 10, 11.5, 28, enviada},
        {ColaPDF::kColaIPP, QPageSize::Letter, true, false, 10, 10, 15, fuera + cartaIpp},
        {ColaPDF::kColaIPP, QPageSize::Letter, true, true, 19, 0, 0, enviada},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(std::string(c.cola) + " " + QPageSize(c.papel).key().toStdString() + (c.apaisado ? " landscape " : " portrait ") +
                     (c.centrado ? "centred" : "typed"));
        modImpresion::DevModeGuardado = modImpresion::DevMode();
        cajas.llamadas.clear();
        const std::string temporales = Temporales();
        const QList<int> antes = ColaPDF::Trabajos(c.cola);
        Imprimir([&c](frmConfigImpresion &d) {
            d.findChild<QComboBox *>(QStringLiteral("cboImpresora"))->setCurrentText(QString::fromLatin1(c.cola));
            EnAjustesImpresora(c.papel, c.apaisado ? QPageLayout::Landscape : QPageLayout::Portrait);
            d.findChild<QPushButton *>(QStringLiteral("cmdAjustesImpresora"))->click();
            d.findChild<QLineEdit *>(QStringLiteral("txtAncho"))->setText(QString::number(c.ancho));
            if (!c.centrado) {
                d.findChild<QRadioButton *>(QStringLiteral("optManual"))->click();
                d.findChild<QLineEdit *>(QStringLiteral("txtPosX"))->setText(QString::number(c.x));
                d.findChild<QLineEdit *>(QStringLiteral("txtPosY"))->setText(QString::number(c.y));
            }
            EXPECT_TRUE(d.findChild<QLabel *>(QStringLiteral("lblPapelInfo"))->text().contains(QStringLiteral("A4"))); // the set-up's own
            ImprimirEnPDF(d, 2, c.cola);
        });
        ASSERT_EQ(cajas.llamadas.size(), 1);
        const bool impresa = c.aviso == enviada;
        const std::string texto = cajas.llamadas[0].texto.toStdString();
        EXPECT_EQ((std::pair{impresa ? texto.substr(0, c.aviso.size()) : texto, cajas.llamadas[0].Icono()}),
                  (std::pair{c.aviso, int(impresa ? MsgBox::Information : MsgBox::Critical)}));
        EXPECT_EQ(Temporales(), temporales);
        const double alto = c.ancho * 200 / 300;
        if (!impresa) {
            EXPECT_EQ(ColaPDF::Trabajos(c.cola), antes); // nothing queued
        } else if (c.cola == ColaPDF::kCola) {
            EXPECT_LE(ColaPDF::Desvio(ColaPDF::NuevoPDF(antes, QStringLiteral("Imagen procesada")), c.ancho, alto, c.centrado, c.x,
                                      c.y, c.apaisado ? ColaPDF::Giro::Antihorario : ColaPDF::Giro::Ninguno),
                      1.0);
        } else {
            const QList<Raster::Pagina> paginas = ColaPDF::NuevoRaster(antes, QStringLiteral("Imagen procesada"));
            ASSERT_EQ(paginas.size(), 1);
            EXPECT_LE(ColaPDF::Desvio(paginas[0], c.ancho, alto, c.centrado, c.x, c.y,
                                      c.apaisado ? ColaPDF::Giro::Horario : ColaPDF::Giro::Ninguno),
                      ColaPDF::kUnPixel);
        }
    }
}
