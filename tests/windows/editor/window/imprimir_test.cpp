// The editor's Print: its checks, then the processed sample through the real
// "PDF" queue: exactly what the save writes, at the chosen size and place,
// converted from the sample's own profile when the program manages colour;
// no temporary file and no job are left by a cancel or a failure.

#include "ayuda_editor.h"

#include "imaging/cargar.h"
#include "imaging/guardar.h"
#include "output/ajustesimpresora.h"
#include "output/ayuda_impresion.h"
#include "output/cargalcms.h"
#include "output/frmconfigimpresion.h"
#include "platform/progress.h"
#include "support/colapdf.h"

#include <FreeImage.h>
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
        modLCMS::FijarBusquedaSistema(true);
        modIdioma::CambiarIdioma(QStringLiteral("es"));
    }

    // 300 x 200, no two neighbours alike, with a wide-gamut profile embedded;
    // a curve that never gives black, so the inverted picture has no white.
    void CargarMuestraConPerfil()
    {
        QImage img(300, 200, QImage::Format_BGR888);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x % 251, (x + 3 * y) % 256, (7 * y) % 253));
        QByteArray icc = Leer(prueba::Guardar(prueba::PerfilAncho(), dir.filePath(QStringLiteral("ancho.icc"))));
        FIBITMAP *b = FreeImage_ConvertFromRawBits(img.bits(), img.width(), img.height(), int(img.bytesPerLine()), 24,
                                                   FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, TRUE);
        FreeImage_CreateICCProfile(b, icc.data(), long(icc.size()));
        const QString ruta = dir.filePath(QStringLiteral("muestra.tif"));
        ASSERT_TRUE(FreeImage_Save(FIF_TIFF, b, QFile::encodeName(ruta).constData(), TIFF_NONE));
        FreeImage_Unload(b);
        CargarMuestra(ruta);
        ASSERT_TRUE(modImage::HayMuestra);
        ASSERT_FALSE(modImage::RutaPerfilICCTemp().isEmpty());
        Recibir({0, 90, 255}, {20, 150, 230});
    }
    void Preparar()
    {
        QString motivo;
        estado = ColaPDF::Preparar(&motivo);
        if (estado == ColaPDF::Estado::SinPermisos) GTEST_SKIP() << motivo.toStdString();
        ASSERT_EQ(estado, ColaPDF::Estado::Lista) << motivo.toStdString();
    }
    // What the save writes, read back.
    QImage Guardada()
    {
        const QString bmp = dir.filePath(QStringLiteral("esperada.bmp"));
        EXPECT_TRUE(modImage::GuardarImagenProcesada(bmp, 0, 0));
        return QImage(bmp).convertToFormat(QImage::Format_RGB32);
    }
    // The files of the temporary folder, one a line.
    static std::string Temporales()
    {
        return QDir(QDir::tempPath())
            .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)
            .join(u'\n')
            .toStdString();
    }
    void Imprimir(const std::function<void(frmConfigImpresion &)> &acciones)
    {
        EnConfiguracionImpresion(acciones);
        Boton("cmdImprimirImagenCurva")->click();
    }
    template <class W>
    static W *En(frmConfigImpresion &d, const char *nombre)
    {
        return d.findChild<W *>(QString::fromLatin1(nombre));
    }
    static void Aceptar(frmConfigImpresion &d) { En<QPushButton>(d, "cmdOK")->click(); }

    ColaPDF::Estado estado = ColaPDF::Estado::Fallo;
};

} // namespace

TEST_F(ImprimirProcesada, ChecksComeFirstAndNothingIsLeftAfterCancel)
{
    const QString identidad = QStringLiteral("La curva activa es identidad (sin cambios). Ajusta la curva antes de imprimir.");
    w->ImprimirImagenProcesada();
    CargarMuestraConPerfil();
    C<QRadioButton>("optOriginal")->click();
    w->ImprimirImagenProcesada();
    C<QRadioButton>("optCurvaAplicada")->click();
    C<QPushButton>("cmdReset")->click();
    w->ImprimirImagenProcesada();
    EXPECT_FALSE(Boton("cmdImprimirImagenCurva")->isEnabled());
    const QStringList esperados{QStringLiteral("No hay imagen de muestra cargada."),
                                QStringLiteral("Cambia la vista a 'Curva aplicada' antes de imprimir."), identidad};
    ASSERT_EQ(cajas.llamadas.size(), esperados.size());
    for (int i = 0; i < esperados.size(); ++i) {
        EXPECT_EQ(cajas.llamadas[i].texto, esperados[i]);
        EXPECT_EQ(cajas.llamadas[i].Icono() | cajas.llamadas[i].Botones(), MsgBox::Information);
        EXPECT_EQ(cajas.llamadas[i].titulo, QStringLiteral("Imprimir"));
    }
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmConfigImpresion")), nullptr);

    // The flip alone is something to print: the dialog shows the processed
    // picture with the sample's profile and aspect; cancelling leaves nothing.
    cajas.llamadas.clear();
    const std::string temporales = Temporales();
    C<QCheckBox>("chkInvertirHorizontal")->click();
    const QImage espejo = Guardada();
    Imprimir([&](frmConfigImpresion &d) {
        EXPECT_EQ(d.Imagen.convertToFormat(QImage::Format_RGB32), espejo);
        EXPECT_EQ(En<QLabel>(d, "lblPerfilDocumentoVal")->text(), modImage::DescripcionPerfilICC());
        EXPECT_TRUE(En<QLabel>(d, "lblInfoCarta")->text().startsWith(QStringLiteral("Carta: 19.00 x 12.67 cm")));
        EXPECT_NE(Temporales().find("zolv_print_tmp_"), std::string::npos); // the bitmap it was read from
        En<QPushButton>(d, "cmdCancelar")->click();
    });
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_EQ(Temporales(), temporales);
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmProgresoCarga")), nullptr);
}

TEST_F(ImprimirProcesada, FailuresSayWhyAndLeaveNoFileAndNoJob)
{
    Preparar();
    if (estado != ColaPDF::Estado::Lista) return;
    CargarMuestraConPerfil();
    C<QCheckBox>("chkInvertirTonos")->click();
    QTemporaryDir vacia;
    const QString error = QStringLiteral("Error al imprimir: ");
    const struct {
        const char *caso;
        std::function<void()> antes;
        std::function<void(frmConfigImpresion &)> dialogo;
        QStringList avisos;
    } casos[] = {
        {"no printer installed",
         [] { frmConfigImpresion::FijarListaImpresoras(frmConfigImpresion::ListaImpresoras{{}, {}}); },
         [](frmConfigImpresion &d) {
             Aceptar(d); // refused: the dialog stays
             En<QPushButton>(d, "cmdCancelar")->click();
         },
         {QStringLiteral("No hay impresora seleccionada.")}},
        {"printer gone since it was listed",
         [] { frmConfigImpresion::FijarListaImpresoras(frmConfigImpresion::ListaImpresoras{{"Fantasma"}, "Fantasma"}); },
         Aceptar, {error + QStringLiteral("No se pudo crear el contexto de impresion.")}},
        {"printer profile missing",
         [&] { modImpresion::FijarCarpetaColor(vacia.path()); },
         [](frmConfigImpresion &d) {
             En<QComboBox>(d, "cboGestionColor")->setCurrentIndex(1);
             Aceptar(d);
         },
         {error + QStringLiteral("No se encontro el perfil de impresora.")}},
        {"black point compensation without Little CMS",
         [] { modLCMS::FijarBusquedaSistema(false); },
         [](frmConfigImpresion &d) {
             En<QComboBox>(d, "cboGestionColor")->setCurrentIndex(1);
             En<QCheckBox>(d, "chkCompensacionPuntoNegro")->click();
             Aceptar(d);
         },
         {error + QStringLiteral("La compensacion de punto negro necesita la biblioteca Little CMS (liblcms2.so.2).")}},
    };
    for (const auto &c : casos) {
        Restaurar();
        c.antes();
        cajas.llamadas.clear();
        const std::string temporales = Temporales();
        const auto trabajos = ColaPDF::Trabajos();
        Imprimir(c.dialogo);
        QStringList avisos;
        for (const auto &l : cajas.llamadas) avisos << l.texto;
        EXPECT_EQ(avisos.join(u'\n').toStdString(), c.avisos.join(u'\n').toStdString()) << c.caso;
        if (!avisos.isEmpty() && avisos.first().startsWith(error)) {
            EXPECT_EQ(cajas.llamadas.last().Icono(), MsgBox::Critical) << c.caso;
            EXPECT_EQ(cajas.llamadas.last().titulo, QStringLiteral("Imprimir")) << c.caso;
        }
        EXPECT_EQ(Temporales(), temporales) << c.caso;
        EXPECT_TRUE(ColaPDF::Nuevos(trabajos).isEmpty()) << c.caso;
    }
    EXPECT_FALSE(GuardaOcupado::Activo());
}

TEST_F(ImprimirProcesada, WhatTheSaveWritesReachesThePageWhereTheUserPutIt)
{
    Preparar();
    if (estado != ColaPDF::Estado::Lista) return;
    CargarMuestraConPerfil();
    C<QCheckBox>("chkInvertirTonos")->click();
    C<QCheckBox>("chkInvertirHorizontal")->click();
    const QImage procesada = Guardada();
    const std::string temporales = Temporales();

    // No colour management, placed by hand 1 cm right and 4 cm down.
    auto trabajos = ColaPDF::Trabajos();
    Imprimir([](frmConfigImpresion &d) {
        En<QComboBox>(d, "cboImpresora")->setCurrentText(QStringLiteral("PDF"));
        En<QComboBox>(d, "cboGestionColor")->setCurrentIndex(2);
        En<QRadioButton>(d, "optManual")->click();
        En<QLineEdit>(d, "txtPosX")->setText(QStringLiteral("1"));
        En<QLineEdit>(d, "txtPosY")->setText(QStringLiteral("4"));
        Aceptar(d);
    });
    ASSERT_EQ(cajas.llamadas.size(), 1);
    // 19 x 200 / 300 = 12.667 cm.
    EXPECT_EQ(cajas.llamadas[0].texto,
              QStringLiteral("Imagen enviada a la impresora.\r\nTamaño: 19.0 x 12.7 cm\r\nPosición: con margen manual"));
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Information);
    EXPECT_EQ(Temporales(), temporales);
    auto nuevos = ColaPDF::Nuevos(trabajos);
    ASSERT_EQ(nuevos.size(), 1);
    EXPECT_EQ(nuevos[0].titulo, QStringLiteral("Imagen procesada"));
    QString pdf = ColaPDF::PDF(nuevos[0].id);
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(prueba::PaginasPDF(pdf), 1);
    QList<QImage> imagenes = ColaPDF::Imagenes(pdf);
    ASSERT_EQ(imagenes.size(), 1);
    EXPECT_EQ(imagenes[0], procesada);
    QSize pagina;
    const QRect caja = prueba::CajaEnPagina(pdf, 100, &pagina);
    EXPECT_LE(ColaPDF::Desvio(caja, ColaPDF::EnPagina(pagina, 19.0, 19.0 * 200 / 300, false, 1, 4)), 1.0)
        << caja.x() << "," << caja.y() << " " << caja.width() << "x" << caja.height();

    // The program manages colour: from the sample's own profile to sRGB.
    const QString srgb = prueba::Guardar(cmsCreate_sRGBProfile(), dir.filePath(QStringLiteral("sRGB.icc")));
    modImpresion::FijarCarpetaColor(dir.path());
    cajas.llamadas.clear();
    trabajos = ColaPDF::Trabajos();
    Imprimir([](frmConfigImpresion &d) {
        En<QComboBox>(d, "cboImpresora")->setCurrentText(QStringLiteral("PDF"));
        En<QComboBox>(d, "cboGestionColor")->setCurrentIndex(1);
        En<QComboBox>(d, "cboPerfilImpresora")->setCurrentText(QStringLiteral("sRGB IEC61966-2.1"));
        Aceptar(d);
    });
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_TRUE(cajas.llamadas[0].texto.endsWith(QStringLiteral("Posición: centrada")));
    nuevos = ColaPDF::Nuevos(trabajos);
    ASSERT_EQ(nuevos.size(), 1);
    pdf = ColaPDF::PDF(nuevos[0].id);
    imagenes = ColaPDF::Imagenes(pdf);
    ASSERT_EQ(imagenes.size(), 1);
    const QImage convertida = prueba::TransformarLCMS(procesada.convertToFormat(QImage::Format_BGR888),
                                                      modImage::RutaPerfilICCTemp(), srgb, INTENT_RELATIVE_COLORIMETRIC, false);
    EXPECT_EQ(prueba::Diferencia(imagenes[0], convertida), 0);
    EXPECT_GT(prueba::Diferencia(imagenes[0], procesada), 10);
}
