#include "app/ventanas.h"

namespace Ventanas {

namespace {
QList<QPointer<QWidget>> &Lista()
{
    static QList<QPointer<QWidget>> l;
    return l;
}
void Limpiar() { Lista().removeIf([](const QPointer<QWidget> &p) { return p.isNull(); }); }
} // namespace

void Registrar(QWidget *w)
{
    Limpiar();
    if (w && !Lista().contains(w)) Lista().append(w);
}

void Quitar(QWidget *w)
{
    Lista().removeIf([w](const QPointer<QWidget> &p) { return p.isNull() || p.data() == w; });
}

QList<QPointer<QWidget>> Cargadas()
{
    Limpiar();
    return Lista();
}

QWidget *Buscar(const QString &nombre)
{
    for (const auto &p : Cargadas())
        if (p && p->objectName().compare(nombre, Qt::CaseInsensitive) == 0) return p.data();
    return nullptr;
}

} // namespace Ventanas
