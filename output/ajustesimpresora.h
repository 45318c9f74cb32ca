#pragma once
// What the program knows about printers: the installed queues, the driver
// settings the user accepted last (kept in memory for the run, one printer at
// a time), the system colour folder and its sRGB profile, the printer-profile
// choice turned into a file, and the rendering-intent mapping.
//
// Printers are CUPS queues seen through Qt PrintSupport. The "driver's
// settings" are what Qt's print dialog (with its printer properties) sets on
// a QPrinter: page size and orientation, colour mode, duplex, resolution and
// the CUPS job options. Printer names compare without case, as CUPS does.

#include <QPageLayout>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace modImpresion {

// Installed printers in the system's order, and the default one ("" if none).
QStringList Impresoras();
QString ImpresoraPredeterminada();

// The driver settings of one printer, as a QPrinter holds them.
struct AjustesImpresora {
    QPageLayout pagina;
    QPrinter::ColorMode color = QPrinter::Color;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    int resolucion = 0;
    QStringList opcionesCups; // name, value, name, value, ...
};
AjustesImpresora LeerAjustes(QPrinter &printer);
void AplicarAjustes(const AjustesImpresora &ajustes, QPrinter &printer);

// The settings accepted last in the driver dialog: empty at start, replaced
// by each OK (for whichever printer), never cleared, never written to disk.
struct DevMode {
    bool valido = false;
    QString impresora; // trimmed
    AjustesImpresora ajustes;
};
extern DevMode DevModeGuardado;
// True when the kept settings belong to this printer (any letter case).
bool AjustesGuardadosDe(const QString &impresora);

// Shows the driver's settings for the printer, starting from the kept ones
// when they are this printer's; on OK keeps them for later device contexts
// of that printer. msgError receives the failure text ("" on cancel).
bool MostrarAjustesImpresora(QWidget *propietario, const QString &impresora, QString &msgError);

// The dialog MostrarAjustesImpresora shows: returns 1 (OK), 0 (cancel) or a
// negative value (the settings were refused). Tests replace it; an empty
// function restores Qt's print dialog.
using DialogoAjustes = std::function<int(QPrinter &printer, QWidget *propietario)>;
void FijarDialogoAjustes(DialogoAjustes dialogo);

// The colour folder, with a trailing '/'. Tests point it elsewhere; an empty
// path restores the system's.
QString CarpetaColorWindows();
void FijarCarpetaColor(const QString &carpeta);

// The system sRGB profile: the colour folder's "sRGB.icc" (not checked).
QString RutaPerfilSRGB();
// The profile file to use for a printer-profile entry of the print set-up
// (a fixed entry, a bare name in the colour folder or a full path); sRGB
// whenever the chosen file is missing.
QString ResolverPerfilImpresora(const QString &perfilImpresora, const QString &impresora);
// The profile the printer's driver (its PPD's cupsICCProfile entries, under
// the kept settings) gives for the printer, or "".
QString PerfilICMImpresora(const QString &impresora);
// The cupsICCProfile entry of a PPD that matches the chosen ColorModel,
// MediaType and Resolution (opciones: name, value pairs over the PPD's
// defaults; an empty qualifier matches any choice), resolved against
// /usr/share/cups/profiles; "" when there is none.
QString PerfilDePPD(const QByteArray &ppd, const QStringList &opciones);

// The ICC intent for a rendering-intent code of the print request:
// 1 perceptual (0), 2 saturation (2), 3 absolute colorimetric (3), anything
// else relative colorimetric (1).
int IntentoICC(int indiceIntento);

} // namespace modImpresion
