#include "platform/progress.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace Progreso {

namespace {
Destino *&Registrado()
{
    static Destino *d = nullptr;
    return d;
}
} // namespace

void Registrar(Destino *d) { Registrado() = d; }
void Quitar(Destino *d)
{
    if (Registrado() == d) Registrado() = nullptr;
}
Destino *Actual() { return Registrado(); }

void CederEventos()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

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
GuardaOcupado::~GuardaOcupado() { --ContadorOcupado(); }
bool GuardaOcupado::Activo() { return ContadorOcupado() > 0; }
