#pragma once
// The interface language: Spanish by default, English on request, remembered
// per user (settings "Config"/"idioma").

#include <QString>

namespace modIdioma {

// "es" or "en" once CargarIdioma has run; compared exactly.
extern QString Idioma;

// The English text when Idioma is exactly "en", otherwise the Spanish one.
QString T(const QString &es, const QString &en);

// Reads the stored language and puts Qt's own texts in it.
void CargarIdioma();
// False (and why in *motivo) when the store did not take it.
bool GuardarIdioma(QString *motivo = nullptr);
// The user's switch: normalises the code, stores it (saying once in the
// session when the store cannot take it) and re-captions every loaded
// window and Qt's own texts, or does nothing when it is already the current
// language.
void CambiarIdioma(const QString &codigo);
// Qt's own texts in the current language.
void TraducirQt();
// Calls AplicarIdioma on every loaded window that offers it, in load order.
void AplicarIdiomaATodos();

} // namespace modIdioma

using modIdioma::T;
