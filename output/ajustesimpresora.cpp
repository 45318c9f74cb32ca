#include "output/ajustesimpresora.h"

#include "output/cups.h"
#include "output/dcimpresora.h"

#include <QComboBox>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinterInfo>

namespace modImpresion {

DevMode DevModeGuardado;

namespace {

// Qt's print engine key for the CUPS job options (name, value pairs).
const auto PPK_CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QString g_carpeta;
DialogoAjustes g_dialogo;

// Qt's print dialog with its printer properties, for this printer only.
int DialogoQt(QPrinter &printer, QWidget *propietario)
{
    QPrintDialog d(&printer, propietario);
    d.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    // The settings are kept for the printer asked for: no switching here.
    if (auto *lista = d.findChild<QComboBox *>(QStringLiteral("printers"))) lista->setEnabled(false);
    return d.exec() == QDialog::Accepted ? 1 : 0;
}

// A file lookup: an existing plain file.
bool Existe(const QString &ruta) { return !ruta.isEmpty() && QFileInfo(ruta).isFile(); }

} // namespace

QStringList Impresoras() { return QPrinterInfo::availablePrinterNames(); }
QString ImpresoraPredeterminada() { return QPrinterInfo::defaultPrinterName(); }

AjustesImpresora LeerAjustes(QPrinter &printer)
{
    AjustesImpresora a;
    a.pagina = printer.pageLayout();
    a.color = printer.colorMode();
    a.duplex = printer.duplex();
    a.resolucion = printer.resolution();
    a.opcionesCups = printer.printEngine()->property(PPK_CupsOptions).toStringList();
    return a;
}

void AplicarAjustes(const AjustesImpresora &a, QPrinter &printer)
{
    if (a.pagina.isValid()) printer.setPageLayout(a.pagina);
    printer.setColorMode(a.color);
    printer.setDuplex(a.duplex);
    if (a.resolucion > 0) printer.setResolution(a.resolucion);
    printer.printEngine()->setProperty(PPK_CupsOptions, a.opcionesCups);
}

bool AjustesGuardadosDe(const QString &impresora)
{
    return DevModeGuardado.valido && DevModeGuardado.impresora.compare(impresora.trimmed(), Qt::CaseInsensitive) == 0;
}

void FijarDialogoAjustes(DialogoAjustes dialogo) { g_dialogo = std::move(dialogo); }

bool MostrarAjustesImpresora(QWidget *propietario, const QString &impresora, QString &msgError)
{
    msgError.clear();
    const QString nombre = impresora.trimmed();
    if (nombre.isEmpty()) {
        msgError = QStringLiteral("No hay impresora seleccionada.");
        return false;
    }
    // Built as the print job's printer: kept settings when they are this printer's.
    const std::unique_ptr<QPrinter> p = CrearPrinter(nombre);
    if (!p) {
        msgError = Impresoras().contains(nombre, Qt::CaseInsensitive)
                       ? QStringLiteral("No se pudieron leer las propiedades de la impresora.")
                       : QStringLiteral("No se pudo abrir la impresora seleccionada.");
        return false;
    }
    QPrinter &printer = *p;
    const int r = g_dialogo ? g_dialogo(printer, propietario) : DialogoQt(printer, propietario);
    if (r == 1) {
        DevModeGuardado = DevMode{true, nombre, LeerAjustes(printer)};
        return true;
    }
    if (r < 0) msgError = QStringLiteral("El controlador de impresora no acepto los ajustes.");
    return false;
}

QString CarpetaColorWindows() { return g_carpeta.isEmpty() ? QStringLiteral("/usr/share/color/icc/") : g_carpeta; }

void FijarCarpetaColor(const QString &carpeta)
{
    g_carpeta = carpeta;
    if (!g_carpeta.isEmpty() && !g_carpeta.endsWith(u'/')) g_carpeta += u'/';
}

QString RutaPerfilSRGB() { return CarpetaColorWindows() + QStringLiteral("sRGB.icc"); }

QString ResolverPerfilImpresora(const QString &perfilImpresora, const QString &impresora)
{
    const QString t = perfilImpresora.trimmed();
    const QString srgb = RutaPerfilSRGB();
    if (t.isEmpty()) return srgb;
    if (t.contains(QStringLiteral("Profile set"), Qt::CaseInsensitive) ||
        t.contains(QStringLiteral("Perfil configurado"), Qt::CaseInsensitive)) {
        const QString delDriver = PerfilICMImpresora(impresora);
        return delDriver.isEmpty() ? srgb : delDriver;
    }
    QString ruta;
    if (t.contains(u'/'))
        ruta = t; // a full path
    else if (t.compare(QStringLiteral("CIE RGB"), Qt::CaseInsensitive) == 0)
        ruta = CarpetaColorWindows() + QStringLiteral("CIERGB.icc");
    else if (t.contains(QStringLiteral("sRGB"), Qt::CaseInsensitive))
        ruta = srgb;
    else
        ruta = CarpetaColorWindows() + t;
    return Existe(ruta) ? ruta : srgb;
}

QString PerfilICMImpresora(const QString &impresora)
{
    std::unique_ptr<DCImpresora> dc = CrearDCImpresora(impresora);
    if (!dc || dc->Printer().outputFormat() != QPrinter::NativeFormat) return QString();
    return PerfilDePPD(ColaCUPS::PPD(dc->Printer().printerName()), dc->OpcionesCups());
}

QString PerfilDePPD(const QByteArray &ppd, const QStringList &opciones)
{
    // The choices that qualify a profile: the PPD's defaults, then the job's.
    const QStringList claves{QStringLiteral("ColorModel"), QStringLiteral("MediaType"), QStringLiteral("Resolution")};
    QStringList elegido(3);
    QList<QPair<QStringList, QString>> perfiles;
    for (const QByteArray &linea : ppd.split('\n')) {
        const QString l = QString::fromUtf8(linea).trimmed();
        if (l.startsWith(QStringLiteral("*Default"))) {
            const qsizetype k = claves.indexOf(l.mid(8).section(u':', 0, 0).trimmed());
            if (k >= 0) elegido[k] = l.section(u':', 1).trimmed();
        } else if (l.startsWith(QStringLiteral("*cupsICCProfile "))) {
            const QString selector = l.mid(16).section(u':', 0, 0).section(u'/', 0, 0).trimmed();
            QString archivo = l.section(u':', 1).trimmed();
            if (archivo.size() >= 2 && archivo.startsWith(u'"') && archivo.endsWith(u'"')) archivo = archivo.mid(1, archivo.size() - 2);
            if (!archivo.isEmpty()) perfiles.append({selector.split(u'.'), archivo});
        }
    }
    for (qsizetype i = 0; i + 1 < opciones.size(); i += 2) {
        const qsizetype k = claves.indexOf(opciones[i]);
        if (k >= 0) elegido[k] = opciones[i + 1];
    }
    for (const auto &[calificadores, archivo] : perfiles) {
        bool vale = true;
        for (qsizetype k = 0; k < 3 && k < calificadores.size(); ++k)
            vale = vale && (calificadores[k].isEmpty() || calificadores[k].compare(elegido[k], Qt::CaseInsensitive) == 0);
        if (vale) return archivo.startsWith(u'/') ? archivo : QStringLiteral("/usr/share/cups/profiles/") + archivo;
    }
    return QString();
}

int IntentoICC(int indiceIntento)
{
    switch (indiceIntento) {
    case 1: return 0;
    case 2: return 2;
    case 3: return 3;
    default: return 1;
    }
}

} // namespace modImpresion
