// The chart generator driven as a user would: opened from the main menu,
// typed into, generated, toggled and saved through the scripted dialog.

#include "windows/chart/frmgenerarcartagrises.h"

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "platform/colorref.h"
#include "support/scripted.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <FreeImage.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace CartaGrises;

namespace {

const QString kNombre = QStringLiteral("frmGenerarCartaGrises");

class CartaWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        modIdioma::CambiarIdioma(QStringLiteral("es"));
        RegistrarVentanasCalibracion(frame);
        frame.show();
    }

    frmGenerarCartaGrises *AbrirDesdeMenu()
    {
        frame.findChild<QAction *>(QStringLiteral("mnuGenerarCarta"))->trigger();
        return qobject_cast<frmGenerarCartaGrises *>(Ventanas::Buscar(kNombre));
    }

    template <class W>
    static W *C(QWidget *w, const char *nombre)
    {
        W *c = w->findChild<W *>(QString::fromLatin1(nombre));
        EXPECT_TRUE(c) << nombre;
        return c;
    }

    // Keys as the user types them.
    static void Teclear(QWidget *w, const QString &texto)
    {
        for (QChar ch : texto) {
            const int tecla = ch.toUpper().unicode();
            QKeyEvent p(QEvent::KeyPress, tecla, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w, &p);
            QKeyEvent r(QEvent::KeyRelease, tecla, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w, &r);
        }
    }
    static void Borrar(QLineEdit *e)
    {
        e->end(false);
        while (!e->text().isEmpty()) {
            QKeyEvent p(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
            QApplication::sendEvent(e, &p);
        }
    }

    // Grey of the preview at a chart point.
    static int GrisVista(frmGenerarCartaGrises *w, double x, double y)
    {
        const Superficie &s = w->picCartaGris()->S();
        const Ajuste a = AjustarVista(s.ScaleWidth(), s.ScaleHeight(), w->Geometria());
        return ColorRef::Rojo(s.Point(TransformarX(x, a.ox, a.escala), TransformarY(y, a.oy, a.escala)));
    }
    static int GrisParcheVista(frmGenerarCartaGrises *w, int k)
    {
        const Rect r = RectParche(w->Geometria(), k);
        return GrisVista(w, (r.x1 + r.x2) / 2.0, (r.y1 + r.y2) / 2.0);
    }

    MDIForm1 frame;
};

// Grey at (x, y) from the top of a file read back with FreeImage.
struct Fichero {
    FIBITMAP *dib = nullptr;
    explicit Fichero(const QString &ruta)
    {
        const QByteArray r = QFile::encodeName(ruta);
        dib = FreeImage_Load(FreeImage_GetFileType(r.constData(), 0), r.constData(), 0);
    }
    ~Fichero()
    {
        if (dib) FreeImage_Unload(dib);
    }
    int Gris(int x, int y) const
    {
        RGBQUAD c{};
        const unsigned fy = FreeImage_GetHeight(dib) - 1 - y;
        if (FreeImage_GetBPP(dib) == 8) {
            BYTE i = 0;
            FreeImage_GetPixelIndex(dib, x, fy, &i);
            return FreeImage_GetPalette(dib)[i].rgbRed;
        }
        FreeImage_GetPixelColor(dib, x, fy, &c);
        return c.rgbGreen;
    }
};

} // namespace

TEST_F(CartaWindowTest, AbreDesdeElMenuUnaSolaVezConSusValoresIniciales)
{
    frmGenerarCartaGrises *w = AbrirDesdeMenu();
    ASSERT_TRUE(w);
    EXPECT_TRUE(qobject_cast<QMdiSubWindow *>(w->parentWidget()));
    EXPECT_EQ(AbrirDesdeMenu(), w);
    EXPECT_EQ(frame.AreaMDI()->subWindowList().size(), 1);

    EXPECT_EQ(w->windowTitle(), QStringLiteral("Generar carta de grises"));
    EXPECT_EQ(C<QLineEdit>(w, "txtResolucion")->text(), QStringLiteral("200"));
    EXPECT_EQ(C<QLineEdit>(w, "txtResolucion")->maxLength(), 4);
    EXPECT_EQ(C<QLineEdit>(w, "txtTitulo")->text(), QStringLiteral("ZOLV Carta de grises"));
    EXPECT_FALSE(C<QCheckBox>(w, "chkNumeros")->isChecked());
    EXPECT_TRUE(C<QCheckBox>(w, "chkLineas")->isChecked());
    EXPECT_TRUE(C<QRadioButton>(w, "optNegativo")->isChecked());
    EXPECT_FALSE(C<QRadioButton>(w, "optPositivo")->isChecked());
    QComboBox *cbo = C<QComboBox>(w, "cboFormato");
    ASSERT_EQ(cbo->count(), 5);
    EXPECT_EQ(cbo->itemText(0), QStringLiteral("JPG"));
    EXPECT_EQ(cbo->itemText(4), QStringLiteral("TIF"));
    EXPECT_EQ(cbo->currentIndex(), 0);
    EXPECT_TRUE(C<QPushButton>(w, "cmdGenerarCarta")->isEnabled());
    EXPECT_FALSE(C<QPushButton>(w, "cmdGrabarFichero")->isEnabled());
    EXPECT_FALSE(C<QPushButton>(w, "cmdImprimir")->isEnabled());
    EXPECT_EQ(C<QLabel>(w, "lblPixels")->text(), QStringLiteral("1173 x 1183 px "));
    EXPECT_EQ(C<QLabel>(w, "lblPPP")->text(), QStringLiteral("PPP:"));
    EXPECT_EQ(C<QCheckBox>(w, "chkLineas")->text(), QStringLiteral("Líneas"));
    const Superficie &s = w->picCartaGris()->S();
    EXPECT_EQ(s.ScaleWidth(), 713);
    EXPECT_EQ(s.ScaleHeight(), 718);
    EXPECT_EQ(s.Point(0, 0), 0xC0C0C0u);
    EXPECT_EQ(s.Point(356, 359), 0xC0C0C0u);

    // Switching the language re-captions the window.
    frame.findChild<QAction *>(QStringLiteral("mnuIdiomaEn"))->trigger();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Generate grayscale chart"));
    EXPECT_EQ(C<QPushButton>(w, "cmdGrabarFichero")->text(), QStringLiteral("Save file"));
    EXPECT_EQ(C<QPushButton>(w, "cmdImprimir")->text(), QStringLiteral("Print chart"));
    EXPECT_EQ(C<QRadioButton>(w, "optPositivo")->text(), QStringLiteral("Positive"));
    EXPECT_EQ(C<QCheckBox>(w, "chkNumeros")->text(), QStringLiteral("Numbers"));
    EXPECT_EQ(C<QLabel>(w, "lblPPP")->text(), QStringLiteral("DPI:"));
    EXPECT_EQ(C<QLabel>(w, "lblTitulo")->text(), QStringLiteral("Title:"));
    EXPECT_EQ(C<QLabel>(w, "lblFormato")->text(), QStringLiteral("Output format:"));
    EXPECT_EQ(C<QGroupBox>(w, "frmPositivoNegativo")->title(), QStringLiteral("Pos / Neg"));

    // Nothing is remembered: closing and opening again starts from the defaults.
    // 2000 (the box takes four characters) is out of range; 300 is taken.
    Teclear(C<QLineEdit>(w, "txtResolucion"), QStringLiteral("09"));
    EXPECT_EQ(C<QLineEdit>(w, "txtResolucion")->text(), QStringLiteral("2000"));
    EXPECT_EQ(w->Resolucion(), 200);
    Borrar(C<QLineEdit>(w, "txtResolucion"));
    Teclear(C<QLineEdit>(w, "txtResolucion"), QStringLiteral("300"));
    EXPECT_EQ(w->Resolucion(), 300);
    MDIForm1::DescargarVentana(w);
    EXPECT_FALSE(Ventanas::Buscar(kNombre));
    w = AbrirDesdeMenu();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Resolucion(), 200);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Generate grayscale chart"));
}

TEST_F(CartaWindowTest, TecleoGeneracionYRedibujado)
{
    frmGenerarCartaGrises *w = AbrirDesdeMenu();
    ASSERT_TRUE(w);
    QLineEdit *ppp = C<QLineEdit>(w, "txtResolucion");
    QLabel *etiqueta = C<QLabel>(w, "lblPixels");

    // 120 typed into an empty box passes through 1 and 12, both ignored.
    Borrar(ppp);
    EXPECT_EQ(w->Resolucion(), 200);
    Teclear(ppp, QStringLiteral("1"));
    Teclear(ppp, QStringLiteral("2"));
    EXPECT_EQ(etiqueta->text(), QStringLiteral("1173 x 1183 px "));
    Teclear(ppp, QStringLiteral("0"));
    const Geometria g120 = GeometriaDe(120);
    EXPECT_EQ(w->Resolucion(), 120);
    EXPECT_EQ(etiqueta->text(), QStringLiteral("%1 x %2 px ").arg(g120.AnchoPx).arg(g120.AltoPx));

    // Options before the first generation draw nothing.
    C<QRadioButton>(w, "optPositivo")->click();
    C<QCheckBox>(w, "chkNumeros")->click();
    Teclear(C<QLineEdit>(w, "txtTitulo"), QStringLiteral("x"));
    EXPECT_EQ(w->picCartaGris()->S().Point(356, 359), 0xC0C0C0u);
    C<QPushButton>(w, "cmdGrabarFichero")->click(); // disabled: nothing happens

    C<QPushButton>(w, "cmdGenerarCarta")->click();
    EXPECT_TRUE(w->CartaGenerada());
    EXPECT_TRUE(C<QPushButton>(w, "cmdGrabarFichero")->isEnabled());
    EXPECT_FALSE(C<QPushButton>(w, "cmdImprimir")->isEnabled());
    EXPECT_EQ(GrisParcheVista(w, 0), 255);
    EXPECT_EQ(GrisParcheVista(w, 99), 3);
    // The preview is exactly the chart fitted into a fresh box.
    Superficie ref(713, 718);
    ref.FontName(QStringLiteral("Arial"));
    DibujarVista(ref, g120, w->Opciones());
    EXPECT_EQ(w->picCartaGris()->S().Imagen(), ref.Imagen());

    // From now on every option change redraws at once.
    C<QRadioButton>(w, "optNegativo")->click();
    EXPECT_EQ(GrisParcheVista(w, 0), 0);
    EXPECT_EQ(GrisParcheVista(w, 50), 127);
    const QImage antes = w->picCartaGris()->S().Imagen();
    C<QCheckBox>(w, "chkLineas")->click();
    EXPECT_NE(w->picCartaGris()->S().Imagen(), antes);

    // 50 is refused: label and preview keep 120, and Generate draws 120.
    Borrar(ppp);
    Teclear(ppp, QStringLiteral("50"));
    EXPECT_EQ(w->Resolucion(), 120);
    EXPECT_EQ(etiqueta->text(), QStringLiteral("%1 x %2 px ").arg(g120.AnchoPx).arg(g120.AltoPx));
    const QImage con120 = w->picCartaGris()->S().Imagen();
    C<QPushButton>(w, "cmdGenerarCarta")->click();
    EXPECT_EQ(w->picCartaGris()->S().Imagen(), con120);
    // An accepted resolution redraws the generated chart.
    Borrar(ppp);
    Teclear(ppp, QStringLiteral("72"));
    EXPECT_EQ(etiqueta->text(), QStringLiteral("422 x 426 px "));
    EXPECT_NE(w->picCartaGris()->S().Imagen(), con120);
}

TEST_F(CartaWindowTest, GuardaEnLosCincoFormatosYSeLeeDeVuelta)
{
    frmGenerarCartaGrises *w = AbrirDesdeMenu();
    ASSERT_TRUE(w);
    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    QLineEdit *ppp = C<QLineEdit>(w, "txtResolucion");
    Borrar(ppp);
    Teclear(ppp, QStringLiteral("300"));
    C<QPushButton>(w, "cmdGenerarCarta")->click();
    const Geometria g = GeometriaDe(300);

    const char *ext[] = {"jpg", "png", "bmp", "gif", "tif"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(ext[i]);
        C<QComboBox>(w, "cboFormato")->setCurrentIndex(i);
        // A name typed without extension gets the format's.
        dialogos.Responder(dir.filePath(QStringLiteral("carta%1").arg(i)));
        C<QPushButton>(w, "cmdGrabarFichero")->click();
        const QString ruta = dir.filePath(QStringLiteral("carta%1.%2").arg(i).arg(QString::fromLatin1(ext[i])));

        ASSERT_EQ(dialogos.peticiones.size(), i + 1);
        const Dialogos::Peticion &p = dialogos.peticiones.last();
        EXPECT_TRUE(p.guardar);
        EXPECT_EQ(p.titulo, QStringLiteral("Guardar carta de grises"));
        ASSERT_EQ(p.filtros.size(), 1);
        EXPECT_EQ(p.filtros[0].descripcion, FormatoDeIndice(i).descripcion);
        EXPECT_EQ(p.filtros[0].patrones, FormatoDeIndice(i).patrones);
        EXPECT_EQ(p.extensionDefecto, QString::fromLatin1(ext[i]));
        EXPECT_EQ(p.nombreArchivo, QStringLiteral("Carta_Grises_ZOLV"));
        EXPECT_TRUE(p.carpetaInicial.isEmpty());

        ASSERT_EQ(cajas.llamadas.size(), i + 1);
        EXPECT_EQ(cajas.llamadas.last().texto, QStringLiteral("Fichero guardado correctamente:\r\n") + ruta);
        EXPECT_EQ(cajas.llamadas.last().estilo, MsgBox::Information);
        EXPECT_TRUE(cajas.llamadas.last().titulo.isEmpty());

        Fichero f(ruta);
        ASSERT_TRUE(f.dib);
        EXPECT_EQ(FreeImage_GetWidth(f.dib), 1760u);
        EXPECT_EQ(FreeImage_GetHeight(f.dib), 1775u);
        EXPECT_EQ(static_cast<int>(FreeImage_GetWidth(f.dib)), g.AnchoPx);
        if (i != 3) {
            EXPECT_NEAR(FreeImage_GetDotsPerMeterX(f.dib) * 0.0254, 300, 0.02);
            EXPECT_NEAR(FreeImage_GetDotsPerMeterY(f.dib) * 0.0254, 300, 0.02);
        }
        const int tol = i == 0 ? 2 : 0;
        for (int k : {0, 10, 50, 90}) {
            const Rect r = RectParche(g, k);
            EXPECT_NEAR(f.Gris((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2), GrisParche(k, true), tol) << k;
        }
    }
    // The full-size picture stays in picBuffer.
    EXPECT_EQ(w->picBuffer().ScaleWidth(), 1760);
}

TEST_F(CartaWindowTest, ExtensionAjenaCancelarSobrescribirYFallo)
{
    frmGenerarCartaGrises *w = AbrirDesdeMenu();
    ASSERT_TRUE(w);
    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;

    // Before any Generate the save only tells the user what to do.
    w->GuardarCarta();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Primero genera la carta de grises."));
    EXPECT_EQ(cajas.llamadas[0].estilo, MsgBox::Information);
    EXPECT_TRUE(dialogos.peticiones.isEmpty());

    Borrar(C<QLineEdit>(w, "txtResolucion"));
    Teclear(C<QLineEdit>(w, "txtResolucion"), QStringLiteral("72"));
    C<QPushButton>(w, "cmdGenerarCarta")->click();
    QPushButton *grabar = C<QPushButton>(w, "cmdGrabarFichero");

    // A ".png" name with JPEG chosen becomes "foto.png.jpg" holding JPEG.
    dialogos.Responder(dir.filePath(QStringLiteral("foto.png")));
    grabar->click();
    const QString jpg = dir.filePath(QStringLiteral("foto.png.jpg"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("foto.png"))));
    EXPECT_EQ(FreeImage_GetFileType(QFile::encodeName(jpg).constData(), 0), FIF_JPEG);
    ASSERT_EQ(cajas.llamadas.size(), 2);

    // Cancelling shows nothing and writes nothing.
    dialogos.Responder(QString());
    grabar->click();
    EXPECT_EQ(cajas.llamadas.size(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // The same name again: the overwrite question, No by default keeps it.
    QFile(jpg).resize(10);
    dialogos.Responder(dir.filePath(QStringLiteral("foto.png")));
    grabar->click();
    ASSERT_EQ(cajas.llamadas.size(), 3);
    EXPECT_EQ(cajas.llamadas[2].Botones(), MsgBox::YesNo);
    EXPECT_EQ(QFileInfo(jpg).size(), 10);
    cajas.Responder(MsgBox::Yes);
    dialogos.Responder(dir.filePath(QStringLiteral("foto.png")));
    grabar->click();
    EXPECT_GT(QFileInfo(jpg).size(), 10);

    // A target that cannot be replaced: the critical message, the target stays.
    const QString carpeta = dir.filePath(QStringLiteral("ocupado.jpg"));
    ASSERT_TRUE(QDir().mkdir(carpeta));
    const int n = cajas.llamadas.size();
    dialogos.Responder(carpeta);
    grabar->click();
    ASSERT_EQ(cajas.llamadas.size(), n + 1);
    EXPECT_TRUE(cajas.llamadas.last().texto.startsWith(QStringLiteral("Error al guardar: ")));
    EXPECT_EQ(cajas.llamadas.last().estilo, MsgBox::Critical);
    EXPECT_TRUE(QFileInfo(carpeta).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(CartaWindowTest, AvisoSinCartaEnIngles)
{
    modIdioma::CambiarIdioma(QStringLiteral("en"));
    frmGenerarCartaGrises *w = AbrirDesdeMenu();
    ASSERT_TRUE(w);
    CajasGuionadas cajas;
    w->GuardarCarta();
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Generate the grayscale chart first."));
    EXPECT_EQ(C<QCheckBox>(w, "chkLineas")->text(), QStringLiteral("Lines"));
}
