// The print request without a queue: placement, and the order of the checks
// and device failures into a PDF file through Qt's print engine. Copies,
// pixels and place on the page are the real queue's tests'.

#include "output/ayuda_impresion.h"

#include "output/ajustesimpresora.h"
#include "output/cargalcms.h"
#include "output/dcimpresora.h"
#include "output/impresion.h"
#include "platform/files.h"
#include "support/sistema.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace modImpresion;

TEST(Colocacion, CentimetrosAPixelesDelDispositivo)
{
    const double nan = std::nan("");
    // A device of 600 x 300 ppi: 4961 x 3508 pixels for A4.
    const struct {
        double ancho, x;
        bool centrar;
        int32_t error;
        Colocacion esperada;
    } casos[] = {
        // 19 cm: 4488.19 px; (4961 - 4488) / 2 = 236.5 truncated. 9.5 cm
        // down: 1122.05 px; (3508 - 1122) / 2 = 1193.
        {19, 0, true, 0, {236, 1193, 4488, 1122}},
        {25, 0, true, 0, {0, 1016, 5906, 1476}}, // wider than the sheet: from its left edge
        {19, 0, false, 0, {0, 118, 4488, 1122}}, // y 1 cm: 118.11
        {19, 2.5, false, 0, {591, 118, 4488, 1122}}, {19, -3, false, 0, {0, 118, 4488, 1122}},
        {0.002, 0, true, 6102, {}}, {-19, 0, true, 6102, {}}, {nan, 0, true, 6102, {}},
        {INFINITY, 0, true, 6102, {}}, {1e300, 0, true, 6102, {}}, {19, nan, false, 6102, {}},
        {19, -1e12, false, 6102, {}},
    };
    for (const auto &c : casos) {
        Colocacion r;
        EXPECT_EQ(CalcularColocacion(c.ancho, c.ancho / 2, c.centrar, c.x, 1, 4961, 3508, 600, 300, r), c.error) << c.ancho << " " << c.x;
        EXPECT_EQ((std::tuple{r.x, r.y, r.ancho, r.alto}), (std::tuple{c.esperada.x, c.esperada.y, c.esperada.ancho, c.esperada.alto}))
            << c.ancho << " " << c.x;
    }
}

TEST(Colocacion, MotivoComoFraseAparte)
{
    const char *casos[][3] = {
        {"Fallo.", "", "Fallo."},
        {"Fallo.", "  ", "Fallo."},
        {"Fallo.", " sin papel ", "Fallo. sin papel."},
        {"Fallo.", "Sin papel.", "Fallo. Sin papel."},
        {"Fallo.", "No acepta (CUPS: x)", "Fallo. No acepta (CUPS: x)"},
    };
    for (const auto &c : casos) EXPECT_EQ(TextoConMotivo(c[0], c[1]).toStdString(), c[2]) << c[1];
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
        modLCMS::FijarBusquedaSistema(true);
        Archivos::FijarCarpetaPrograma(QString());
    }
    int32_t Imprimir(const QImage *im, int32_t ancho, const QString &impresora, int copias, double cm, int modo = 2,
                     const QString &perfil = "ancho.icc", bool bpc = false)
    {
        const ResultadoImpresion r = modImpresion::Imprimir({.imagen = im, .anchoPx = ancho, .altoPx = 40,
                                                             .nombreDocumento = "Imagen procesada", .impresora = impresora,
                                                             .copias = copias, .anchoCm = cm, .altoCm = cm / 2, .modoColor = modo,
                                                             .perfilImpresora = perfil, .compensarPuntoNegro = bpc});
        msg = r.motivo;
        return r.codigo;
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
        FormaFallo forma = FormaFallo::Rechazo;
    } casos[] = {
        {"  ", nullptr, 1001, 19, {}, 0, "No hay impresora seleccionada."},
        {" prueba ", nullptr, 1001, 19, {}, 0, "No hay imagen disponible para imprimir."},
        {"prueba", &nula, 1001, 19, {}, 0, "La imagen tiene dimensiones invalidas."},
        {"prueba", &imagen, 0, 19, {}, 0, "La imagen tiene dimensiones invalidas."},
        {"prueba", &imagen, 1002, 19, {}, 0, "La imagen tiene dimensiones invalidas."},
        {"prueba", &imagen, 1001, 1e300, {}, 0, "El tamano de impresion no es valido."},
        // The printer's sheet (kept A4), not the set-up's paper, is what cuts.
        {"prueba", &imagen, 1001, 21.01, {}, 0,
         "Carta más ancha que el papel de la impresora. Tamaño del papel: A4  21.0 x 29.7 cm  [vertical]"},
        {"prueba", &imagen, 1001, 19, OperacionDC::IniciarDocumento, 1, "No se pudo iniciar el documento de impresion."},
        {"prueba", &imagen, 1001, 19, OperacionDC::IniciarPagina, 3, "No se pudo iniciar la pagina de impresion."},
        {"prueba", &imagen, 1001, 19, OperacionDC::Dibujar, 2, "No se pudo enviar la imagen a la impresora."},
        {"prueba", &imagen, 1001, 19, OperacionDC::TerminarPagina, 1, "No se pudo cerrar la pagina de impresion."},
        {"prueba", &imagen, 1001, 19, OperacionDC::TerminarDocumento, 1, "No se pudo cerrar el documento de impresion."},
        // An unforeseen failure inside the job is a failure with a text too.
        {"prueba", &imagen, 1001, 19, OperacionDC::Dibujar, 2, "Error inesperado al imprimir. fallo simulado del dispositivo.",
         FormaFallo::Excepcion},
        {"prueba", &imagen, 1001, 19, OperacionDC::IniciarPagina, 1, "No se pudo crear el buffer de impresion.", FormaFallo::SinMemoria},
    };
    for (const auto &c : casos) {
        FijarFalloDC(c.fallo, c.vez, c.forma);
        EXPECT_EQ(Imprimir(c.imagen, c.ancho, c.impresora, 3, c.cm), -1);
        EXPECT_EQ(msg, c.texto);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"ancho.icc", "sRGB.icc"}));
    }
    FijarFalloDC(OperacionDC::Dibujar, 0);
    // A printer name of blanks is none, picture or not.
    EXPECT_EQ(Imprimir(&imagen, 1001, " ", 1, 19), -1);
    EXPECT_EQ(msg, "No hay impresora seleccionada.");
    FijarSalidaPDF(QString()); // the real queues: none has this name
    EXPECT_EQ(Imprimir(&imagen, 1001, "halvora-no-existe", 1, 19), -1); // CUPS says why
    EXPECT_TRUE(msg.startsWith("No se pudo crear el contexto de impresion. La impresora no existe")) << msg.toStdString();
    FijarSalidaPDF(pdf);
    QFile::remove(srgb);
    QFile::remove(ancho);
    EXPECT_EQ(Imprimir(&imagen, 1001, "prueba", 1, 19, 1), -1); // a failed conversion starts no document
    EXPECT_EQ(msg, "No se encontro el perfil de impresora.");
    EXPECT_FALSE(QFile::exists(pdf));
    // The sheet is looked at before the colours are converted.
    EXPECT_EQ(Imprimir(&imagen, 1001, "prueba", 1, 22, 1), -1);
    EXPECT_TRUE(msg.startsWith("Carta más ancha que el papel de la impresora.")) << msg.toStdString();
    // A request that names no colour handling leaves it to the printer; one
    // pixel is a picture, and one pixel per inch a resolution (19 cm are 7
    // device pixels); the picture's size is always given.
    DevModeGuardado.ajustes.resolucion = 1;
    EXPECT_EQ(modImpresion::Imprimir({.imagen = &imagen, .anchoPx = 1, .altoPx = 1, .impresora = "prueba", .anchoCm = 19, .altoCm = 19})
                  .motivo.toStdString(),
              "");
    EXPECT_EQ(ColaPDF::Paginas(pdf), 1);
    EXPECT_EQ(modImpresion::Imprimir({.imagen = &imagen, .altoPx = 1, .impresora = "prueba", .anchoCm = 19, .altoCm = 19}).motivo,
              "La imagen tiene dimensiones invalidas.");
    EXPECT_EQ(modImpresion::Imprimir({.imagen = &imagen, .anchoPx = 1, .impresora = "prueba", .anchoCm = 19, .altoCm = 19}).codigo, -1);
}

TEST_F(Impresion, PerfilesQueNoSonRGBNoSeConviertenNiConQt)
{
    // Profiles for other data than RGB, refused by either engine, each named
    // with its part and colour space. An RGB printer profile without tables:
    // Little CMS opens it but links nothing, so Qt's transform is tried (and
    // cannot read it either).
    const QString gris = prueba::Guardar(prueba::PerfilGris(), dir.filePath("gris.icc")),
                  cmyk = prueba::Guardar(prueba::PerfilCMYK(), dir.filePath("cmyk.icc")),
                  lab = prueba::Guardar(cmsCreateLab4Profile(nullptr), dir.filePath("LCMSLABI.ICM")),
                  xyz = prueba::Guardar(cmsCreateXYZProfile(), dir.filePath("xyz.icm")),
                  dos = prueba::Guardar(prueba::PerfilSinTablas(cmsSig2colorData), dir.filePath("dos.icc")),
                  vacio = prueba::Guardar(prueba::PerfilSinTablas(cmsSigRgbData), dir.filePath("vacio.icc"));
    const QString lcms = "No se pudo crear la transformacion ICC con LittleCMS.", qt = "No se pudo crear la transformacion ICC.";
    const auto impresora = [](const char *espacio, const QString &ruta) {
        return QString(" El perfil de impresora es %1 y hace falta uno RGB: %2.").arg(espacio, ruta);
    };
    const auto origen = [](const char *espacio, const QString &ruta) {
        return QString(" El perfil de origen es %1 y hace falta uno RGB: %2.").arg(espacio, ruta);
    };
    const struct {
        QString origen, impresora;
        bool bpc, conLCMS;
        QString texto;
    } casos[] = {
        {"", "gris.icc", false, true, lcms + impresora("de grises", gris)},
        {"", "gris.icc", true, true, lcms + impresora("de grises", gris)},
        {"", "cmyk.icc", false, true, lcms + impresora("CMYK", cmyk)},
        {"", "cmyk.icc", true, true, lcms + impresora("CMYK", cmyk)},
        {"", "LCMSLABI.ICM", false, true, lcms + impresora("Lab", lab)},
        {"", "xyz.icm", false, true, lcms + impresora("XYZ", xyz)},
        {"", "dos.icc", false, true, lcms + impresora("de 2 colores", dos)},
        {gris, "ancho.icc", false, true, lcms + origen("de grises", gris)}, // a grey picture's profile
        {lab, "cmyk.icc", false, true, lcms + origen("Lab", lab) + impresora("CMYK", cmyk)},
        {"", "gris.icc", false, false, qt + impresora("de grises", gris)},
        {"", "cmyk.icc", false, false, qt + impresora("CMYK", cmyk)},
        {cmyk, "ancho.icc", false, false, qt + origen("CMYK", cmyk)},
        {"", "vacio.icc", false, true, "No se pudieron abrir los perfiles ICC. Perfil ilegible o dañado: " + vacio + "."},
        {"", "vacio.icc", true, true, lcms}, // RGB: nothing more to say
    };
    Archivos::FijarCarpetaPrograma(dir.filePath("sin")); // no library there
    for (const auto &c : casos) {
        modLCMS::FijarBusquedaSistema(c.conLCMS);
        const ResultadoImpresion r = modImpresion::Imprimir({.imagen = &imagen, .anchoPx = 1001, .altoPx = 40, .impresora = "prueba",
                                                             .anchoCm = 19, .altoCm = 1, .modoColor = 1, .perfilOrigen = c.origen,
                                                             .perfilImpresora = c.impresora, .compensarPuntoNegro = c.bpc});
        EXPECT_EQ((std::pair{r.codigo, r.motivo.toStdString()}), (std::pair{-1, c.texto.toStdString()}))
            << c.impresora.toStdString() << c.bpc << c.conLCMS;
        EXPECT_FALSE(QFile::remove(pdf));
    }
}

TEST_F(Impresion, DiscoLlenoNoDejaDocumento)
{
    // The temporary folder fills while the document is written: the
    // system's reason, and no cut-off document passed on as printed.
    QDir().mkpath(dir.filePath("tmp"));
    DiscoPequeno disco(dir.filePath("tmp"), 256);
    if (!disco.motivo.isEmpty()) GTEST_SKIP() << disco.motivo.toStdString();
    disco.Llenar();
    const QImage grande = prueba::Patron(1500, 1000); // far more than the room left
    const TemporalEn tmp(disco.carpeta);
    EXPECT_EQ(modImpresion::Imprimir({.imagen = &grande, .anchoPx = 1500, .altoPx = 1000, .impresora = "prueba", .anchoCm = 19,
                                      .altoCm = 12, .modoColor = 2})
                  .motivo.toStdString(),
              "No se pudo cerrar el documento de impresion. No queda espacio en el disco.");
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QDir(disco.carpeta).entryList(QDir::Files | QDir::Hidden), QStringList{".relleno"});
}
