// The print set-up dialog driven as the user does: open it, choose, type,
// drag in the preview with the mouse, print, cancel or close it.

#include "app/idioma.h"
#include "app/ventanas.h"
#include "output/ajustesimpresora.h"
#include "output/frmconfigimpresion.h"
#include "output/peticionimpresion.h"
#include "platform/colorref.h"
#include "platform/picturebox.h"
#include "support/colapdf.h"
#include "support/scripted.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include <cups/cups.h>

namespace {

constexpr double kRel = 1210.0 / 1200.0;

class DialogoImpresion : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        modIdioma::Idioma = QStringLiteral("es");
        frmConfigImpresion::FijarListaImpresoras(
            frmConfigImpresion::ListaImpresoras{{"PDF", "Epson Stylus", "Canon"}, "EPSON STYLUS"});
        modImpresion::FijarCarpetaColor(dir.path());
    }
    void TearDown() override
    {
        frmConfigImpresion::FijarListaImpresoras(std::nullopt);
        modImpresion::FijarCarpetaColor(QString());
        modIdioma::Idioma = QStringLiteral("es");
    }

    // Runs the user's actions inside the next modal opening; they must end
    // by closing it.
    void Dentro(const std::function<void()> &acciones)
    {
        EnConfiguracionImpresion([this, acciones](frmConfigImpresion &dialogo) {
            d = &dialogo;
            acciones();
        });
    }

    template <class W = QWidget>
    W *C(const char *nombre)
    {
        W *w = d->findChild<W *>(nombre);
        EXPECT_NE(w, nullptr) << nombre;
        return w;
    }
    QString Texto(const char *caja) { return C<QLineEdit>(caja)->text(); }
    QString Etiqueta(const char *nombre) { return C<QLabel>(nombre)->text(); }
    QComboBox *Lista(const char *nombre) { return C<QComboBox>(nombre); }
    QStringList Cajas(std::initializer_list<const char *> nombres)
    {
        QStringList l;
        for (const char *n : nombres) l << Texto(n);
        return l;
    }
    // Types into a box as a user does, then optionally leaves it for another control.
    void Teclear(const char *caja, const char *texto, bool salir = false)
    {
        QLineEdit *t = C<QLineEdit>(caja);
        t->setFocus(Qt::MouseFocusReason);
        t->selectAll();
        QTest::keyClick(t, Qt::Key_Backspace);
        QTest::keyClicks(t, QString::fromUtf8(texto));
        if (salir) Lista("cboUnidades")->setFocus(Qt::TabFocusReason);
    }
    Qt::CursorShape Cursor() { return C("picVista")->cursor().shape(); }
    void Raton(QEvent::Type tipo, int x, int y)
    {
        QWidget *v = C("picVista");
        if (tipo == QEvent::MouseButtonPress) QTest::mousePress(v, Qt::LeftButton, {}, QPoint(x, y));
        else if (tipo == QEvent::MouseButtonRelease) QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(x, y));
        else QTest::mouseMove(v, QPoint(x, y + 1)), QTest::mouseMove(v, QPoint(x, y)); // via a neighbour: no move to where it is
    }

    QTemporaryDir dir;
    CajasGuionadas cajas;
    frmConfigImpresion *d = nullptr;
};

} // namespace

TEST_F(DialogoImpresion, CadaAperturaEmpiezaConLosValoresPorDefecto)
{
    const auto porDefecto = [this] {
        EXPECT_EQ(Cajas({"txtAncho", "txtMargenArr", "txtMargenAbj", "txtMargenIzq", "txtMargenDer", "txtPosX",
                         "txtPosY", "txtPapelAncho", "txtPapelAlto", "txtCopias"}),
                  QStringList({"19.00", "2.00", "2.00", "1.00", "1.00", "1.00", "2.00", "21.00", "29.70", "1"}));
        EXPECT_EQ(std::vector<int>({Lista("cboPapel")->currentIndex(), Lista("cboUnidades")->currentIndex(),
                                    Lista("cboImpresora")->currentIndex(), Lista("cboGestionColor")->currentIndex(),
                                    Lista("cboPerfilImpresora")->currentIndex(), Lista("cboRenderingIntent")->currentIndex()}),
                  std::vector<int>({0, 0, 1, 0, 0, 0}));
        EXPECT_TRUE(C<QRadioButton>("optPortrait")->isChecked() && C<QRadioButton>("optCentrado")->isChecked());
        EXPECT_FALSE(C("txtPosX")->isEnabled() || C("cboPerfilImpresora")->isEnabled() ||
                     C<QCheckBox>("chkCompensacionPuntoNegro")->isChecked());
        EXPECT_EQ(d->Impresora, QStringLiteral("Epson Stylus"));
        EXPECT_EQ(Etiqueta("lblInfoCarta"), T("Carta: 19.00 x 19.16 cm   Centrada en A4", "Chart: 19.00 x 19.16 cm   Centered on A4"));
    };

    frmConfigImpresion dialogo;
    dialogo.Inicializar(19.0, kRel);
    Dentro([&] {
        porDefecto();
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Configuración de impresión"));
        EXPECT_EQ(QStringList({Etiqueta("lblPapelInfo"), Etiqueta("lblPerfilDocumentoVal"), C<QGroupBox>("fraMargen")->title(),
                               C<QPushButton>("cmdOK")->text()}),
                  QStringList({"Tamaño del papel: A4  21.0 x 29.7 cm  [vertical]", "RGB sin etiqueta", "Márgenes (cm)", "Imprimir"}));
        // cm -> in -> cm: each switch rounds to two decimals in the new unit;
        // the paper boxes come from the table and do not drift.
        Lista("cboUnidades")->setCurrentIndex(1);
        EXPECT_EQ(Cajas({"txtMargenIzq", "txtMargenArr", "txtPapelAncho"}), QStringList({"0.39", "0.79", "8.27"}));
        EXPECT_EQ(C<QGroupBox>("fraMargen")->title(), QStringLiteral("Márgenes (in)"));
        Lista("cboUnidades")->setCurrentIndex(0);
        EXPECT_EQ(Cajas({"txtMargenIzq", "txtMargenArr", "txtPapelAncho"}), QStringList({"0.99", "2.01", "21.00"}));
        Lista("cboUnidades")->setCurrentIndex(1);
        C<QRadioButton>("optLandscape")->click();
        C<QRadioButton>("optManual")->click();
        Lista("cboGestionColor")->setCurrentIndex(2);
        Teclear("txtCopias", "7");
        d->close(); // the close box
    });
    dialogo.Mostrar();
    EXPECT_FALSE(dialogo.Aceptado);

    // Width 0 and ratio 0 from the caller: 19 cm with the default ratio.
    modIdioma::Idioma = QStringLiteral("en");
    dialogo.Inicializar(0, 0);
    dialogo.PerfilDocumentoEntrada = QStringLiteral("  ");
    Dentro([&] {
        porDefecto();
        EXPECT_EQ(QStringList({d->windowTitle(), Etiqueta("lblPapelInfo"), Etiqueta("lblPerfilDocumentoVal"),
                               Lista("cboUnidades")->itemText(1), Etiqueta("lblAvisoColor")}),
                  QStringList({"Print setup", "Paper size: A4  21.0 x 29.7 cm  [portrait]", "  ", "inches",
                               "Remember to enable/disable printer color management in Print settings."}));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    dialogo.Mostrar();
    EXPECT_FALSE(dialogo.Aceptado);
}

TEST_F(DialogoImpresion, PapelesYUnidades)
{
    modIdioma::Idioma = QStringLiteral("en");
    frmConfigImpresion dialogo;
    Dentro([&] {
        Lista("cboUnidades")->setCurrentIndex(1);
        Lista("cboPapel")->setCurrentIndex(7);
        EXPECT_EQ(Cajas({"txtPapelAncho", "txtPapelAlto"}), QStringList({"8.50", "11.00"}));

        Lista("cboPapel")->setCurrentIndex(0);
        Lista("cboUnidades")->setCurrentIndex(2);
        C<QRadioButton>("optLandscape")->click();
        EXPECT_EQ(Cajas({"txtPapelAncho", "txtPapelAlto"}), QStringList({"297.00", "210.00"}));
        EXPECT_EQ(Etiqueta("lblPapelInfo"), QStringLiteral("Paper size: A4  29.7 x 21.0 cm  [landscape]"));

        // Custom paper keeps the boxes; a side under 1 cm counts as 1 cm.
        Lista("cboUnidades")->setCurrentIndex(0);
        C<QRadioButton>("optPortrait")->click();
        Lista("cboPapel")->setCurrentIndex(9);
        Teclear("txtPapelAncho", "0.5");
        EXPECT_EQ(Etiqueta("lblPapelInfo"), QStringLiteral("Paper size: Custom  1.0 x 29.7 cm  [portrait]"));
        EXPECT_TRUE(Etiqueta("lblInfoCarta").endsWith(QStringLiteral("  [!] Chart wider than paper")));
        Lista("cboUnidades")->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(Texto("txtPapelAncho"), QStringLiteral("1.00"));
        C<QPushButton>("cmdCancelar")->click();
    });
    dialogo.Mostrar();
    EXPECT_FALSE(dialogo.Aceptado);
}

TEST_F(DialogoImpresion, PosicionManualNormalizadoresYSinImpresora)
{
    frmConfigImpresion::FijarListaImpresoras(frmConfigImpresion::ListaImpresoras{});
    PeticionImpresion p;
    p.copias = -5;
    Dentro([&] {
        // In centred placement a press does nothing.
        Raton(QEvent::MouseButtonPress, 100, 200);
        Raton(QEvent::MouseMove, 130, 230);
        Raton(QEvent::MouseButtonRelease, 130, 230);
        EXPECT_EQ(Cajas({"txtMargenIzq", "txtAncho"}), QStringList({"1.00", "19.00"}));
        EXPECT_EQ(Cursor(), Qt::ArrowCursor);
        // Nor does a new width recompute the bottom and right margins.
        Teclear("txtAncho", "10");
        EXPECT_EQ(Cajas({"txtMargenAbj", "txtMargenDer"}), QStringList({"2.00", "1.00"}));
        Teclear("txtAncho", "19");

        C<QRadioButton>("optManual")->click();
        EXPECT_TRUE(C("txtPosX")->isEnabled());
        Teclear("txtMargenArr", "2");
        EXPECT_EQ(Cajas({"txtMargenAbj", "txtMargenDer"}), QStringList({"8.54", "1.00"}));
        Teclear("txtPosX", "5");
        EXPECT_EQ(Cajas({"txtMargenIzq", "txtMargenDer"}), QStringList({"5", "0.00"}));
        EXPECT_TRUE(Etiqueta("lblInfoCarta").endsWith(QStringLiteral("Posición  X: 5.00 cm   Y: 2.00 cm")));
        Teclear("txtPosX", "3,5");
        EXPECT_EQ(Texto("txtMargenIzq"), QStringLiteral("3,5"));
        // Leaving X for Y rewrites X and the left margin.
        Teclear("txtPosY", "4", true);
        EXPECT_EQ(Cajas({"txtPosX", "txtMargenIzq", "txtPosY", "txtMargenArr"}), QStringList({"3.50", "3.50", "4.00", "4.00"}));
        // The margin boxes no longer decide the position.
        Teclear("txtMargenArr", "-3", true);
        Teclear("txtAncho", "", true);
        EXPECT_EQ(Cajas({"txtMargenArr", "txtAncho", "txtPosX", "txtMargenIzq"}), QStringList({"0.00", "19.00", "3.50", "3.50"}));
        EXPECT_EQ(std::pair(d->MargenIzq, d->MargenArr), std::pair(3.5, 4.0));

        C<QPushButton>("cmdOK")->click();
        C<QPushButton>("cmdAjustesImpresora")->click();
        ASSERT_EQ(cajas.llamadas.size(), 2);
        for (const MsgBox::Llamada &l : cajas.llamadas)
            EXPECT_EQ(std::tuple(l.texto, l.titulo, l.Icono()),
                      std::tuple(QStringLiteral("No hay impresora seleccionada."), QStringLiteral("Imprimir"), int(MsgBox::Information)));
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->Aceptado);
        d->close();
    });
    EXPECT_FALSE(PedirConfiguracionImpresion(nullptr, 19.0, kRel, QString(), nullptr, p));
    EXPECT_EQ(p.copias, -5);
    EXPECT_EQ(Ventanas::Buscar(QStringLiteral("frmConfigImpresion")), nullptr);
}

TEST_F(DialogoImpresion, CifrasDeCualquierLocaleSeLeenDeVuelta)
{
    // Persian writes native digits: the boxes get ASCII ones with its separator.
    QLocale::setDefault(QLocale(QStringLiteral("fa_IR")));
    PeticionImpresion p;
    Dentro([&] {
        EXPECT_EQ(Cajas({"txtAncho", "txtMargenArr", "txtPapelAncho"}), QStringList({"19٫00", "2٫00", "21٫00"}));
        C<QRadioButton>("optManual")->click();
        Teclear("txtPosX", "3");
        Teclear("txtPosY", "4", true);
        Lista("cboUnidades")->setCurrentIndex(1);
        EXPECT_EQ(Cajas({"txtAncho", "txtPosX", "txtPosY", "txtMargenDer"}), QStringList({"7٫48", "1٫18", "1٫57", "0٫00"}));
        Lista("cboUnidades")->setCurrentIndex(0);
        EXPECT_EQ(Etiqueta("lblInfoCarta"), QStringLiteral("Carta: 19٫00 x 19٫16 cm   Posición  X: 3٫00 cm   Y: 3٫99 cm"));
        C<QPushButton>("cmdOK")->click();
    });
    EXPECT_TRUE(PedirConfiguracionImpresion(nullptr, 19.0, kRel, QString(), nullptr, p));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ((std::tuple{p.anchoCm, p.xCm, p.yCm, p.centrado}), (std::tuple{19.0, 3.0, 3.99, false}));
}

TEST_F(DialogoImpresion, SinSistemaDeImpresionLoDice)
{
    // The real list, from a print server that is not there.
    frmConfigImpresion::FijarListaImpresoras(std::nullopt);
    cupsSetServer(QFile::encodeName(dir.filePath("no-hay-cups.sock")).constData());
    Dentro([&] {
        EXPECT_EQ(Lista("cboImpresora")->count(), 0);
        C<QPushButton>("cmdOK")->click();
        ASSERT_EQ(cajas.llamadas.size(), 1);
        EXPECT_TRUE(cajas.llamadas[0].texto.startsWith(
            QStringLiteral("No hay impresora seleccionada.\r\nNo se puede acceder a ninguna impresora: ")))
            << cajas.llamadas[0].texto.toStdString();
        EXPECT_TRUE(d->isVisible());
        C<QPushButton>("cmdCancelar")->click();
    });
    PeticionImpresion p;
    const bool aceptado = PedirConfiguracionImpresion(nullptr, 19.0, kRel, QString(), nullptr, p);
    cupsSetServer(nullptr);
    EXPECT_FALSE(aceptado);
}

TEST_F(DialogoImpresion, ElegirArrastrarEImprimir)
{
    QDir(dir.path()).mkdir(QStringLiteral("carpeta.icc"));
    for (const char *n : {"Printer.ICC", "printer.icc", "Printer.icm", ".oculto.icc", "leame.txt"})
        ASSERT_TRUE(QFile(dir.filePath(QString::fromLatin1(n))).open(QIODevice::WriteOnly));
    QImage roja(40, 40, QImage::Format_RGB32);
    roja.fill(Qt::red);

    PeticionImpresion p;
    Dentro([&] {
        EXPECT_EQ(Etiqueta("lblPerfilDocumentoVal"), QStringLiteral("sRGB IEC61966-2.1"));
        EXPECT_EQ(C<PictureBox>("picVista")->S().Point(100, 200), ColorRef::RGB(255, 0, 0));
        Lista("cboImpresora")->setCurrentIndex(2);
        QComboBox *perfiles = Lista("cboPerfilImpresora");
        ASSERT_EQ(perfiles->count(), 5);
        EXPECT_EQ(QStringList({perfiles->itemText(0), perfiles->itemText(1), perfiles->itemText(2), perfiles->itemText(4)}),
                  QStringList({"Perfil configurado en el driver", "CIE RGB", "sRGB IEC61966-2.1", "Printer.icm"}));
        EXPECT_EQ(perfiles->itemText(3).toLower(), QStringLiteral("printer.icc"));
        Lista("cboGestionColor")->setCurrentIndex(1);
        EXPECT_TRUE(perfiles->isEnabled());
        EXPECT_TRUE(Etiqueta("lblAvisoColor").startsWith(QStringLiteral("Halvora convertirá")));
        perfiles->setCurrentIndex(4);
        Lista("cboRenderingIntent")->setCurrentIndex(2);
        C<QCheckBox>("chkCompensacionPuntoNegro")->click();
        for (const int modo : {0, 2}) { // only the program's conversion uses them; the tick is kept
            Lista("cboGestionColor")->setCurrentIndex(modo);
            EXPECT_FALSE(C("chkCompensacionPuntoNegro")->isEnabled() || perfiles->isEnabled()) << modo;
        }
        Lista("cboGestionColor")->setCurrentIndex(1);
        EXPECT_TRUE(C("chkCompensacionPuntoNegro")->isEnabled() && C<QCheckBox>("chkCompensacionPuntoNegro")->isChecked());
        Teclear("txtCopias", "3.5", true);
        EXPECT_EQ(Texto("txtCopias"), QStringLiteral("4"));

        // Manual placement: hover cursors, then the picture dragged past the
        // sheet's right edge stops there; the width is read back at the
        // preview's resolution.
        C<QRadioButton>("optManual")->click();
        const std::tuple<int, int, Qt::CursorShape> cursores[] = {
            {21, 82, Qt::SizeFDiagCursor}, {299, 82, Qt::SizeBDiagCursor}, {100, 200, Qt::SizeAllCursor}, {5, 5, Qt::ArrowCursor}};
        for (const auto &[x, y, forma] : cursores) {
            Raton(QEvent::MouseMove, x, y);
            EXPECT_EQ(Cursor(), forma) << x << "," << y;
        }
        Raton(QEvent::MouseButtonPress, 100, 200);
        Raton(QEvent::MouseMove, 130, 230);
        EXPECT_EQ(Cursor(), Qt::SizeAllCursor);
        Raton(QEvent::MouseButtonRelease, 130, 230);
        EXPECT_EQ(Cursor(), Qt::ArrowCursor);
        EXPECT_EQ(Cajas({"txtPosX", "txtPosY", "txtMargenIzq", "txtMargenArr", "txtAncho", "txtMargenDer"}),
                  QStringList({"2.01", "4.17", "2.01", "4.17", "18.99", "0.00"}));
        EXPECT_EQ(d->GeometriaVista().cartaX, 42);
        QTest::mouseClick(C("cmdOK"), Qt::LeftButton);
    });
    ASSERT_TRUE(PedirConfiguracionImpresion(nullptr, 19.0, kRel, QStringLiteral("sRGB IEC61966-2.1"), &roja, p));
    EXPECT_EQ(std::tuple(p.impresora, p.copias, p.centrado, p.modoColor, p.perfilImpresora, p.indiceIntento, p.compensarPuntoNegro),
              std::tuple(QStringLiteral("Canon"), 4, false, 1, QStringLiteral("Printer.icm"), 2, true));
    EXPECT_EQ(std::tuple(p.anchoCm, p.xCm, p.yCm), std::tuple(18.99, 2.01, 4.17));
    EXPECT_DOUBLE_EQ(p.altoCm, 18.99 * kRel);
}
