// The print request without a queue: placement, and the order of the checks
// and device failures into a PDF file through Qt's print engine. Copies,
// pixels and place on the page are the real queue's tests'.

#include "output/ayuda_impresion.h"

#include "output/ajustesimpresora.h"
#include "output/dcimpresora.h"
#include "output/impresion.h"
#include "support/sistema.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace modImpresion;

TEST(Colocacion, CentimetrosAPixelesDelDispositivo)
{
    const double nan = std::nan("");
    const struct {
        double ancho, x;
        bool centrar;
        int32_t error, esperadoX, esperadoAncho;
    } casos[] = {
        {19, 0, true, 0, 236, 4488}, // 4488.19 px; (4961 - 4488) / 2 = 236.5 truncated
        {25, 0, true, 0, 0, 5906},   // wider than the sheet: from its left edge
        {19, 0, false, 0, 0, 4488},  {19, 2.5, false, 0, 591, 4488}, {19, -3, false, 0, 0, 4488},
        {0.002, 0, true, 6102, 0, 0}, {-19, 0, true, 6102, 0, 0},    {nan, 0, true, 6102, 0, 0},
        {INFINITY, 0, true, 6102, 0, 0}, {1e300, 0, true, 6102, 0, 0}, {19, nan, false, 6102, 0, 0},
        {19, -1e12, false, 6102, 0, 0},
    };
    for (const auto &c : casos) {
        Colocacion r;
        EXPECT_EQ(CalcularColocacion(c.ancho, 10, c.centrar, c.x, 1, 4961, 7016, 600, 600, r), c.error) << c.ancho << " " << c.x;
        EXPECT_EQ(std::pair(r.x, r.ancho), std::pair(c.esperadoX, c.esperadoAncho)) << c.ancho << " " << c.x;
    }
}

class Impresion : public ::testing::Test {
protected:
    void SetUp() override
    {
        FijarSalidaPDF(pdf);
        QPrinter p(QPrinter::HighResolution);
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setResolution(600);
        p.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 20, 10, 10), QPageLayout::Millimeter));
        DevModeGuardado = {true, "prueba", LeerAjustes(p)};
        FijarCarpetaColor(dir.path());
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
        return ImprimirImagen(im, ancho, 40, nullptr, "Imagen procesada", impresora, copias, cm, cm / 2, true, 0, 0, msg, modo,
                              "", "ancho.icc", 0, false);
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath("salida.pdf"), srgb = prueba::Guardar(cmsCreate_sRGBProfile(), dir.filePath("sRGB.icc")),
                  ancho = prueba::Guardar(prueba::PerfilAncho(), dir.filePath("ancho.icc"));
    QString msg;
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
        EXPECT_EQ(Imprimir(c.imagen, c.ancho, c.impresora, 3, c.cm), -1);
        EXPECT_EQ(msg, c.texto);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"ancho.icc", "sRGB.icc"}));
    }
    FijarFalloDC(OperacionDC::Dibujar, 0);
    FijarSalidaPDF(QString()); // the real queues: none has this name
    EXPECT_EQ(Imprimir(&imagen, 1001, "halvora-no-existe", 1, 19), -1); // CUPS says why
    EXPECT_TRUE(msg.startsWith("No se pudo crear el contexto de impresion. La impresora no existe")) << msg.toStdString();
    FijarSalidaPDF(pdf);
    QFile::remove(srgb);
    QFile::remove(ancho);
    EXPECT_EQ(Imprimir(&imagen, 1001, "prueba", 1, 19, 1), -1); // a failed conversion starts no document
    EXPECT_EQ(msg, "No se encontro el perfil de impresora.");
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(Impresion, TodoFalloDevuelveMenosUnoConSuMotivo)
{
    // An unforeseen failure inside the job is a failure with a text too.
    FijarFalloDC(OperacionDC::Dibujar, 2, true);
    EXPECT_EQ(Imprimir(&imagen, 1001, "prueba", 3, 19), -1);
    EXPECT_EQ(msg.toStdString(), "Error inesperado al imprimir. fallo simulado del dispositivo.");
    FijarFalloDC(OperacionDC::Dibujar, 0);

    // The temporary folder fills while the document is written: the
    // system's reason, and no cut-off document passed on as printed.
    QDir().mkpath(dir.filePath("tmp"));
    DiscoPequeno disco(dir.filePath("tmp"), 256);
    if (!disco.motivo.isEmpty()) GTEST_SKIP() << disco.motivo.toStdString();
    disco.Llenar();
    const QImage grande = prueba::Patron(1500, 1000); // far more than the room left
    const TemporalEn tmp(disco.carpeta);
    EXPECT_EQ(ImprimirImagen(&grande, 1500, 1000, nullptr, "Imagen procesada", "prueba", 1, 19, 12, true, 0, 0, msg, 2, "", "", 0, false),
              -1);
    EXPECT_EQ(msg.toStdString(), "No se pudo cerrar el documento de impresion. No queda espacio en el disco.");
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QDir(disco.carpeta).entryList(QDir::Files | QDir::Hidden), QStringList{".relleno"});
}
