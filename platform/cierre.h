#pragma once
// The end the system asks for (a signal) may come at any moment: with a file
// dialog, a message box or a menu open, inside a long operation, while one
// yields to the event loop. Unloading the windows there would free them under
// their own code, still waiting on the stack. So the end goes in two steps:
//   - asked for (Pedir): every modal dialog, box and menu open closes as
//     cancelled, and keeps doing so for those opened later; a message box or
//     file dialog asked for meanwhile answers as cancelled at once, unseen
//     (Escape's answer: No, Cancel, or OK when alone; no path). Each running
//     operation thus finishes its own way, leaving its files whole;
//   - carried out ('fin'): from the event loop at the program's base depth,
//     once every nested loop has returned and no long operation
//     (GuardaOcupado) or yield (Progreso::CederEventos) is under way.
// Pedido() holds from the request until 'fin' has returned, so that what
// 'fin' unloads asks nobody either.

#include <functional>

class QObject;

namespace Cierre {

// 'nivelBase' is the event-loop depth of the program's main loop (1 when it
// is QApplication::exec); 'dueno' carries the waiting and its end cancels it.
// A request while another is waiting is ignored.
void Pedir(QObject *dueno, int nivelBase, std::function<void()> fin);

bool Pedido();

} // namespace Cierre
