// Printing through a real CUPS queue (the tests' cups-pdf queue, set up by
// scripts/cups.sh): the job's pages, pixels, place on the page and colour
// option, a failure that leaves nothing queued, and the sheet each queue
// starts from or is given in its real settings dialog.

#include "output/ayuda_impresion.h"

#include "output/ajustesimpresora.h"
#include "output/cups.h"
#include "output/dcimpresora.h"
#include "output/impresion.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <functional>
#include <optional>

using namespace modImpresion;

namespace {

class Cola : public ::testing::Test {
protected:
    void SetUp() override { REQUIERE_COLA_PDF(); }
    void TearDown() override { FijarFalloDC(OperacionDC::Dibujar, 0); }
    QString msg;
    const QImage imagen = prueba::Patron(1001, 30);
};

} // namespace

TEST_F(Cola, CopiasPixelesLugarYGestionDeColor)
{
    QTemporaryDir dir;
    const QString perfil = prueba::Guardar(prueba::PerfilAncho(), dir.filePath("ancho.icc"));
    const QString cola = " HALVORA-pdf "; // any letter case, blanks trimmed
    // Placed from the paper's edge in both orientations, centred on the sheet.
    const struct {
        bool apaisado, centrado;
        double x, y;
    } lugares[] = {{false, false, 1, 2}, {true, true, 0, 0}, {true, false, 3, 4}};
    for (const int16_t modo : {0, 1, 2}) {
        const auto &l = lugares[modo];
        DevModeGuardado = DevMode();
        if (l.apaisado) { // kept settings of the queue, under another letter case
            std::unique_ptr<DCImpresora> dc = CrearDCImpresora(cola.trimmed());
            ASSERT_TRUE(dc);
            dc->Printer().setPageOrientation(QPageLayout::Landscape);
            DevModeGuardado = {true, cola.trimmed().toUpper(), LeerAjustes(dc->Printer())};
        }
        const int16_t copias = std::array<int16_t, 3>{-3, 0, 3}[modo]; // at least one
        const QString titulo = "Prueba " + QString::number(modo);
        const QList<int> antes = ColaPDF::Trabajos();
        const ResultadoImpresion r = Imprimir({.imagen = &imagen, .anchoPx = 1001, .altoPx = 30, .nombreDocumento = titulo,
                                               .impresora = cola, .copias = copias, .anchoCm = 10, .altoCm = 10 * 30 / 1001.0,
                                               .centrado = l.centrado, .xCm = l.x, .yCm = l.y, .modoColor = modo,
                                               .perfilImpresora = perfil});
        DevModeGuardado = DevMode();
        ASSERT_EQ(r.codigo, 1) << r.motivo.toStdString();
        int id = 0;
        const QString pdf = ColaPDF::NuevoPDF(antes, titulo, &id);
        ASSERT_FALSE(pdf.isEmpty());
        EXPECT_EQ(ColaPDF::Atributo(id, "cm-calibration").toStdString(), modo ? "true" : ""); // colour management off in modes 1 and 2 only
        EXPECT_EQ(ColaPDF::Atributo(id, "landscape").toStdString(), l.apaisado ? "true" : "") << modo;
        // Options go to CUPS in name, value pairs: no value became a name.
        EXPECT_EQ((std::pair{ColaPDF::Atributo(id, "sides"), ColaPDF::Atributo(id, "one-sided")}), (std::pair{QString("one-sided"), QString()}));
        const QList<QImage> imagenes = ColaPDF::Imagenes(pdf); // one page, one picture per copy
        EXPECT_EQ((std::pair{ColaPDF::Paginas(pdf), int(imagenes.size())}), (std::pair{std::max<int>(copias, 1), std::max<int>(copias, 1)}));
        const QImage esperada = modo == 1 ? prueba::TransformarLCMS(imagen, RutaPerfilSRGB(), perfil, 1, false) : imagen;
        for (const QImage &i : imagenes) EXPECT_EQ(prueba::Diferencia(i, esperada), 0) << modo;
        EXPECT_LE(ColaPDF::Desvio(pdf, 10, 10 * 30 / 1001.0, l.centrado, l.x, l.y,
                                  l.apaisado ? ColaPDF::Giro::Antihorario : ColaPDF::Giro::Ninguno),
                  1.0)
            << modo;
    }
}

TEST_F(Cola, FalloEnLaSegundaCopiaNoDejaNadaEnCola)
{
    FijarFalloDC(OperacionDC::Dibujar, 2);
    const QList<int> antes = ColaPDF::Trabajos();
    EXPECT_EQ(Imprimir({.imagen = &imagen, .anchoPx = 1001, .altoPx = 30, .nombreDocumento = "Prueba", .impresora = ColaPDF::kCola,
                        .copias = 3, .anchoCm = 10, .altoCm = 1, .modoColor = 2})
                  .motivo,
              "No se pudo enviar la imagen a la impresora.");
    EXPECT_EQ(ColaPDF::Trabajos(), antes);
    EXPECT_EQ(QDir(QDir::tempPath()).entryList({"zolv_impresion_*"}), QStringList());
}

TEST_F(Cola, ColaQueRechazaTrabajosDiceQueNoLosAcepta)
{
    // A queue of this test's own, refusing jobs, gone afterwards.
    const QString nombre = QStringLiteral("halvora-rechaza-%1").arg(QCoreApplication::applicationPid());
    const auto ejecutar = [](const QString &programa, const QStringList &args) {
        QProcess p;
        p.start(programa, args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    ASSERT_TRUE(ejecutar("lpadmin", {"-p", nombre, "-E", "-v", "cups-pdf:/"}));
    const struct Quitar {
        std::function<void()> f;
        ~Quitar() { f(); }
    } quitar{[&] { ejecutar("lpadmin", {"-x", nombre}); }};
    ASSERT_TRUE(ejecutar("cupsreject", {nombre}));
    // CUPS's answer for the queue now, and for the one that accepts jobs.
    EXPECT_EQ((std::pair{ColaCUPS::MotivoCola(nombre), ColaCUPS::MotivoCola(ColaPDF::kCola)}),
              (std::pair{QStringLiteral("La impresora no acepta trabajos"), QString()}));
    msg = Imprimir({.imagen = &imagen, .anchoPx = 1001, .altoPx = 30, .nombreDocumento = "Prueba", .impresora = nombre,
                    .anchoCm = 10, .altoCm = 1, .modoColor = 2})
              .motivo;
    EXPECT_TRUE(msg.startsWith("No se pudo cerrar el documento de impresion. La impresora no acepta trabajos"))
        << msg.toStdString();
    EXPECT_EQ(QDir(QDir::tempPath()).entryList({"zolv_impresion_*"}), QStringList());
}

TEST_F(Cola, LaHojaEsLaDeLaColaOLaElegidaEnSusAjustes)
{
    // The whole sheet in device pixels at 1200 ppp: what each queue starts
    // from, and the paper chosen in its real settings dialog.
    const struct {
        const char *cola;
        std::optional<QPageSize::PageSizeId> papel;
        QSize hoja;
    } casos[] = {
        {ColaPDF::kColaIPP, std::nullopt, {10200, 13200}}, // its own US Letter
        {ColaPDF::kCola, std::nullopt, {9917, 14033}},     // A4
        {" HALVORA-ipp ", QPageSize::A4, {9917, 14033}},
        {ColaPDF::kColaIPP, QPageSize::Legal, {10200, 16800}},
        {ColaPDF::kCola, QPageSize::Letter, {10200, 13200}},
    };
    for (const auto &c : casos) {
        DevModeGuardado = DevMode();
        if (c.papel) {
            EnAjustesImpresora(*c.papel, QPageLayout::Portrait);
            EXPECT_TRUE(MostrarAjustesImpresora(nullptr, c.cola, msg)) << msg.toStdString();
            // Kept for the printer asked for, by its trimmed name.
            EXPECT_EQ(DevModeGuardado.impresora, QString(c.cola).trimmed());
        }
        const std::unique_ptr<DCImpresora> dc = CrearDCImpresora(QString(c.cola).trimmed());
        ASSERT_TRUE(dc);
        EXPECT_EQ(QSize(dc->GetDeviceCaps(HORZRES), dc->GetDeviceCaps(VERTRES)), c.hoja) << c.cola;
    }
    DevModeGuardado = DevMode();
}

TEST_F(Cola, DesactivarICMCambiaSoloElValorDeLaOpcion)
{
    // The kept options are name, value pairs; a value that reads like the
    // option's name is left alone.
    const QStringList casos[][2] = {
        {{}, {"cm-calibration", "true"}},
        {{"cm-calibration", "false"}, {"cm-calibration", "true"}},
        {{"job-name", "cm-calibration"}, {"job-name", "cm-calibration", "cm-calibration", "true"}},
        {{"job-name", "cm-calibration", "cm-calibration", "false"}, {"job-name", "cm-calibration", "cm-calibration", "true"}},
    };
    for (const auto &[guardadas, esperadas] : casos) {
        std::unique_ptr<DCImpresora> dc = CrearDCImpresora(ColaPDF::kCola);
        ASSERT_TRUE(dc);
        AjustesImpresora a = LeerAjustes(dc->Printer());
        a.opcionesCups = guardadas;
        DevModeGuardado = {true, ColaPDF::kCola, a};
        dc = CrearDCImpresora(ColaPDF::kCola);
        dc->DesactivarICM();
        EXPECT_EQ(dc->OpcionesCups().join(u' ').toStdString(), esperadas.join(u' ').toStdString());
    }
    DevModeGuardado = DevMode();
}
