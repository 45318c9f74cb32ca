// Printer settings kept per printer, the printer-profile entry turned into a
// file, the driver's profile in a PPD, and the intent mapping.

#include "output/ajustesimpresora.h"
#include "output/dcimpresora.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace modImpresion;

TEST(AjustesImpresora, IntentoYPerfilDelDriver)
{
    const int intentos[][2] = {{0, 1}, {1, 0}, {2, 2}, {3, 3}, {4, 1}, {-1, 1}};
    for (const auto &i : intentos) EXPECT_EQ(IntentoICC(i[0]), i[1]) << i[0];

    const QByteArray ppd = "*DefaultColorModel: Gray\n*DefaultResolution: 600dpi\n"
                           "*cupsICCProfile RGB..600dpi/Color: \"color.icc\"\n"
                           "*cupsICCProfile Gray.Glossy./Glossy: \"/opt/p/glossy.icc\"\n"
                           "*cupsICCProfile Gray../Gray: \"gris.icc\"\n";
    // Options are name, value pairs: a job named "ColorModel" chooses no colour model.
    EXPECT_EQ(QStringList({PerfilDePPD(ppd, {}), PerfilDePPD(ppd, {"MediaType", "Glossy"}), PerfilDePPD(ppd, {"ColorModel", "RGB"}),
                           PerfilDePPD(ppd, {"ColorModel", "RGB", "Resolution", "300dpi"}),
                           PerfilDePPD(ppd, {"job-name", "ColorModel", "MediaType", "Glossy"})}),
              QStringList({"/usr/share/cups/profiles/gris.icc", "/opt/p/glossy.icc", "/usr/share/cups/profiles/color.icc", "",
                           "/opt/p/glossy.icc"}));
}

TEST(AjustesImpresora, PerfilDeImpresoraResuelto)
{
    QTemporaryDir dir;
    FijarCarpetaColor(dir.path()); // without the trailing '/'
    for (const char *f : {"CIERGB.icc", "sRGB.icc", "papel.icc", "MySRGBprinter.icc"}) QFile(dir.filePath(f)).open(QIODevice::WriteOnly);
    const QString c = dir.path() + "/", srgb = c + "sRGB.icc";
    EXPECT_EQ(CarpetaColorWindows(), c);
    FijarSalidaPDF(dir.filePath("x.pdf")); // a printer whose driver names no profile
    const QString casos[][2] = {
        {"", srgb}, {"  CIE RGB  ", c + "CIERGB.icc"}, {"cie rgb", c + "CIERGB.icc"},
        {"sRGB IEC61966-2.1", srgb}, {"MySRGBprinter.icc", srgb}, {" papel.icc ", c + "papel.icc"},
        {"falta.icc", srgb}, {c + "papel.icc", c + "papel.icc"}, {c + "otra/papel.icc", srgb},
        {"Perfil configurado en el driver", srgb}, {"profile set in driver", srgb},
    };
    for (const auto &k : casos) EXPECT_EQ(ResolverPerfilImpresora(k[0], "prueba"), k[1]) << k[0].toStdString();
    FijarSalidaPDF(QString());
    FijarCarpetaColor(QString());
    EXPECT_EQ(RutaPerfilSRGB(), "/usr/share/color/icc/sRGB.icc");
}

TEST(AjustesImpresora, AjustesGuardadosPorImpresora)
{
    QTemporaryDir dir;
    FijarSalidaPDF(dir.filePath("x.pdf"));
    QPageLayout::Orientation vista{};
    int respuesta = 1;
    FijarDialogoAjustes([&](QPrinter &p, QWidget *) {
        vista = p.pageLayout().orientation();
        p.setPageOrientation(QPageLayout::Landscape);
        return respuesta;
    });
    const struct {
        const char *impresora;
        int respuesta;
        bool ok;
        QPageLayout::Orientation vista; // what the dialog opened with
        const char *guardada, *texto;
    } pasos[] = {
        {" Uno ", 1, true, QPageLayout::Portrait, "Uno", ""},
        {"UNO", 0, false, QPageLayout::Landscape, "Uno", ""}, // cancel keeps them
        {"uno", -1, false, QPageLayout::Landscape, "Uno", "El controlador de impresora no acepto los ajustes."},
        {"Dos", 1, true, QPageLayout::Portrait, "Dos", ""}, // replaces the first printer's
        {"  ", 1, false, QPageLayout::Portrait, "Dos", "No hay impresora seleccionada."},
    };
    for (const auto &p : pasos) {
        respuesta = p.respuesta;
        vista = QPageLayout::Portrait;
        QString msg = "x";
        EXPECT_EQ(MostrarAjustesImpresora(nullptr, p.impresora, msg), p.ok) << p.impresora;
        EXPECT_EQ((std::tuple{msg, vista, DevModeGuardado.impresora}), (std::tuple{QString(p.texto), p.vista, QString(p.guardada)}))
            << p.impresora;
    }
    EXPECT_EQ((std::pair{CrearDCImpresora("uno")->Printer().pageLayout().orientation(),
                         CrearDCImpresora("dos")->Printer().pageLayout().orientation()}),
              (std::pair{QPageLayout::Portrait, QPageLayout::Landscape}));
    FijarSalidaPDF(QString());
    QString msg;
    EXPECT_FALSE(MostrarAjustesImpresora(nullptr, "halvora-no-existe", msg));
    EXPECT_EQ(msg, "No se pudo abrir la impresora seleccionada.");
    FijarDialogoAjustes({});
    DevModeGuardado = DevMode();
}
