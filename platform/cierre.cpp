#include "platform/cierre.h"

#include "platform/progress.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace Cierre {

namespace {

// The waiting of the request under way; none when there is no request.
QTimer *gEspera = nullptr;

void CerrarAbiertos()
{
    // A menu's own loop returns as the menu closes; a submenu's parent goes
    // at the next call.
    if (QWidget *menu = QApplication::activePopupWidget()) menu->close();
    // Rejected as Escape would: each dialog's own cancel runs, and its loop
    // returns once the code above it on the stack does.
    QList<QPointer<QDialog>> abiertos;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible() && d->isModal()) abiertos << d;
    for (const QPointer<QDialog> &d : abiertos)
        if (d) d->reject();
}

// Nothing of the program's waits under this event: not a nested loop (a
// dialog's, a menu's), not a long operation, not a yield.
bool Libre(int nivelBase)
{
    return !GuardaOcupado::Activo() && !Progreso::Cediendo() && QThread::currentThread()->loopLevel() <= nivelBase;
}

} // namespace

bool Pedido() { return gEspera != nullptr; }

void Pedir(QObject *dueno, int nivelBase, std::function<void()> fin)
{
    if (gEspera) return;
    auto *espera = new QTimer(dueno);
    gEspera = espera;
    QObject::connect(espera, &QObject::destroyed, [espera] {
        if (gEspera == espera) gEspera = nullptr;
    });
    const auto intentar = [espera, nivelBase, fin = std::move(fin)] {
        CerrarAbiertos();
        if (!Libre(nivelBase)) return;
        espera->stop();
        const QPointer<QTimer> sigue(espera);
        fin();
        if (gEspera == espera) gEspera = nullptr;
        if (sigue) sigue->deleteLater();
    };
    QObject::connect(espera, &QTimer::timeout, espera, intentar);
    // Polled: loops return and operations end in their own time.
    espera->start(20);
    intentar();
}

} // namespace Cierre
