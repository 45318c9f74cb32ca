#pragma once
// What the program knows about printers: the installed queues, the driver
// settings the user accepted last (kept in memory for the run, one printer at
// a time), printer "device contexts" (a configured QPrinter), the system
// colour folder and its sRGB profile, the printer-profile choice turned into
// a file, and the rendering-intent mapping.

#include <QString>
#include <QStringList>

class QWidget;

namespace modImpresion {

// Installed printers in the system's order, and the default one ("" if none).
QStringList Impresoras();
QString ImpresoraPredeterminada();

// Shows the driver's settings for the printer; on OK keeps them for later
// device contexts of that printer. msgError receives the failure text
// ("" on cancel).
bool MostrarAjustesImpresora(QWidget *propietario, const QString &impresora, QString &msgError);

// The colour folder, with a trailing '/'. Tests point it elsewhere; an empty
// path restores the system's.
QString CarpetaColorWindows();
void FijarCarpetaColor(const QString &carpeta);

QString RutaPerfilSRGB();
QString ResolverPerfilImpresora(const QString &perfilImpresora, const QString &impresora);
QString PerfilICMImpresora(const QString &impresora);
int IntentoICC(int indiceIntento);

} // namespace modImpresion
