#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C in a terminal)
// end the program as its Exit does, whatever is open. The handler only
// writes the signal's number to a pipe; the event loop reads it and asks
// for the end (Cierre): open dialogs, boxes and menus close as cancelled,
// running operations finish their own way, and 'terminar' runs from the
// main loop once every nested loop has returned.

#include <functional>

class QObject;

namespace Senales {

// Installs the handlers for the program's life, before the main loop
// starts; 'dueno' owns the watcher.
void Instalar(QObject *dueno, std::function<void()> terminar);

} // namespace Senales
