#include "app/progreso.h"

#include "app/ventanas.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
QPointer<frmProgresoCarga> gProgreso;
}

frmProgresoCarga::frmProgresoCarga(QWidget *parent) : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmProgresoCarga"));
    setWindowTitle(QStringLiteral("Cargando..."));
    lblMensaje_ = new QLabel(QStringLiteral("Cargando perfil..."), this);
    lblMensaje_->setObjectName(QStringLiteral("lblMensaje"));
    pbBarra_ = new QProgressBar(this);
    pbBarra_->setObjectName(QStringLiteral("pbBarra"));
    pbBarra_->setRange(0, 100);
    pbBarra_->setValue(0);
    auto *l = new QVBoxLayout(this);
    l->addWidget(lblMensaje_);
    l->addWidget(pbBarra_);
    resize(380, 90);
    Ventanas::Registrar(this);
    Progreso::Registrar(this);
}

frmProgresoCarga::~frmProgresoCarga()
{
    Progreso::Quitar(this);
    Ventanas::Quitar(this);
}

void frmProgresoCarga::PonerMensaje(const QString &texto) { lblMensaje_->setText(texto); }

void frmProgresoCarga::PonerProgreso(int porcentaje)
{
    pbBarra_->setRange(0, 100);
    pbBarra_->setValue(porcentaje < 0 ? 0 : (porcentaje > 100 ? 100 : porcentaje));
}

QString frmProgresoCarga::Mensaje() const { return lblMensaje_->text(); }
int frmProgresoCarga::Valor() const { return pbBarra_->value(); }

frmProgresoCarga *frmProgresoCarga::Instancia() { return gProgreso.data(); }

frmProgresoCarga *frmProgresoCarga::Mostrar(const QString &mensaje)
{
    if (!gProgreso) gProgreso = new frmProgresoCarga(QApplication::activeWindow());
    gProgreso->PonerMensaje(mensaje);
    gProgreso->PonerProgreso(0);
    gProgreso->show();
    gProgreso->raise();
    Progreso::CederEventos();
    return gProgreso.data();
}

void frmProgresoCarga::Descargar() { delete gProgreso.data(); }

SesionProgreso::SesionProgreso(const QString &mensaje)
{
    frmProgresoCarga::Mostrar(mensaje);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

SesionProgreso::~SesionProgreso()
{
    QApplication::restoreOverrideCursor();
    frmProgresoCarga::Descargar();
}
