// Every window readable and whole at the frame's default size, in both
// languages: controls inside their window, texts and indicators at 4.5:1
// against their own background (in the dialogs the windows open, too), and
// Qt's own buttons in the chosen language.

#include "app/estilo.h"
#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/progreso.h"
#include "output/frmguardaropciones.h"
#include "platform/msgbox.h"
#include "windows/evaluator/muestreo.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>

#include <functional>

namespace {

const char *const kIdiomas[] = {"es", "en"};

// The colour a control shows through: that of the nearest ancestor (or
// itself) that paints its background.
QColor FondoDe(const QWidget *w)
{
    for (const QWidget *p = w; p; p = p->parentWidget())
        if (p->autoFillBackground() || p->isWindow()) return p->palette().color(QPalette::Window);
    return w->palette().color(QPalette::Window);
}

struct Par {
    const char *que;
    QColor texto, fondo;
};

// What must read at 4.5:1 in an enabled control of each kind.
QList<Par> ParesDe(const QWidget *w)
{
    const QPalette &p = w->palette();
    const QColor fondo = FondoDe(w);
    if (auto *c = qobject_cast<const QComboBox *>(w)) {
        // Closed it is a button; open, its list.
        const QPalette &lista = c->view()->palette();
        return {{"combo", p.color(QPalette::ButtonText), p.color(QPalette::Button)},
                {"entradas", lista.color(QPalette::Text), lista.color(QPalette::Base)}};
    }
    if (qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QLineEdit *>(w))
        return {{"texto", p.color(QPalette::Text), p.color(QPalette::Base)}};
    if (qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w)) {
        QList<Par> pares = {{"rotulo", p.color(QPalette::WindowText), fondo},
                            {"marca", p.color(QPalette::Text), p.color(QPalette::Base)}};
        // On a light window the style outlines the box; on a dark one the box
        // must stand out by its fill.
        if (fondo.lightnessF() < 0.5) pares.append({"indicador", p.color(QPalette::Base), fondo});
        return pares;
    }
    if (qobject_cast<const QLabel *>(w) || qobject_cast<const QGroupBox *>(w))
        return {{"texto", p.color(QPalette::WindowText), fondo}};
    return {};
}

// Every enabled, visible control of a window (the window itself included).
void ComprobarContraste(QWidget *ventana, const QString &donde)
{
    QList<QWidget *> todos = ventana->findChildren<QWidget *>();
    todos.prepend(ventana);
    int vistos = 0;
    for (QWidget *w : todos) {
        if (!w->isVisibleTo(ventana) || !w->isEnabled() || w->window() != ventana->window()) continue;
        for (const Par &par : ParesDe(w)) {
            ++vistos;
            EXPECT_GE(Estilo::Contraste(par.texto, par.fondo), Estilo::ContrasteMinimo)
                << donde.toStdString() << " " << w->metaObject()->className() << " "
                << w->objectName().toStdString() << " " << par.que << " " << par.texto.name().toStdString()
                << " on " << par.fondo.name().toStdString();
        }
    }
    EXPECT_GT(vistos, 0) << donde.toStdString();
}

// Every visible control inside its window and not cut below what its text
// needs.
void ComprobarQueCabe(QWidget *ventana, const QString &donde)
{
    const QRect dentro = ventana->rect();
    for (QWidget *w : ventana->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(ventana) || w->window() != ventana->window()) continue;
        const QRect r(w->mapTo(ventana, QPoint(0, 0)), w->size());
        const std::string id = donde.toStdString() + " " + w->metaObject()->className() + " " +
                               w->objectName().toStdString();
        EXPECT_TRUE(dentro.contains(r)) << id;
        QSize necesita = w->minimumSizeHint();
        if (auto *b = qobject_cast<QPushButton *>(w))
            // Its text inside the frame, not the style's least width.
            necesita.setWidth(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) +
                              2 * b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
        if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w)) {
            EXPECT_GE(w->width(), necesita.width()) << id;
            EXPECT_GE(w->height(), necesita.height()) << id;
        }
    }
}

QRect EnVentana(QWidget *ventana, const char *nombre)
{
    auto *w = ventana->findChild<QWidget *>(QString::fromLatin1(nombre));
    return w ? QRect(w->mapTo(ventana, QPoint(0, 0)), w->size()) : QRect();
}

class LegibilidadTest : public ::testing::Test {
protected:
    void SetUp() override { modIdioma::CambiarIdioma(QStringLiteral("es")); }
    void TearDown() override { modIdioma::CambiarIdioma(QStringLiteral("es")); }

    // The frame at its default size with the calibration windows.
    struct Marco {
        MDIForm1 m;
        Marco()
        {
            RegistrarVentanasCalibracion(m);
            m.show();
        }
        QWidget *Abrir(const char *nombre)
        {
            QWidget *w = m.MostrarVentana(QString::fromLatin1(nombre));
            QApplication::processEvents();
            return w;
        }
    };
};

// What a window must show besides fitting: its own layout promises.
struct CasoVentana {
    const char *nombre;
    std::function<void(QWidget *)> ademas;
};

const CasoVentana kVentanas[] = {
    {"frmGenerarCartaGrises", {}},
    {"frmEvaluarEscaneo",
     [](QWidget *w) {
         // The results list shows a whole sample line.
         Evaluador::Muestras m;
         m.MuestraBruta[100] = m.MuestraCorregida[100] = 255;
         m.MuestraNormalizada[100] = 255;
         auto *lista = w->findChild<QAbstractItemView *>(QStringLiteral("lstMuestras"));
         EXPECT_GE(lista->viewport()->width(),
                   lista->fontMetrics().horizontalAdvance(Evaluador::LineaMuestra(m, 100, 101)));
         // The grid hint appears without moving the Generate button.
         const QRect antes = EnVentana(w, "cmdGenerarCurva");
         w->findChild<QLabel *>(QStringLiteral("lblRejilla"))->setVisible(true);
         w->layout()->activate();
         EXPECT_EQ(EnVentana(w, "cmdGenerarCurva"), antes);
     }},
    {"frmEditarAplicarCurva",
     [](QWidget *w) {
         // The level values sit under the slider's ends.
         const std::tuple<const char *, const char *, const char *> sliders[] = {
             {"picSliderIn", "lblInMin", "lblInMax"}, {"picSliderOut", "lblOutMin", "lblOutMax"}};
         for (const auto &[slider, minimo, maximo] : sliders) {
             const QRect s = EnVentana(w, slider);
             EXPECT_EQ(EnVentana(w, minimo).left(), s.left()) << slider;
             EXPECT_EQ(EnVentana(w, maximo).right(), s.right()) << slider;
         }
     }},
    {"frmAcercaDe", {}},
};

} // namespace

TEST_F(LegibilidadTest, CadaVentanaCabeYSeLeeEnAmbosIdiomas)
{
    for (const char *idioma : kIdiomas) {
        modIdioma::CambiarIdioma(QString::fromLatin1(idioma));
        Marco marco;
        const QRect area = marco.m.AreaMDI()->viewport()->rect();
        for (const CasoVentana &caso : kVentanas) {
            const QString donde = QString::fromLatin1(idioma) + u' ' + QString::fromLatin1(caso.nombre);
            QWidget *w = marco.Abrir(caso.nombre);
            ASSERT_NE(w, nullptr) << donde.toStdString();
            EXPECT_TRUE(area.contains(w->parentWidget()->geometry())) << donde.toStdString();
            ComprobarQueCabe(w, donde);
            ComprobarContraste(w, donde);
            if (caso.ademas) caso.ademas(w);

            // What the window opens keeps the normal look: nothing dark leaks in.
            auto *caja = new QMessageBox(QMessageBox::Question, QStringLiteral("ZOLV Halvora"),
                                         QStringLiteral("¿Sí o no?"), QMessageBox::Yes | QMessageBox::No, w);
            auto *dialogo = new QFileDialog(w);
            dialogo->setOption(QFileDialog::DontUseNativeDialog);
            for (QWidget *d : {static_cast<QWidget *>(caja), static_cast<QWidget *>(dialogo)}) {
                EXPECT_EQ(d->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
                ComprobarContraste(d, donde + u' ' + QString::fromLatin1(d->metaObject()->className()));
            }
            MDIForm1::DescargarVentana(w);
        }

        // The save options and the progress window are top-level windows.
        frmGuardarOpciones &opciones = frmGuardarOpciones::Instancia();
        opciones.show();
        QApplication::processEvents();
        ComprobarQueCabe(&opciones, QStringLiteral("frmGuardarOpciones"));
        ComprobarContraste(&opciones, QStringLiteral("frmGuardarOpciones"));
        opciones.hide();
        frmProgresoCarga *progreso = frmProgresoCarga::Mostrar(QStringLiteral("Cargando escaneo..."));
        ComprobarQueCabe(progreso, QStringLiteral("frmProgresoCarga"));
        ComprobarContraste(progreso, QStringLiteral("frmProgresoCarga"));
        frmProgresoCarga::Descargar();
        MDIForm1::DescargarVentana(&opciones);
    }
}

TEST_F(LegibilidadTest, AcercaDeConservaSuTamanoJuntoAUnaVentanaMaximizada)
{
    Marco marco;
    marco.Abrir("frmGenerarCartaGrises")->parentWidget()->showMaximized();
    QWidget *acerca = marco.Abrir("frmAcercaDe");
    auto *sub = qobject_cast<QMdiSubWindow *>(acerca->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_FALSE(sub->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(acerca->size(), acerca->sizeHint());
    // Opening another window afterwards still follows the maximised one.
    EXPECT_TRUE(marco.Abrir("frmEvaluarEscaneo")->parentWidget()->isMaximized());
}

TEST_F(LegibilidadTest, BotonesDeQtEnElIdiomaElegido)
{
    // The real box, answered by clicking the button that reads as expected.
    auto responder = [](const QString &boton) {
        QStringList visto;
        QTimer::singleShot(0, [&visto, boton] {
            auto *caja = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!caja) return;
            for (QAbstractButton *b : caja->buttons()) visto << QString(b->text()).remove(u'&');
            for (QAbstractButton *b : caja->buttons())
                if (QString(b->text()).remove(u'&') == boton) b->click();
        });
        const int r = MsgBox::Mostrar(QStringLiteral("¿Desea salir de la aplicación?"),
                                      MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2);
        return std::pair(r, visto);
    };
    const struct {
        const char *idioma, *si, *no;
    } casos[] = {{"es", "Sí", "No"}, {"en", "Yes", "No"}, {"es", "Sí", "No"}};
    for (const auto &c : casos) {
        modIdioma::CambiarIdioma(QString::fromLatin1(c.idioma));
        const auto [respuesta, botones] = responder(QString::fromUtf8(c.si));
        EXPECT_EQ(respuesta, MsgBox::Yes) << c.idioma;
        EXPECT_TRUE(botones.contains(QString::fromUtf8(c.si)) && botones.contains(QString::fromUtf8(c.no)))
            << c.idioma << " " << botones.join(u'/').toStdString();
    }
}
