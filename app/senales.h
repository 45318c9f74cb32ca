#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C in a terminal)
// end the program as its Exit does. The handler only writes the signal's
// number to a pipe; the event loop reads it and runs 'terminar' there, once
// no long operation is running.

#include <functional>

class QObject;

namespace Senales {

// Installs the handlers for the program's life; 'dueno' owns the watcher.
void Instalar(QObject *dueno, std::function<void()> terminar);

} // namespace Senales
