// The print request into a PDF file through Qt's print engine (no queue):
// placement, the order of the checks, copies, device failures and pixels.

#include "output/ayuda_impresion.h"

#include "output/ajustesimpresora.h"
#include "output/dcimpresora.h"
#include "output/impresion.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace modImpresion;

TEST(Colocacion, CentimetrosAPixelesDelDispositivo)
{
    const double nan = std::nan(""), inf = INFINITY;
    const struct {
        double ancho, x;
        bool centrar;
        int32_t error, esperadoX, esperadoAncho;
    } casos[] = {
        {19, 0, true, 0, 236, 4488},  // 4488.19 px, (4961 - 4488) / 2 = 236.5 truncated
        {25, 0, true, 0, 0, 5906},    // wider than the printable area: from its left edge
        {19, 0, false, 0, 0, 4488},   // 0 cm is the printable area's corner
        {19, 2.5, false, 0, 591, 4488},
        {19, -3, false, 0, 0, 4488},
        {0.002, 0, true, 6102, 0, 0}, // 0.47 px
        {-19, 0, true, 6102, 0, 0}, {nan, 0, true, 6102, 0, 0}, {inf, 0, true, 6102, 0, 0},
        {1e300, 0, true, 6102, 0, 0}, {19, nan, false, 6102, 0, 0}, {19, -1e12, false, 6102, 0, 0},
    };
    for (const auto &c : casos) {
        Colocacion r;
        EXPECT_EQ(CalcularColocacion(c.ancho, 10, c.centrar, c.x, 1, 4961, 7016, 600, 600, r), c.error) << c.ancho << " " << c.x;
        EXPECT_EQ(r.x, c.esperadoX) << c.ancho << " " << c.x;
        EXPECT_EQ(r.ancho, c.esperadoAncho) << c.ancho << " " << c.x;
    }
}

class Impresion : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath("salida.pdf");
        FijarSalidaPDF(pdf);
        QPrinter p(QPrinter::HighResolution);
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setResolution(600);
        p.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 20, 10, 10), QPageLayout::Millimeter));
        DevModeGuardado = {true, "prueba", LeerAjustes(p)}; // A4 at 600 ppp
        FijarCarpetaColor(dir.path());
        prueba::Guardar(cmsCreate_sRGBProfile(), dir.filePath("sRGB.icc"));
        prueba::Guardar(prueba::PerfilAncho(), dir.filePath("ancho.icc"));
    }
    void TearDown() override
    {
        FijarSalidaPDF(QString());
        FijarFalloDC(OperacionDC::Dibujar, 0);
        FijarCarpetaColor(QString());
        DevModeGuardado = DevMode();
    }
    int32_t Imprimir(const QImage *im, int32_t ancho, const QString &impresora, int16_t copias, double cm, int16_t modo = 2)
    {
        msg = "x";
        return ImprimirImagen(im, ancho, im && !im->isNull() ? im->height() : 10, nullptr, "Imagen procesada", impresora,
                              copias, cm, cm / 2, true, 0, 0, msg, modo, "", "ancho.icc", 0, false);
    }
    QTemporaryDir dir;
    QString pdf, msg;
    const QImage imagen = prueba::Patron(1001, 40);
};

TEST_F(Impresion, ComprobacionesYFallosNoDejanDocumento)
{
    const QImage nula;
    const struct {
        const char *impresora;
        const QImage *imagen;
        int32_t ancho;
        double cm;
        OperacionDC fallo;
        int vez;
        QString texto;
    } casos[] = {
        {"  ", nullptr, 1001, 19, {}, 0, "No hay impresora seleccionada."},
        {" prueba ", nullptr, 1001, 19, {}, 0, "No hay imagen disponible para imprimir."},
        {"prueba", &nula, 1001, 19, {}, 0, "La imagen tiene dimensiones invalidas."},
        {"prueba", &imagen, 0, 19, {}, 0, "La imagen tiene dimensiones invalidas."},
        {"prueba", &imagen, 1002, 19, {}, 0, "La imagen tiene dimensiones invalidas."},
        {"prueba", &imagen, 1001, 1e300, {}, 0, "El tamano de impresion no es valido."},
        {"prueba", &imagen, 1001, 19, OperacionDC::IniciarDocumento, 1, "No se pudo iniciar el documento de impresion."},
        {"prueba", &imagen, 1001, 19, OperacionDC::IniciarPagina, 3, "No se pudo iniciar la pagina de impresion."},
        {"prueba", &imagen, 1001, 19, OperacionDC::Dibujar, 2, "No se pudo enviar la imagen a la impresora."},
        {"prueba", &imagen, 1001, 19, OperacionDC::TerminarPagina, 1, "No se pudo cerrar la pagina de impresion."},
        {"prueba", &imagen, 1001, 19, OperacionDC::TerminarDocumento, 1, "No se pudo cerrar el documento de impresion."},
    };
    for (const auto &c : casos) {
        FijarFalloDC(c.fallo, c.vez);
        EXPECT_EQ(Imprimir(c.imagen, c.ancho, c.impresora, 3, c.cm), -1) << c.texto.toStdString();
        EXPECT_EQ(msg, c.texto);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"ancho.icc", "sRGB.icc"}));
    }
    FijarFalloDC(OperacionDC::Dibujar, 0);
    FijarSalidaPDF(QString()); // real queues: none has this name
    EXPECT_EQ(Imprimir(&imagen, 1001, "halvora-no-existe", 1, 19), -1);
    EXPECT_EQ(msg, "No se pudo crear el contexto de impresion.");
    FijarSalidaPDF(pdf);
    QFile::remove(dir.filePath("sRGB.icc"));
    QFile::remove(dir.filePath("ancho.icc"));
    EXPECT_EQ(Imprimir(&imagen, 1001, "prueba", 1, 19, 1), -1); // a conversion failure starts no document
    EXPECT_EQ(msg, "No se encontro el perfil de impresora.");
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(Impresion, CopiasPixelesYLugarEnLaPagina)
{
    const auto dc = CrearDCImpresora("PRUEBA"); // the kept settings, any letter case
    ASSERT_TRUE(dc);
    EXPECT_EQ(dc->GetDeviceCaps(LOGPIXELSY), 600);
    const QRect area = dc->Printer().pageLayout().paintRectPixels(600);
    EXPECT_EQ(dc->GetDeviceCaps(HORZRES), area.width());
    // 19 cm is wider than this printable area: the picture starts at its left edge.
    const double x = area.x() + std::max(0, (area.width() - 4488) / 2), y = area.y() + (area.height() - 2244) / 2;
    EXPECT_LT(area.width(), 4488);
    const QImage convertida = prueba::TransformarLCMS(imagen, dir.filePath("sRGB.icc"), dir.filePath("ancho.icc"), 1, false);
    const struct {
        int16_t copias, modo;
        int paginas;
    } casos[] = {{0, 2, 1}, {-3, 0, 1}, {1, 1, 1}, {3, 2, 3}};
    for (const auto &c : casos) {
        EXPECT_EQ(Imprimir(&imagen, 1001, "prueba", c.copias, 19, c.modo), 1) << msg.toStdString();
        EXPECT_EQ(msg, "");
        EXPECT_EQ(prueba::PaginasPDF(pdf), c.paginas);
        const QList<QImage> imagenes = prueba::ImagenesPDF(pdf);
        EXPECT_EQ(imagenes.size(), c.paginas);
        for (const QImage &im : imagenes) EXPECT_EQ(prueba::Diferencia(im, c.modo == 1 ? convertida : imagen), 0);
        QSize pagina;
        const QRect caja = prueba::CajaEnPagina(pdf, 60, &pagina); // a tenth of the device's pixels
        EXPECT_EQ(pagina, QSize(496, 702));
        EXPECT_NEAR(caja.x(), x / 10, 1); // edges blur by a pixel
        EXPECT_NEAR(caja.y(), y / 10, 1);
        EXPECT_NEAR(caja.width(), 448.8, 2);
        EXPECT_NEAR(caja.height(), 224.4, 2);
        QFile::remove(pdf);
    }
}
