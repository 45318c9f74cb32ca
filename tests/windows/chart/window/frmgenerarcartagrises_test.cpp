// The chart generator driven as a user would, from the main menu to the file
// saved and the sheet printed on both real queues where the preview shows it.

#include "windows/chart/frmgenerarcartagrises.h"

#include "app/estilo.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "imaging/freeimage_io.h"
#include "output/ajustesimpresora.h"
#include "output/frmconfigimpresion.h"
#include "platform/picturebox.h"
#include "support/colapdf.h"
#include "support/scripted.h"
#include "support/sistema.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace CartaGrises;

namespace {

class CartaWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegistrarVentanasCalibracion(frame), frame.show();
        ASSERT_TRUE(w = Abrir());
    }
    frmGenerarCartaGrises *Abrir()
    {
        frame.findChild<QAction *>(QStringLiteral("mnuGenerarCarta"))->trigger();
        return qobject_cast<frmGenerarCartaGrises *>(Ventanas::Buscar(QStringLiteral("frmGenerarCartaGrises")));
    }
    template <class W = QPushButton>
    W *C(const char *nombre) { return w->findChild<W *>(QString::fromLatin1(nombre)); }

    // Typed as the user types, into a box cleared key by key.
    void Resolucion(const QString &texto)
    {
        QLineEdit *e = C<QLineEdit>("txtResolucion");
        for (e->end(false); !e->text().isEmpty();) QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, texto);
    }
    void Guardar(const QString &nombre) { dialogos.Responder(nombre.isEmpty() ? QString() : dir.filePath(nombre)), C("cmdGrabarFichero")->click(); }

    QImage Vista() { return w->picCartaGris()->S().Imagen(); }
    // The window's chart and options fitted into a fresh box of the preview's size.
    QImage Esperada()
    {
        Superficie ref(713, 718);
        ref.FontName(QStringLiteral("Arial")), DibujarVista(ref, w->Geometria(), w->Opciones());
        return ref.Imagen();
    }
    int Tipo(const QString &nombre) { return FreeImage_GetFileType(QFile::encodeName(dir.filePath(nombre)).constData(), 0); }
    // Presses Print and cancels a print set-up that opens meanwhile; whether one did.
    bool AbreConfiguracion()
    {
        bool abierta = false;
        QTimer mirar;
        QObject::connect(&mirar, &QTimer::timeout, [&abierta] {
            auto *d = qobject_cast<frmConfigImpresion *>(Ventanas::Buscar(QStringLiteral("frmConfigImpresion")));
            if (d && d->isVisible() && d->isModal()) abierta = true, d->findChild<QPushButton *>(QStringLiteral("cmdCancelar"))->click();
        });
        mirar.start(10);
        C("cmdImprimir")->click();
        return QTest::qWait(200), abierta;
    }
    // The warning colour, readable on what lies behind it: red, dark or light.
    static bool EnAviso(const QColor &texto, const QColor &fondo)
    {
        return texto.hslHue() == 0 && texto.hslSaturation() > 100 && Estilo::Contraste(texto, fondo) >= Estilo::ContrasteMinimo;
    }

    MDIForm1 frame;
    frmGenerarCartaGrises *w = nullptr;
    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
};

} // namespace

TEST_F(CartaWindowTest, AbreTecleaGeneraYRedibuja)
{
    // One instance, the defaults, nothing drawn and nothing to save yet.
    EXPECT_EQ((std::pair{Abrir(), frame.AreaMDI()->subWindowList().size()}), (std::pair{w, qsizetype(1)}));
    QLabel *etiqueta = C<QLabel>("lblPixels");
    EXPECT_EQ(QStringList({w->windowTitle(), w->Opciones().titulo, C<QComboBox>("cboFormato")->currentText(), etiqueta->text()}),
              QStringList({"Generar carta de grises", "ZOLV Carta de grises", "JPG", "1173 x 1183 px "}));
    EXPECT_TRUE(w->Opciones().negativo && w->Opciones().lineas && !w->Opciones().numeros);
    EXPECT_FALSE(C("cmdGrabarFichero")->isEnabled() || C("cmdImprimir")->isEnabled());
    w->GuardarCarta();
    w->ImprimirCarta();
    ASSERT_EQ(cajas.llamadas.size(), 2);
    EXPECT_EQ(QStringList({cajas.llamadas[0].texto, cajas.llamadas[1].texto, cajas.llamadas[1].titulo}),
              QStringList({"Primero genera la carta de grises.", "Primero genera la carta de grises.", "Imprimir"}));

    // 2000 (the box takes four characters) is refused at once: the range
    // beside it, the text in the warning colour, no size; Generate says what
    // the box must hold and makes nothing.
    QLineEdit *caja = C<QLineEdit>("txtResolucion");
    QLabel *rango = C<QLabel>("lblRango");
    EXPECT_FALSE(rango->isVisibleTo(w));
    QTest::keyClicks(caja, QStringLiteral("09"));
    EXPECT_EQ((std::pair{caja->text(), rango->text()}), (std::pair{QStringLiteral("2000"), QStringLiteral("72 - 1200")}));
    EXPECT_TRUE(rango->isVisibleTo(w) && etiqueta->text().isEmpty());
    EXPECT_TRUE(EnAviso(caja->palette().color(QPalette::Text), caja->palette().color(QPalette::Base)));
    EXPECT_TRUE(EnAviso(rango->palette().color(QPalette::WindowText), w->palette().color(QPalette::Window)));
    const QString soloRango = QStringLiteral("La resolución debe ser un número entero entre 72 y 1200 ppp.");
    C("cmdGenerarCarta")->click();
    EXPECT_EQ(cajas.llamadas.last().texto, soloRango);
    EXPECT_FALSE(C("cmdGrabarFichero")->isEnabled());
    // 120 typed into an empty box passes through 1 and 12, both refused.
    Resolucion(QStringLiteral("12"));
    EXPECT_TRUE(w->Resolucion() == 200 && rango->isVisibleTo(w));
    QTest::keyClicks(caja, QStringLiteral("0"));
    EXPECT_EQ((std::pair{w->Resolucion(), etiqueta->text()}), (std::pair{120, QStringLiteral("705 x 711 px ")}));
    EXPECT_TRUE(!rango->isVisibleTo(w) && caja->palette().color(QPalette::Text) == QColor(Qt::black));

    // Options before the first generation draw nothing; afterwards every
    // change redraws at once.
    C<QRadioButton>("optPositivo")->click();
    C<QCheckBox>("chkNumeros")->click();
    EXPECT_EQ(w->picCartaGris()->S().Point(356, 359), 0xC0C0C0u);
    C("cmdGenerarCarta")->click();
    EXPECT_TRUE(C("cmdGrabarFichero")->isEnabled() && C("cmdImprimir")->isEnabled());
    EXPECT_TRUE(w->Geometria().Resolucion == 120 && w->Opciones().numeros && !w->Opciones().negativo && Vista() == Esperada());
    C<QRadioButton>("optNegativo")->click();
    EXPECT_TRUE(w->Opciones().negativo && Vista() == Esperada());
    C<QCheckBox>("chkLineas")->click();
    EXPECT_TRUE(!w->Opciones().lineas && Vista() == Esperada());

    // 1440 is refused, never read as the 144 accepted on the way: no size,
    // no chart on show, and neither Generate nor Save makes one.
    Resolucion(QStringLiteral("1440"));
    EXPECT_TRUE(etiqueta->text().isEmpty() && w->picCartaGris()->S().Point(356, 359) == 0xC0C0C0u);
    const qsizetype avisos = cajas.llamadas.size();
    C("cmdGenerarCarta")->click();
    Guardar(QStringLiteral("no.png"));
    ASSERT_EQ(cajas.llamadas.size(), avisos + 2);
    EXPECT_EQ((std::pair{cajas.llamadas[avisos].texto + cajas.llamadas[avisos + 1].texto, cajas.llamadas[avisos].Icono()}),
              (std::pair{soloRango + soloRango, int(MsgBox::Exclamation)}));
    EXPECT_TRUE(dialogos.peticiones.isEmpty() && w->picCartaGris()->S().Point(356, 359) == 0xC0C0C0u);
    // Nor does Print: the same message, and no print set-up.
    EXPECT_FALSE(AbreConfiguracion());
    ASSERT_EQ(cajas.llamadas.size(), avisos + 3);
    EXPECT_EQ(cajas.llamadas.last().texto, soloRango);
    Resolucion(QStringLiteral("72"));
    EXPECT_TRUE(etiqueta->text() == QStringLiteral("422 x 426 px ") && w->Geometria().Resolucion == 72 && Vista() == Esperada());
    // An accepted entry again: the set-up shows the chart, its aspect (19 x
    // 426 / 422 = 19.18 cm) and profile; cancelled, it leaves no full-size render.
    bool vista = false;
    EnConfiguracionImpresion([&](frmConfigImpresion &d) {
        vista = d.Imagen == Esperada();
        EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("lblPerfilDocumentoVal"))->text(), QStringLiteral("sRGB IEC61966-2.1"));
        EXPECT_TRUE(d.findChild<QLabel *>(QStringLiteral("lblInfoCarta"))->text().startsWith(QStringLiteral("Carta: 19.00 x 19.18 cm")));
        d.findChild<QPushButton *>(QStringLiteral("cmdCancelar"))->click();
    });
    C("cmdImprimir")->click();
    EXPECT_TRUE(vista && w->picBuffer().Vacia() && cajas.llamadas.size() == avisos + 3);

    // The other language; nothing is remembered after closing.
    frame.findChild<QAction *>(QStringLiteral("mnuIdiomaEn"))->trigger();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Generate grayscale chart"));
    MDIForm1::DescargarVentana(w);
    ASSERT_TRUE((w = Abrir()) && w->Resolucion() == 200);
    w->GuardarCarta();
    EXPECT_EQ(cajas.llamadas.last().texto, QStringLiteral("Generate the grayscale chart first."));
}

// At 300 ppp with the numbers on, each file holds the bytes the chart save
// writes for that picture (HuellasCarta pins them).
TEST_F(CartaWindowTest, GuardaEnLosCincoFormatosLosBytesDeLaCarta)
{
    Resolucion(QStringLiteral("300"));
    C<QCheckBox>("chkNumeros")->click();
    C("cmdGenerarCarta")->click();
    const char *ext[] = {"jpg", "png", "bmp", "gif", "tif"};
    const char *huellas[] = {"bd1c030ee86565af", "211fe96d70fb221e", "309d953a3ac4f13d", "65b4975ad8a47128", "86daaf84265b892e"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(ext[i]);
        C<QComboBox>("cboFormato")->setCurrentIndex(i);
        Guardar(QStringLiteral("carta%1").arg(i)); // the format's extension is added
        const QString ruta = dir.filePath(QStringLiteral("carta%1.%2").arg(i).arg(QString::fromLatin1(ext[i])));
        ASSERT_TRUE(dialogos.peticiones.size() == i + 1 && cajas.llamadas.size() == i + 1);
        const Dialogos::Peticion &p = dialogos.peticiones.last();
        EXPECT_EQ(QStringList({p.titulo, p.filtros.value(0).descripcion + p.filtros.value(0).patrones, p.extensionDefecto,
                               p.nombreArchivo, cajas.llamadas.last().texto}),
                  QStringList({"Guardar carta de grises", FormatoDeIndice(i).descripcion + FormatoDeIndice(i).patrones,
                               ext[i], "Carta_Grises_ZOLV", "Fichero guardado correctamente:\r\n" + ruta}));
        EXPECT_EQ(QCryptographicHash::hash(Leer(ruta), QCryptographicHash::Md5).toHex().left(16).toStdString(), huellas[i]);
    }
    EXPECT_EQ(w->picBuffer().ScaleWidth(), 1760); // the full-size picture stays
}

TEST_F(CartaWindowTest, ExtensionAjenaCancelarSobrescribirYFallo)
{
    Resolucion(QStringLiteral("72"));
    C("cmdGenerarCarta")->click();
    auto ficheros = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); };
    // A ".png" name with JPEG chosen becomes "foto.png.jpg" holding JPEG.
    Guardar(QStringLiteral("foto.png"));
    Guardar(QString()); // cancelled: shows nothing and writes nothing
    EXPECT_EQ((std::tuple{Tipo(QStringLiteral("foto.png.jpg")), ficheros(), cajas.llamadas.size()}),
              (std::tuple{int(FIF_JPEG), QStringList{"foto.png.jpg"}, qsizetype(1)}));

    // The same name again asks first: No (the default) keeps the file, Yes
    // replaces it whole.
    QFile(dir.filePath(QStringLiteral("foto.png.jpg"))).resize(10);
    Guardar(QStringLiteral("foto.png"));
    ASSERT_EQ(cajas.llamadas.size(), 2);
    EXPECT_TRUE(cajas.llamadas[1].Botones() == MsgBox::YesNo && QFileInfo(dir.filePath(QStringLiteral("foto.png.jpg"))).size() == 10);
    cajas.Responder(MsgBox::Yes), Guardar(QStringLiteral("foto.png"));
    EXPECT_EQ(Tipo(QStringLiteral("foto.png.jpg")), FIF_JPEG);

    // A target that cannot be replaced: the critical message, the target stays.
    ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("ocupado.jpg"))));
    const int n = cajas.llamadas.size();
    Guardar(QStringLiteral("ocupado.jpg"));
    ASSERT_EQ(cajas.llamadas.size(), n + 1);
    EXPECT_TRUE(cajas.llamadas.last().texto.startsWith(QStringLiteral("Error al guardar: ")) && cajas.llamadas.last().estilo == MsgBox::Critical);
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("ocupado.jpg"))).isDir() && ficheros().size() == 1);
}

namespace {

// At every 25th device pixel of the printed box whose chart pixel stands amid
// eight of its grey, the printed and the chart's grey: the first that differ.
std::optional<std::pair<int, int>> GrisesDistintos(const QImage &hoja, const QImage &carta, int *comparados)
{
    const QRect caja = Raster::Tinta(hoja);
    *comparados = 0;
    for (int py = caja.top(); py <= caja.bottom(); py += 25)
        for (int px = caja.left(); px <= caja.right(); px += 25) {
            const int cx = int((px - caja.x() + 0.5) * carta.width() / caja.width()),
                      cy = int((py - caja.y() + 0.5) * carta.height() / caja.height());
            if (cx < 1 || cy < 1 || cx + 1 >= carta.width() || cy + 1 >= carta.height()) continue;
            const int gris = qGray(carta.pixel(cx, cy));
            bool liso = true;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) liso = liso && carta.pixel(cx + dx, cy + dy) == carta.pixel(cx, cy);
            if (!liso) continue;
            ++*comparados;
            if (qGray(hoja.pixel(px, py)) != gris) return std::pair{qGray(hoja.pixel(px, py)), gris};
        }
    return std::nullopt;
}

} // namespace

// Both queues, on their own paper and on papers and orientations chosen in
// their settings dialog, centred or placed by hand: the chart lands within a
// device pixel of where the preview draws it; cups-pdf gets the saved file's
// pixels once per copy, the IPP printer the chart's own greys.
TEST_F(CartaWindowTest, LaCartaQuedaEnLaHojaDondeLaPoneLaVista)
{
    REQUIERE_COLA_PDF();
    C("cmdGenerarCarta")->click();
    C<QComboBox>("cboFormato")->setCurrentIndex(2); // BMP
    Guardar(QStringLiteral("carta.bmp"));
    const QImage guardada = QImage(dir.filePath(QStringLiteral("carta.bmp"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(guardada.size(), QSize(1173, 1183));
    const double relacion = 1183.0 / 1173;
    const struct {
        const char *cola;
        std::optional<QPageSize::PageSizeId> papel; // chosen in the settings; none: not opened
        bool apaisado, centrado;
        const char *vista; // the same paper in the set-up
        QSizeF hojaCm, puntos; // portrait; as the printer received it
        double ancho;
    } casos[] = {
        {ColaPDF::kCola, std::nullopt, false, true, "A4", {21.0, 29.7}, {595, 842}, 19},
        {ColaPDF::kCola, QPageSize::Letter, false, false, "Letter", {21.59, 27.94}, {612, 792}, 19},
        {ColaPDF::kCola, QPageSize::A5, true, true, "A5", {14.8, 21.0}, {421, 595}, 12}, // its driver's A5
        {ColaPDF::kCola, QPageSize::A4, true, false, "A4", {21.0, 29.7}, {595, 842}, 19},
        // The IPP printer's own paper is US Letter; it offers no A5.
        {ColaPDF::kColaIPP, std::nullopt, false, true, "Letter", {21.59, 27.94}, {612, 792}, 19},
        {ColaPDF::kColaIPP, QPageSize::Letter, true, false, "Letter", {21.59, 27.94}, {612, 792}, 19},
        {ColaPDF::kColaIPP, QPageSize::A4, false, false, "A4", {21.0, 29.7}, {595, 842}, 19},
        {ColaPDF::kColaIPP, QPageSize::Legal, true, true, "Legal", {21.59, 35.56}, {612, 1008}, 19},
    };
    bool grises = false;
    for (const auto &c : casos) {
        SCOPED_TRACE(std::string(c.cola) + " " + c.vista + (c.apaisado ? " landscape" : " portrait") + (c.centrado ? " centred" : " manual"));
        // Placed by hand 1.5 cm right and 2 cm down, 1 cm down on a landscape sheet.
        const double x = c.centrado ? 0 : 1.5, y = c.centrado ? 0 : c.apaisado ? 1 : 2, alto = c.ancho * relacion;
        const QSizeF hoja = c.apaisado ? c.hojaCm.transposed() : c.hojaCm;
        modImpresion::DevModeGuardado = modImpresion::DevMode();
        const QList<int> antes = ColaPDF::Trabajos(c.cola);
        const bool dosCopias = &c == casos;
        EnConfiguracionImpresion([&](frmConfigImpresion &d) {
            d.findChild<QComboBox *>(QStringLiteral("cboImpresora"))->setCurrentText(QString::fromLatin1(c.cola));
            if (dosCopias) d.findChild<QLineEdit *>(QStringLiteral("txtCopias"))->setText(QStringLiteral("2"));
            if (c.papel) {
                EnAjustesImpresora(*c.papel, c.apaisado ? QPageLayout::Landscape : QPageLayout::Portrait);
                d.findChild<QPushButton *>(QStringLiteral("cmdAjustesImpresora"))->click();
            }
            d.findChild<QComboBox *>(QStringLiteral("cboPapel"))->setCurrentText(QString::fromLatin1(c.vista));
            if (c.apaisado) d.findChild<QRadioButton *>(QStringLiteral("optLandscape"))->click();
            d.findChild<QLineEdit *>(QStringLiteral("txtAncho"))->setText(QString::number(c.ancho));
            if (!c.centrado) {
                d.findChild<QRadioButton *>(QStringLiteral("optManual"))->click();
                d.findChild<QLineEdit *>(QStringLiteral("txtPosX"))->setText(QString::number(x));
                d.findChild<QLineEdit *>(QStringLiteral("txtPosY"))->setText(QString::number(y));
            }
            // Where the preview draws the chart, to one of its pixels.
            const VistaImpresion::Geometria &g = d.GeometriaVista();
            EXPECT_NEAR((g.cartaX - g.hojaX) / g.escala, c.centrado ? (hoja.width() - c.ancho) / 2 : x, 1 / g.escala);
            EXPECT_NEAR((g.cartaY - g.hojaY) / g.escala, c.centrado ? (hoja.height() - alto) / 2 : y, 1 / g.escala);
            ImprimirEnPDF(d, 2, c.cola);
        });
        C("cmdImprimir")->click();
        if (c.cola == ColaPDF::kCola) {
            // pdftoppm's pixels at 100 ppp, each a twelfth of the queue's.
            const QString pdf = ColaPDF::NuevoPDF(antes, QStringLiteral("Carta de grises"));
            EXPECT_EQ(ColaPDF::Puntos(pdf), c.puntos);
            if (dosCopias) {
                // 19 x 1183 / 1173 = 19.162 cm.
                EXPECT_EQ((std::pair{cajas.llamadas.last().texto, cajas.llamadas.last().Icono()}),
                          (std::pair{QStringLiteral("Carta enviada a la impresora.\r\nTamano impreso: 19.0 x 19.2 cm  (200 ppp)\r\n"
                                                    "Posicion: centrada"), int(MsgBox::Information)}));
                EXPECT_EQ((std::pair{ColaPDF::Paginas(pdf), ColaPDF::Imagenes(pdf)}), (std::pair{2, QList<QImage>{guardada, guardada}}));
            }
            EXPECT_LE(ColaPDF::Desvio(pdf, c.ancho, alto, c.centrado, x, y,
                                      c.apaisado ? ColaPDF::Giro::Antihorario : ColaPDF::Giro::Ninguno),
                      1.0);
            continue;
        }
        const QList<Raster::Pagina> paginas = ColaPDF::NuevoRaster(antes, QStringLiteral("Carta de grises"));
        ASSERT_EQ(paginas.size(), 1);
        EXPECT_EQ((std::pair{paginas[0].puntos, paginas[0].ppp}), (std::pair{c.puntos, QSize(600, 600)}));
        EXPECT_LE(ColaPDF::Desvio(paginas[0], c.ancho, alto, c.centrado, x, y,
                                  c.apaisado ? ColaPDF::Giro::Horario : ColaPDF::Giro::Ninguno),
                  ColaPDF::kUnPixel);
        if (grises || c.apaisado || !c.centrado) continue;
        grises = true;
        int comparados = 0;
        EXPECT_EQ(GrisesDistintos(paginas[0].imagen, guardada, &comparados), std::nullopt);
        EXPECT_GT(comparados, 10000);
    }
    EXPECT_TRUE(grises);
    modImpresion::DevModeGuardado = modImpresion::DevMode();
}
