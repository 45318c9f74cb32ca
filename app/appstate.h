#pragma once
// Small services shared by the windows.

#include "platform/filedialogs.h"

#include <QString>
#include <functional>

class QWidget;

namespace modAppState {

// True while a window of that name (any case) is loaded.
bool FormularioCargado(const QString &nombre);
// Tells a loaded curve editor to redraw from the shared curve; never loads it.
void AvisarEditorCurvaGenerada();
// The remembered folder of a dialog purpose ("Imagen", "Escaneo", "Curva")
// when it still is a folder on disk, else "".
QString LeerCarpetaDialogo(const QString &clave);
// Remembers the folder of a file the user accepted in a dialog; false (and
// why in *motivo) when the store did not take it.
bool GuardarCarpetaDialogo(const QString &clave, const QString &ruta, QString *motivo = nullptr);
// Tells the user, once in the session, that the settings could not be
// stored and why; the values are kept and tried again. At exit
// ('alSalir', the program's last try) it tells again. NuevaSesion starts
// counting again (at start-up).
void AvisarAjustesNoGuardados(const QString &motivo, bool alSalir = false);
void NuevaSesion();
// At start: the in-place saves that a killed program left unfinished, which
// file and where its previous content is, in one box.
void AvisarGuardadosInterrumpidos(QWidget *dueno);
// A file dialog for a purpose: it starts in the purpose's remembered folder
// (when there is one) and remembers the folder of an accepted choice.
QString DialogoConCarpeta(Dialogos::Peticion p, const QString &clave);
// A save dialog whose typed name gets the format's extension, asking in the
// current language before a file of the new name is replaced.
void ForzarExtension(Dialogos::Peticion &p);

} // namespace modAppState

namespace modDialogo {
// Opens a document or address with the user's default application;
// `siFalla` runs when nothing on the system can open it.
void AbrirConShell(const QString &destino, std::function<void()> siFalla = {});
} // namespace modDialogo
