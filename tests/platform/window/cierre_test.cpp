// The end asked for while a real box, dialog or menu is open, inside a long
// operation or a yield: what is open closes as cancelled, what is opened
// later answers at once, and the end runs only back at the base loop.
// (These run without a main loop: the base depth is 0.)

#include "platform/cierre.h"
#include "platform/progress.h"
#include "support/scripted.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

int Nivel() { return QThread::currentThread()->loopLevel(); }

class Fin : public ::testing::Test {
protected:
    // Asked for from inside whatever loop runs next.
    void PedirLuego()
    {
        QTimer::singleShot(0, &dueno, [this] { Pedir(); });
    }
    void Pedir()
    {
        Cierre::Pedir(&dueno, 0, [this] {
            niveles << Nivel();
            ocupado << (GuardaOcupado::Activo() || Progreso::Cediendo());
            abierto << (QApplication::activeModalWidget() != nullptr);
        });
    }
    // The end, once the base loop runs again.
    void Esperar() { EXPECT_TRUE(QTest::qWaitFor([this] { return !niveles.isEmpty(); }, 5000)); }

    QObject dueno;
    QList<int> niveles;
    QList<bool> ocupado, abierto;
};

} // namespace

TEST_F(Fin, LaCajaAbiertaContestaComoEscapeYElFinEsperaASuBucle)
{
    // Yes is the default button: only Escape's answer says the box was cancelled.
    const struct { int estilo, respuesta; } casos[] = {
        {MsgBox::YesNo, MsgBox::No}, {MsgBox::YesNoCancel, MsgBox::Cancel},
        {MsgBox::OKCancel, MsgBox::Cancel}, {MsgBox::OKOnly, MsgBox::OK},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.estilo);
        niveles.clear(), ocupado.clear(), abierto.clear();
        PedirLuego();
        EXPECT_EQ(MsgBox::Mostrar("¿Seguro?", c.estilo | MsgBox::Question), c.respuesta);
        EXPECT_TRUE(niveles.isEmpty()); // not from inside the box's loop
        EXPECT_TRUE(Cierre::Pedido());
        Esperar();
        EXPECT_EQ((std::tuple{niveles, abierto, Cierre::Pedido()}), (std::tuple{QList<int>{0}, QList<bool>{false}, false}));
    }
}

TEST_F(Fin, DentroDeUnaOperacionLoQueSeAbreDespuesSeContestaSinMostrarse)
{
    {
        GuardaOcupado guarda;
        PedirLuego();
        // A box inside the operation (its error, say): cancelled, and the
        // operation goes on its own way.
        EXPECT_EQ(MsgBox::Mostrar("Error al guardar", MsgBox::OKCancel | MsgBox::Exclamation), MsgBox::Cancel);
        // What it asks afterwards is answered at once, nobody asked.
        CajasGuionadas cajas;
        DialogosGuionados dialogos;
        dialogos.Responder("/tmp/otra.png");
        EXPECT_EQ(MsgBox::Mostrar("Imagen guardada", MsgBox::YesNo | MsgBox::Information), MsgBox::No);
        EXPECT_EQ(Dialogos::Mostrar({}), QString());
        EXPECT_EQ((std::pair{cajas.llamadas.size(), dialogos.peticiones.size()}), (std::pair{qsizetype(0), qsizetype(0)}));
        // A dialog or menu of its own, not through those seams, is closed
        // as it opens.
        QDialog dialogo;
        EXPECT_EQ(dialogo.exec(), QDialog::Rejected);
        QMenu menu;
        menu.addAction("Copiar");
        EXPECT_EQ(menu.exec(QPoint(10, 10)), nullptr);
        QTest::qWait(100);
        EXPECT_TRUE(niveles.isEmpty());
    }
    Esperar();
    EXPECT_EQ((std::tuple{niveles, ocupado}), (std::tuple{QList<int>{0}, QList<bool>{false}}));

    // Done: boxes and dialogs are asked again.
    CajasGuionadas cajas;
    cajas.Responder(MsgBox::Yes);
    EXPECT_EQ(MsgBox::Mostrar("¿Seguro?", MsgBox::YesNo), MsgBox::Yes);
}

TEST_F(Fin, UnaCesionTerminaAntesYUnaSegundaPeticionNoCuenta)
{
    // Asked for twice from inside a yield with no busy guard (a progress
    // window shown before its operation starts).
    QTimer::singleShot(0, &dueno, [this] { Pedir(), Pedir(); });
    Progreso::CederEventos();
    EXPECT_TRUE(niveles.isEmpty()) << "ended inside the yield";
    EXPECT_TRUE(Cierre::Pedido());
    Esperar();
    QTest::qWait(100);
    EXPECT_EQ((std::tuple{niveles, ocupado}), (std::tuple{QList<int>{0}, QList<bool>{false}}));
}

TEST_F(Fin, SinNadaAbiertoTerminaEnElActoUnaVezYSuDuenoLaCancela)
{
    // The end itself may let events run: it still runs once, and leaves
    // nothing behind on its owner.
    int veces = 0;
    Cierre::Pedir(&dueno, 0, [&veces] { ++veces, QTest::qWait(100); });
    EXPECT_FALSE(Cierre::Pedido()); // over as soon as the end has run
    QTest::qWait(100);
    EXPECT_EQ((std::tuple{veces, Cierre::Pedido(), dueno.children().size()}), (std::tuple{1, false, qsizetype(0)}));
    // Its owner gone, a request waiting (a guard held) is dropped.
    {
        QObject otro;
        GuardaOcupado guarda;
        int fin = 0;
        Cierre::Pedir(&otro, 0, [&fin] { ++fin; });
        EXPECT_TRUE(Cierre::Pedido());
    }
    EXPECT_FALSE(Cierre::Pedido());
}
