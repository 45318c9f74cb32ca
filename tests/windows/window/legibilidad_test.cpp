// Every window whole and readable at the frame's default size in both
// languages, the dialogs they open included, and Qt's buttons in the language.

#include "app/estilo.h"
#include "app/idioma.h"
#include "app/mdiform1.h"
#include "output/frmconfigimpresion.h"
#include "platform/msgbox.h"
#include "support/colapdf.h"
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
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <array>

namespace {

// Each visible control lies inside its window, is not cut below what its
// text needs, and (enabled) reads at 4.5:1 on the background it shows through.
void Revisar(QWidget *ventana, const QString &donde)
{
    for (QWidget *w : ventana->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(ventana) || w->window() != ventana->window()) continue;
        const std::string id = (donde + u' ' + w->objectName()).toStdString() + " " + w->metaObject()->className();
        const bool texto = qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w) ||
                           qobject_cast<QRadioButton *>(w) || qobject_cast<QComboBox *>(w);
        if (ventana->isVisible()) { // laid out
            EXPECT_TRUE(ventana->rect().contains(QRect(w->mapTo(ventana, QPoint(0, 0)), w->size()))) << id;
            EXPECT_TRUE(!texto || (w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height())) << id;
        }
        if (!w->isEnabled()) continue;
        const QWidget *pinta = w;
        while (!pinta->autoFillBackground() && !pinta->isWindow()) pinta = pinta->parentWidget();
        const QColor fondo = pinta->palette().color(QPalette::Window);
        auto leer = [&](QPalette::ColorRole t, QPalette::ColorRole f, const QWidget *de) {
            const QColor a = de->palette().color(t), b = f == QPalette::Window ? fondo : de->palette().color(f);
            EXPECT_GE(Estilo::Contraste(a, b), Estilo::ContrasteMinimo) << id << " " << a.name().toStdString()
                                                                        << " on " << b.name().toStdString();
        };
        if (auto *c = qobject_cast<QComboBox *>(w)) {
            leer(QPalette::ButtonText, QPalette::Button, c);
            leer(QPalette::Text, QPalette::Base, c->view()); // the open list
        } else if (qobject_cast<QAbstractItemView *>(w) || qobject_cast<QLineEdit *>(w)) {
            leer(QPalette::Text, QPalette::Base, w);
        } else if (texto || qobject_cast<QGroupBox *>(w)) {
            leer(QPalette::WindowText, QPalette::Window, w);
        }
        if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
            leer(QPalette::Text, QPalette::Base, w); // the mark in its box
            // A light window's style outlines the box; on a dark one its fill must stand out.
            if (fondo.lightnessF() < 0.5) leer(QPalette::Base, QPalette::Window, w);
        }
    }
}

QRect En(QWidget *ventana, const char *nombre)
{
    auto *w = ventana->findChild<QWidget *>(QString::fromLatin1(nombre));
    return QRect(w->mapTo(ventana, QPoint(0, 0)), w->size());
}
QWidget *Abrir(MDIForm1 &m, const char *nombre)
{
    QWidget *w = m.MostrarVentana(QString::fromLatin1(nombre));
    return QApplication::processEvents(), w;
}

} // namespace

TEST(Legibilidad, CadaVentanaCabeYSeLeeEnAmbosIdiomas)
{
    for (const char *idioma : {"en", "es"}) {
        modIdioma::CambiarIdioma(QString::fromLatin1(idioma));
        MDIForm1 m;
        RegistrarVentanasCalibracion(m), m.show();
        for (const char *nombre : {"frmGenerarCartaGrises", "frmEvaluarEscaneo", "frmEditarAplicarCurva", "frmAcercaDe"}) {
            const QString donde = QString::fromLatin1(idioma) + u' ' + QString::fromLatin1(nombre);
            QWidget *w = Abrir(m, nombre);
            EXPECT_TRUE(m.AreaMDI()->viewport()->rect().contains(w->parentWidget()->geometry()));
            Revisar(w, donde);
            if (QString::fromLatin1(nombre) == QStringLiteral("frmGenerarCartaGrises")) {
                // A refused resolution: the entry and the range beside it in the warning colour.
                auto *ppp = w->findChild<QLineEdit *>(QStringLiteral("txtResolucion"));
                ppp->setText(QStringLiteral("1440"));
                EXPECT_TRUE(w->findChild<QLabel *>(QStringLiteral("lblRango"))->isVisibleTo(w));
                Revisar(w, donde + QStringLiteral(" refused resolution"));
                ppp->setText(QStringLiteral("200"));
                // Its Print opens the print set-up, the editor's the same one.
                w->findChild<QPushButton *>(QStringLiteral("cmdGenerarCarta"))->click();
                bool visto = false;
                EnConfiguracionImpresion([&](frmConfigImpresion &d) {
                    // Colour managed by the program: every control enabled.
                    d.findChild<QComboBox *>(QStringLiteral("cboGestionColor"))->setCurrentIndex(1);
                    Revisar(&d, donde + QStringLiteral(" print set-up"));
                    visto = true;
                    d.findChild<QPushButton *>(QStringLiteral("cmdCancelar"))->click();
                });
                w->findChild<QPushButton *>(QStringLiteral("cmdImprimir"))->click();
                EXPECT_TRUE(visto) << idioma;
            }
            // What the window opens keeps the normal look: nothing dark leaks in.
            auto *dialogo = new QFileDialog(w);
            dialogo->setOption(QFileDialog::DontUseNativeDialog);
            for (QWidget *d : {static_cast<QWidget *>(dialogo), static_cast<QWidget *>(new QMessageBox(
                                   QMessageBox::Question, QString(), donde, QMessageBox::Yes | QMessageBox::No, w))}) {
                EXPECT_EQ(d->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
                Revisar(d, donde + QStringLiteral(" dialog"));
            }
            MDIForm1::DescargarVentana(w);
        }
    }
}

TEST(Legibilidad, PromesasDeCadaVentana)
{
    MDIForm1 m;
    RegistrarVentanasCalibracion(m), m.show();
    // The evaluator's list shows a whole sample line, and the grid hint
    // appears without moving the Generate button.
    QWidget *w = Abrir(m, "frmEvaluarEscaneo");
    Evaluador::Muestras muestras;
    muestras.MuestraBruta[100] = muestras.MuestraCorregida[100] = muestras.MuestraNormalizada[100] = 255;
    auto *lista = w->findChild<QAbstractItemView *>(QStringLiteral("lstMuestras"));
    EXPECT_GE(lista->viewport()->width(), lista->fontMetrics().horizontalAdvance(Evaluador::LineaMuestra(muestras, 100, 101)));
    const QRect antes = En(w, "cmdGenerarCurva");
    w->findChild<QLabel *>(QStringLiteral("lblRejilla"))->setVisible(true);
    w->layout()->activate();
    EXPECT_EQ(En(w, "cmdGenerarCurva"), antes);

    // The editor's level values sit under the slider's ends.
    w = Abrir(m, "frmEditarAplicarCurva");
    for (const auto &s : {std::array{"picSliderIn", "lblInMin", "lblInMax"}, {"picSliderOut", "lblOutMin", "lblOutMax"}}) {
        EXPECT_EQ(En(w, s[1]).left(), En(w, s[0]).left()) << s[0];
        EXPECT_EQ(En(w, s[2]).right(), En(w, s[0]).right()) << s[0];
    }

    // Beside a maximised window the About box keeps its size; a window opened
    // afterwards still follows the maximised one.
    w->parentWidget()->showMaximized();
    QWidget *acerca = Abrir(m, "frmAcercaDe");
    EXPECT_FALSE(acerca->parentWidget()->isMaximized() || (acerca->parentWidget()->windowFlags() & Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(acerca->size(), acerca->sizeHint());
    EXPECT_TRUE(Abrir(m, "frmGenerarCartaGrises")->parentWidget()->isMaximized());
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
