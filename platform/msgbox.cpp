#include "platform/msgbox.h"

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
} // namespace

void InstalarResponder(Responder r) { Actual() = std::move(r); }

int Mostrar(const QString &texto, int estilo, const QString &titulo, QWidget *owner)
{
    Llamada llamada{texto, titulo, estilo};
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

    struct Boton { QMessageBox::StandardButton qt; int respuesta; };
    QList<Boton> botones;
    switch (llamada.Botones()) {
    case OKCancel: botones = {{QMessageBox::Ok, OK}, {QMessageBox::Cancel, Cancel}}; break;
    case YesNoCancel: botones = {{QMessageBox::Yes, Yes}, {QMessageBox::No, No}, {QMessageBox::Cancel, Cancel}}; break;
    case YesNo: botones = {{QMessageBox::Yes, Yes}, {QMessageBox::No, No}}; break;
    default: botones = {{QMessageBox::Ok, OK}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const Boton &b : botones) set |= b.qt;
    box.setStandardButtons(set);
    const int porDefecto = llamada.SegundoPorDefecto() && botones.size() > 1 ? 1 : 0;
    box.setDefaultButton(botones[porDefecto].qt);
    // Escape answers like the last button offered (No / Cancel), or OK alone.
    box.setEscapeButton(botones.back().qt);

    const int elegido = box.exec();
    for (const Boton &b : botones)
        if (b.qt == elegido) return b.respuesta;
    return botones.back().respuesta;
}

} // namespace MsgBox
