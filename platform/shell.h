#pragma once
// Opening a document or address with the user's default application.

#include <functional>
#include <QString>

namespace Shell {

// Opens a file path or a URL. When nothing on the system can open it (no
// opener, or the opener finds no browser or viewer), `siFalla` runs: at once,
// or later, when the opener gives up.
void Abrir(const QString &destino, std::function<void()> siFalla = {});

// Tests record the targets instead of opening them; the responder answers
// whether the open succeeded.
void InstalarResponder(std::function<bool(const QString &)> r);

} // namespace Shell
