#include "app/acercade.h"

#include "app/appstate.h"
#include "app/idioma.h"
#include "app/mdiform1.h"
#include "platform/shell.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

QString TextoDe(const QString &(MDIForm1::*f)() const)
{
    MDIForm1 *m = MDIForm1::Instancia();
    return m ? (m->*f)() : QString();
}

// The program's artwork: a step wedge over a smooth ramp.
QPixmap Arte()
{
    QPixmap px(120, 120);
    px.fill(Qt::white);
    QPainter p(&px);
    for (int i = 0; i < 11; ++i) {
        const int g = 255 - i * 255 / 10;
        p.fillRect(4 + i * 10, 8, 10, 60, QColor(g, g, g));
    }
    QLinearGradient lg(4, 0, 114, 0);
    lg.setColorAt(0, Qt::white);
    lg.setColorAt(1, Qt::black);
    p.fillRect(4, 76, 110, 30, lg);
    p.setPen(Qt::black);
    p.drawRect(4, 8, 109, 97);
    return px;
}

QLabel *Etiqueta(QWidget *padre, const char *nombre, const QString &texto = QString())
{
    auto *l = new QLabel(texto, padre);
    l->setObjectName(QString::fromLatin1(nombre));
    QFont f = l->font();
    f.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans")});
    l->setFont(f);
    return l;
}

} // namespace

frmAcercaDe::frmAcercaDe(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmAcercaDe"));
    setWindowTitle(QStringLiteral("Acerca de..."));
    Image1_ = Etiqueta(this, "Image1");
    Image1_->setPixmap(Arte());
    Image1_->setCursor(Qt::PointingHandCursor);
    lblVersion_ = Etiqueta(this, "lblVersion");
    lblCopyright_ = Etiqueta(this, "lblCopyright");
    lblWeb_ = Etiqueta(this, "lblWeb");
    lblWeb_->setCursor(Qt::PointingHandCursor);
    lblEmail_ = Etiqueta(this, "lblEmail");
    auto *lblThisSoftware = Etiqueta(this, "lblThisSoftware", QStringLiteral("Este programa utiliza:"));
    auto *lblArgyllCMS = Etiqueta(this, "lblArgyllCMS",
                                  QStringLiteral("Little CMS, motor de gestión del color https://www.littlecms.com"));
    auto *lblFreeimage = Etiqueta(this, "lblFreeimage",
                                  QStringLiteral(" FreeImage, librería de gestión de imágenes https://freeimage.sourceforge.io"));

    auto *g = new QGridLayout(this);
    g->addWidget(Image1_, 0, 0, 4, 1);
    g->addWidget(lblVersion_, 0, 1);
    g->addWidget(lblCopyright_, 1, 1);
    g->addWidget(lblWeb_, 2, 1);
    g->addWidget(lblEmail_, 3, 1);
    g->addWidget(lblThisSoftware, 4, 0, 1, 2);
    g->addWidget(lblArgyllCMS, 5, 0, 1, 2);
    g->addWidget(lblFreeimage, 6, 0, 1, 2);
    // The box keeps its natural size, also beside a maximised window.
    g->setSizeConstraint(QLayout::SetFixedSize);
    Image1_->installEventFilter(this);
    lblWeb_->installEventFilter(this);

    // Load: the texts come from the main window; the caption stays as made.
    lblVersion_->setText(QStringLiteral("Vers. ") + TextoDe(&MDIForm1::VersionApp));
    lblCopyright_->setText(TextoDe(&MDIForm1::CopyrightApp));
    lblWeb_->setText(TextoDe(&MDIForm1::WebApp));
    lblEmail_->setText(TextoDe(&MDIForm1::EmailApp));
    Ventanas::Registrar(this);
}

frmAcercaDe::~frmAcercaDe() { Ventanas::Quitar(this); }

void frmAcercaDe::AplicarIdioma()
{
    setWindowTitle(T(QStringLiteral("Acerca de..."), QStringLiteral("About...")));
    lblVersion_->setText(QStringLiteral("Vers. ") + TextoDe(&MDIForm1::VersionApp));
}

void frmAcercaDe::AbrirPaginaWeb() { Shell::Abrir(TextoDe(&MDIForm1::WebApp)); }

bool frmAcercaDe::eventFilter(QObject *o, QEvent *e)
{
    if ((o == Image1_ || o == lblWeb_) && e->type() == QEvent::MouseButtonRelease) {
        AbrirPaginaWeb();
        return true;
    }
    return QWidget::eventFilter(o, e);
}
