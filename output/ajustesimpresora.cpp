// Placeholder bodies until the print engine lands; the print set-up dialog
// builds against the header.
#include "output/ajustesimpresora.h"

#include <QPrinterInfo>

namespace modImpresion {

QStringList Impresoras() { return QPrinterInfo::availablePrinterNames(); }
QString ImpresoraPredeterminada() { return QPrinterInfo::defaultPrinterName(); }

bool MostrarAjustesImpresora(QWidget *, const QString &, QString &msgError)
{
    msgError.clear();
    return false;
}

static QString g_carpeta;
QString CarpetaColorWindows() { return g_carpeta.isEmpty() ? QStringLiteral("/usr/share/color/icc/") : g_carpeta; }
void FijarCarpetaColor(const QString &carpeta)
{
    g_carpeta = carpeta;
    if (!g_carpeta.isEmpty() && !g_carpeta.endsWith('/'))
        g_carpeta += '/';
}

QString RutaPerfilSRGB() { return CarpetaColorWindows() + QStringLiteral("sRGB.icc"); }
QString ResolverPerfilImpresora(const QString &, const QString &) { return RutaPerfilSRGB(); }
QString PerfilICMImpresora(const QString &) { return QString(); }
int IntentoICC(int indiceIntento) { return indiceIntento == 1 ? 0 : (indiceIntento == 2 || indiceIntento == 3) ? indiceIntento : 1; }

} // namespace modImpresion
