#pragma once
// The About box: version, notices and credits.

#include "app/ventanas.h"

#include <QWidget>

class QLabel;

class frmAcercaDe : public QWidget, public ConIdioma {
    Q_OBJECT
public:
    explicit frmAcercaDe(QWidget *parent = nullptr);
    ~frmAcercaDe() override;

    void AplicarIdioma() override;
    void AbrirPaginaWeb();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    QLabel *lblVersion_, *lblCopyright_, *lblWeb_, *lblEmail_, *Image1_;
};
