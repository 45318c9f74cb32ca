#include "windows/editor/infoimagen.h"

#include "app/idioma.h"
#include "platform/numbers.h"

#include <QLocale>

#include <cmath>

namespace InfoImagen {

namespace {

QString Digitos(uint64_t n) { return QString::number(n); }

} // namespace

QString FormatoMiles(int64_t n)
{
    const QLocale loc = QLocale::system();
    const uint64_t a = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    const QString d = Digitos(a);
    QString r;
    for (qsizetype i = 0; i < d.size(); ++i) {
        if (i > 0 && (d.size() - i) % 3 == 0) r += loc.groupSeparator();
        r += d[i];
    }
    return n < 0 ? loc.negativeSign() + r : r;
}

QString FormatoFijo(double v, int decimales)
{
    if (!std::isfinite(v)) return QString();
    double escala = 1;
    for (int i = 0; i < decimales; ++i) escala *= 10;
    const double r = Numeros::Redondear(v * escala);
    const bool negativo = r < 0;
    const uint64_t a = static_cast<uint64_t>(negativo ? -r : r);
    const uint64_t e = static_cast<uint64_t>(escala);
    QString s = Digitos(a / e);
    if (decimales > 0)
        s += QLocale::system().decimalPoint() + QString::number(a % e).rightJustified(decimales, u'0');
    return negativo ? QLocale::system().negativeSign() + s : s;
}

QString TextoPixeles(int32_t ancho, int32_t alto)
{
    return FormatoMiles(ancho) + QStringLiteral(" x ") + FormatoMiles(alto) + QStringLiteral(" px");
}

QString TextoMedidas(int32_t ancho, int32_t alto, double dpiX, double dpiY)
{
    if (dpiX <= 0 || dpiY <= 0) return T(QStringLiteral("Sin datos"), QStringLiteral("No data"));
    return FormatoFijo(ancho / dpiX * 2.54, 2) + QStringLiteral(" x ") + FormatoFijo(alto / dpiY * 2.54, 2) +
           QStringLiteral(" cm");
}

QString TextoResolucion(double dpiX, double dpiY)
{
    if (dpiX <= 0) return T(QStringLiteral("Sin datos"), QStringLiteral("No data"));
    if (dpiY > 0 && dpiY != dpiX)
        return FormatoFijo(dpiX, 0) + QStringLiteral(" x ") + FormatoFijo(dpiY, 0) + QStringLiteral(" ppp");
    return FormatoFijo(dpiX, 0) + QStringLiteral(" ppp");
}

QString TextoEspacioColor(const QString &descripcion)
{
    // Only spaces count as blank, as the trim the panel makes.
    qsizetype i = 0;
    while (i < descripcion.size() && descripcion[i] == u' ') ++i;
    if (i == descripcion.size()) return T(QStringLiteral("Sin perfil"), QStringLiteral("No profile"));
    return descripcion;
}

} // namespace InfoImagen
