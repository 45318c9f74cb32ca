#pragma once
// The list of loaded windows, in load order, and the small interfaces through
// which services below the windows reach them without including their headers.

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

// A bilingual window re-sets its captions through this.
class ConIdioma {
public:
    virtual ~ConIdioma() = default;
    virtual void AplicarIdioma() = 0;
};

// The curve editor's public members, as the scan evaluator and the
// application services call them.
class EditorCurva {
public:
    virtual ~EditorCurva() = default;
    virtual bool TieneCurvaCargada() const = 0;
    // Installs a generated master curve: xs/ys hold n points (0..255).
    virtual void RecibirCurvaGenerada(const int *xs, const int *ys, int n) = 0;
    virtual void RefrescarDesdeCurvaCompartida() = 0;
};

namespace Ventanas {

// A window registers when it loads (its objectName is its name) and leaves
// when it is destroyed.
void Registrar(QWidget *w);
void Quitar(QWidget *w);
QList<QPointer<QWidget>> Cargadas();
// The loaded window of that name (case-insensitive), or nullptr.
QWidget *Buscar(const QString &nombre);

} // namespace Ventanas
