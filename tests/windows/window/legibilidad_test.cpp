// Every window whole and readable at the frame's default size in both
// languages, the dialogs they open included, and Qt's buttons in the language.

#include "app/estilo.h"
#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/progreso.h"
#include "output/frmguardaropciones.h"
#include "platform/msgbox.h"
#include "windows/evaluator/muestreo.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

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

namespace {

// Each visible control lies inside its window, is not cut below what its
// text needs, and (enabled) reads at 4.5:1 on the background it shows through.
void Revisar(QWidget *ventana, const QString &donde)
{
    for (QWidget *w : ventana->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(ventana) || w->window() != ventana->window()) continue;
        const std::string id = (donde + u' ' + w->objectName()).toStdString() + " " + w->metaObject()->className();
        QSize necesita = w->minimumSizeHint();
        if (auto *b = qobject_cast<QPushButton *>(w)) { // its text, not the style's least width
            necesita.setWidth(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) +
                              2 * b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
        }
        const bool texto = qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w);
        if (ventana->isVisible()) { // laid out
            EXPECT_TRUE(ventana->rect().contains(QRect(w->mapTo(ventana, QPoint(0, 0)), w->size()))) << id;
            EXPECT_TRUE(!texto || (w->width() >= necesita.width() && w->height() >= necesita.height())) << id;
        }
        if (!w->isEnabled()) continue;

        const QWidget *pinta = w;
        while (!pinta->autoFillBackground() && !pinta->isWindow()) pinta = pinta->parentWidget();
        const QPalette &p = w->palette();
        const QColor fondo = pinta->palette().color(QPalette::Window);
        QList<std::pair<QColor, QColor>> pares;
        if (auto *c = qobject_cast<QComboBox *>(w))
            pares = {{p.color(QPalette::ButtonText), p.color(QPalette::Button)},
                     {c->view()->palette().color(QPalette::Text), c->view()->palette().color(QPalette::Base)}};
        else if (qobject_cast<QAbstractItemView *>(w) || qobject_cast<QLineEdit *>(w))
            pares = {{p.color(QPalette::Text), p.color(QPalette::Base)}};
        else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
            pares = {{p.color(QPalette::WindowText), fondo}, {p.color(QPalette::Text), p.color(QPalette::Base)}};
            // A light window's style outlines the box; on a dark one its fill must stand out.
            if (fondo.lightnessF() < 0.5) pares.append({p.color(QPalette::Base), fondo});
        } else if (qobject_cast<QLabel *>(w) || qobject_cast<QGroupBox *>(w))
            pares = {{p.color(QPalette::WindowText), fondo}};
        for (const auto &[texto, atras] : pares)
            EXPECT_GE(Estilo::Contraste(texto, atras), Estilo::ContrasteMinimo)
                << id << " " << texto.name().toStdString() << " on " << atras.name().toStdString();
    }
}

QRect En(QWidget *ventana, const char *nombre)
{
    auto *w = ventana->findChild<QWidget *>(QString::fromLatin1(nombre));
    return QRect(w->mapTo(ventana, QPoint(0, 0)), w->size());
}

// Promises of each window's own layout.
void EvaluadorCompleto(QWidget *w)
{
    Evaluador::Muestras m;
    m.MuestraBruta[100] = m.MuestraCorregida[100] = m.MuestraNormalizada[100] = 255;
    auto *lista = w->findChild<QAbstractItemView *>(QStringLiteral("lstMuestras"));
    EXPECT_GE(lista->viewport()->width(), lista->fontMetrics().horizontalAdvance(Evaluador::LineaMuestra(m, 100, 101)));
    // The grid hint appears without moving the Generate button.
    const QRect antes = En(w, "cmdGenerarCurva");
    w->findChild<QLabel *>(QStringLiteral("lblRejilla"))->setVisible(true);
    w->layout()->activate();
    EXPECT_EQ(En(w, "cmdGenerarCurva"), antes);
}

void SlidersAlineados(QWidget *w)
{
    const char *const sliders[][3] = {{"picSliderIn", "lblInMin", "lblInMax"}, {"picSliderOut", "lblOutMin", "lblOutMax"}};
    for (const auto &s : sliders) {
        EXPECT_EQ(En(w, s[1]).left(), En(w, s[0]).left()) << s[0];
        EXPECT_EQ(En(w, s[2]).right(), En(w, s[0]).right()) << s[0];
    }
}

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

} // namespace

TEST(Legibilidad, CadaVentanaCabeYSeLeeEnAmbosIdiomas)
{
    const std::pair<const char *, void (*)(QWidget *)> ventanas[] = {{"frmGenerarCartaGrises", nullptr},
                                                                      {"frmEvaluarEscaneo", EvaluadorCompleto},
                                                                      {"frmEditarAplicarCurva", SlidersAlineados},
                                                                      {"frmAcercaDe", nullptr}};
    for (const char *idioma : {"en", "es"}) {
        modIdioma::CambiarIdioma(QString::fromLatin1(idioma));
        Marco marco;
        for (const auto &[nombre, ademas] : ventanas) {
            const QString donde = QString::fromLatin1(idioma) + u' ' + QString::fromLatin1(nombre);
            QWidget *w = marco.Abrir(nombre);
            EXPECT_TRUE(marco.m.AreaMDI()->viewport()->rect().contains(w->parentWidget()->geometry()));
            Revisar(w, donde);
            if (ademas) ademas(w);
            // What the window opens keeps the normal look: nothing dark leaks in.
            auto *dialogo = new QFileDialog(w);
            dialogo->setOption(QFileDialog::DontUseNativeDialog);
            for (QWidget *d : std::initializer_list<QWidget *>{
                     new QMessageBox(QMessageBox::Question, QString(), donde, QMessageBox::Yes | QMessageBox::No, w),
                     dialogo}) {
                EXPECT_EQ(d->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
                Revisar(d, donde + QStringLiteral(" dialog"));
            }
            MDIForm1::DescargarVentana(w);
        }
        frmGuardarOpciones &opciones = frmGuardarOpciones::Instancia();
        opciones.show();
        Revisar(&opciones, QStringLiteral("frmGuardarOpciones"));
        MDIForm1::DescargarVentana(&opciones);
        Revisar(frmProgresoCarga::Mostrar(QStringLiteral("Cargando escaneo...")), QStringLiteral("frmProgresoCarga"));
        frmProgresoCarga::Descargar();
    }
}

TEST(Legibilidad, AcercaDeConservaSuTamanoJuntoAUnaVentanaMaximizada)
{
    Marco marco;
    marco.Abrir("frmGenerarCartaGrises")->parentWidget()->showMaximized();
    QWidget *acerca = marco.Abrir("frmAcercaDe");
    EXPECT_FALSE(acerca->parentWidget()->isMaximized());
    EXPECT_FALSE(acerca->parentWidget()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(acerca->size(), acerca->sizeHint());
    // A window opened afterwards still follows the maximised one.
    EXPECT_TRUE(marco.Abrir("frmEvaluarEscaneo")->parentWidget()->isMaximized());
}

TEST(Legibilidad, BotonesDeQtEnElIdiomaElegido)
{
    const char *const casos[][3] = {{"es", "Sí", "No"}, {"en", "Yes", "No"}, {"es", "Sí", "No"}};
    for (const auto &c : casos) {
        modIdioma::CambiarIdioma(QString::fromLatin1(c[0]));
        // The real box, answered by clicking the button that reads "Yes".
        QStringList vistos;
        QTimer::singleShot(0, [&] {
            auto *caja = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            for (QAbstractButton *b : caja ? caja->buttons() : QList<QAbstractButton *>{})
                vistos << QString(b->text()).remove(u'&');
            if (caja && vistos.contains(QString::fromUtf8(c[1])))
                caja->buttons().at(vistos.indexOf(QString::fromUtf8(c[1])))->click();
            else if (caja)
                caja->reject();
        });
        EXPECT_EQ(MsgBox::Mostrar(QStringLiteral("?"), MsgBox::YesNo | MsgBox::DefaultButton2), MsgBox::Yes) << c[0];
        EXPECT_TRUE(vistos.contains(QString::fromUtf8(c[2]))) << vistos.join(u'/').toStdString();
    }
}
