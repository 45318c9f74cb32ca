#include "platform/msgbox.h"

#include "platform/cierre.h"
#include "platform/progress.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace MsgBox {

namespace {
Responder &Actual()
{
    static Responder r;
    return r;
}

struct Boton {
    QMessageBox::StandardButton qt;
    int respuesta;
};

// The buttons offered, in order; Escape answers like the last one (No,
// Cancel), or OK alone.
QList<Boton> Botones(int botones)
{
    switch (botones) {
    case OKCancel: return {{QMessageBox::Ok, OK}, {QMessageBox::Cancel, Cancel}};
    case YesNoCancel: return {{QMessageBox::Yes, Yes}, {QMessageBox::No, No}, {QMessageBox::Cancel, Cancel}};
    case YesNo: return {{QMessageBox::Yes, Yes}, {QMessageBox::No, No}};
    default: return {{QMessageBox::Ok, OK}};
    }
}
} // namespace

void InstalarResponder(Responder r) { Actual() = std::move(r); }

int Mostrar(const QString &texto, int estilo, const QString &titulo, QWidget *owner)
{
    Llamada llamada{texto, titulo, estilo};
    // The program is ending: nobody may be there to answer.
    if (Cierre::Pedido()) return Botones(llamada.Botones()).back().respuesta;
    if (Actual()) return Actual()(llamada);
    // A key pressed during a long operation must not answer a box that
    // operation opens.
    if (GuardaOcupado::Activo()) Progreso::CederEventos();

    QMessageBox box(owner ? owner : QApplication::activeWindow());
    box.setText(texto);
    box.setWindowTitle(titulo.isEmpty() ? QStringLiteral("ZOLV Halvora") : titulo);
    switch (llamada.Icono()) {
    case Critical: box.setIcon(QMessageBox::Critical); break;
    case Question: box.setIcon(QMessageBox::Question); break;
    case Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }

    const QList<Boton> botones = Botones(llamada.Botones());
    QMessageBox::StandardButtons set;
    for (const Boton &b : botones) set |= b.qt;
    box.setStandardButtons(set);
    const int porDefecto = llamada.SegundoPorDefecto() && botones.size() > 1 ? 1 : 0;
    box.setDefaultButton(botones[porDefecto].qt);
    box.setEscapeButton(botones.back().qt);

    // A box closed without a button (the program ending) answers as Escape.
    const int elegido = box.exec();
    for (const Boton &b : botones)
        if (b.qt == elegido) return b.respuesta;
    return botones.back().respuesta;
}

} // namespace MsgBox
