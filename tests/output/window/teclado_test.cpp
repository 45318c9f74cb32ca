// The print set-up from the keyboard: Enter in a box neither prints nor opens
// the driver's settings, and a width box left empty (Print pressed without
// leaving it) is the width the set-up opened with.

#include "output/ajustesimpresora.h"
#include "output/frmconfigimpresion.h"
#include "output/peticionimpresion.h"
#include "support/colapdf.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

TEST(TecladoImpresion, EnterNoImprimeYUnAnchoVacioEsElInicial)
{
    frmConfigImpresion::FijarListaImpresoras(frmConfigImpresion::ListaImpresoras{{"PDF"}, "PDF"});
    int ajustes = 0;
    modImpresion::FijarDialogoAjustes([&ajustes](QPrinter &, QWidget *) { return ++ajustes, 0; });
    PeticionImpresion p;
    EnConfiguracionImpresion([&ajustes](frmConfigImpresion &d) {
        for (QLineEdit *caja : d.findChildren<QLineEdit *>()) {
            if (!caja->isEnabled()) continue;
            caja->setFocus(Qt::TabFocusReason);
            for (Qt::Key k : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(caja, k);
            ASSERT_TRUE(d.isVisible() && !d.Aceptado && ajustes == 0) << caja->objectName().toStdString();
        }
        auto *ancho = d.findChild<QLineEdit *>(QStringLiteral("txtAncho"));
        ancho->setFocus(Qt::MouseFocusReason);
        ancho->selectAll();
        QTest::keyClick(ancho, Qt::Key_Backspace);
        QTest::keyClick(ancho, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible() && ancho->text().isEmpty() && ancho->hasFocus());
        // A click that leaves the focus where it is.
        d.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
    });
    ASSERT_TRUE(PedirConfiguracionImpresion(nullptr, 12.5, 2.0, QString(), nullptr, p));
    EXPECT_EQ(std::pair(p.anchoCm, p.altoCm), std::pair(12.5, 25.0));
}
