#pragma once
// Opening a document or address with the user's default application.

#include <functional>
#include <QString>

namespace Shell {

// Opens a file path or a URL; the result is not reported.
void Abrir(const QString &destino);

// Tests record the targets instead of opening them.
void InstalarResponder(std::function<void(const QString &)> r);

} // namespace Shell
