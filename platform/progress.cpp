#include "platform/progress.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>

#include <exception>

namespace Progreso {

namespace {
Destino *&Registrado()
{
    static Destino *d = nullptr;
    return d;
}

// The event-loop depth at which a yield is running, -1 when none is: input
// reaching that depth is dropped, while a dialog opened meanwhile (a deeper
// loop) gets its clicks as usual.
int &NivelDescarte()
{
    static int n = -1;
    return n;
}

int &Cesiones()
{
    static int n = 0;
    return n;
}

bool EsEntrada(const QEvent *e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    case QEvent::Close: // the window's close box, not a close by the program
        return e->spontaneous();
    default:
        return false;
    }
}

class FiltroEntrada : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *e) override
    {
        return NivelDescarte() >= 0 && QThread::currentThread()->loopLevel() == NivelDescarte() && EsEntrada(e);
    }
};
} // namespace

void Registrar(Destino *d) { Registrado() = d; }
void Quitar(Destino *d)
{
    if (Registrado() == d) Registrado() = nullptr;
}
Destino *Actual() { return Registrado(); }

void CederEventos()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) return;
    static FiltroEntrada *filtro = [app] {
        auto *f = new FiltroEntrada(app);
        app->installEventFilter(f);
        return f;
    }();
    (void)filtro;
    // Everything pending runs, the user's input included so that it is
    // consumed here and dropped instead of waiting to run afterwards.
    struct Cesion {
        int antes = NivelDescarte();
        Cesion() { ++Cesiones(), NivelDescarte() = QThread::currentThread()->loopLevel(); }
        ~Cesion() { --Cesiones(), NivelDescarte() = antes; }
    } cesion;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool Cediendo() { return Cesiones() > 0; }

void Informar(int porcentaje)
{
    Destino *d = Registrado();
    if (!d || !d->EstaVisible()) return;
    d->PonerProgreso(porcentaje);
    CederEventos();
}

void Informar(const QString &texto, int porcentaje)
{
    Destino *d = Registrado();
    if (!d || !d->EstaVisible()) return;
    d->PonerMensaje(texto);
    d->PonerProgreso(porcentaje);
    CederEventos();
}

} // namespace Progreso

namespace {
int &ContadorOcupado()
{
    static int n = 0;
    return n;
}
} // namespace

GuardaOcupado::GuardaOcupado() { ++ContadorOcupado(); }

GuardaOcupado::~GuardaOcupado()
{
    // Input that arrived since the last yield is dropped before the guard
    // lifts; otherwise it would run now, against the state the operation left.
    if (ContadorOcupado() == 1 && std::uncaught_exceptions() == 0) Progreso::CederEventos();
    --ContadorOcupado();
}

bool GuardaOcupado::Activo() { return ContadorOcupado() > 0; }
