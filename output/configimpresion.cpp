#include "output/configimpresion.h"

#include "app/idioma.h"
#include "platform/numbers.h"

#include <QDir>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace ConfigImpresion {

double NumeroInicial(const QString &texto)
{
    // The platform's Val also reads "&H" and "&O" prefixes; a box does not.
    for (QChar c : texto) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') continue;
        if (c == u'&') return 0.0;
        break;
    }
    return Numeros::Val(texto);
}

int LeerCopias(const QString &texto)
{
    const double n = Numeros::Redondear(NumeroInicial(texto));
    if (!(n >= 1)) return 1;
    if (n > 999) return 999;
    return static_cast<int>(n);
}

double TextoACm(const QString &texto, double factor)
{
    QString t = texto;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    // The separator the boxes are written with ("٫" in Arabic and Persian).
    const QString punto = QLocale().decimalPoint();
    if (punto != QLatin1String(".")) t.replace(punto, QStringLiteral("."));
    double v = NumeroInicial(t);
    if (!(v > 0)) return 0.0;
    v *= factor;
    return v <= kMedidaMaximaCm ? v : 0.0;
}

namespace {
// ASCII digits whatever the locale (the boxes read no others), with the
// locale's decimal separator.
QString Formato(double valor, int decimales)
{
    if (valor == 0) valor = 0.0; // never "-0.00"
    QString t = QString::number(valor, 'f', decimales);
    const QString punto = QLocale().decimalPoint();
    if (punto != QLatin1String(".")) t.replace(QLatin1Char('.'), punto);
    return t;
}
} // namespace

QString FormatoMedida(double valor) { return Formato(valor, 2); }
QString FormatoUnDecimal(double valor) { return Formato(valor, 1); }

Unidad UnidadDe(int indice)
{
    switch (indice) {
    case 1: return {2.54, QStringLiteral("in")};
    case 2: return {0.1, QStringLiteral("mm")};
    default: return {1.0, QStringLiteral("cm")};
    }
}

QStringList TextosUnidades()
{
    return {QStringLiteral("cm"), T(QStringLiteral("pulgadas"), QStringLiteral("inches")), QStringLiteral("mm")};
}

QList<Papel> TablaPapeles()
{
    return {{QStringLiteral("A4"), 21.0, 29.7},
            {QStringLiteral("A3"), 29.7, 42.0},
            {QStringLiteral("A2"), 42.0, 59.4},
            {QStringLiteral("A1"), 59.4, 84.1},
            {QStringLiteral("A5"), 14.8, 21.0},
            {QStringLiteral("B4 (ISO)"), 25.0, 35.3},
            {QStringLiteral("B5 (ISO)"), 17.6, 25.0},
            {QStringLiteral("Letter"), 21.59, 27.94},
            {QStringLiteral("Legal"), 21.59, 35.56},
            {T(QStringLiteral("Personalizado"), QStringLiteral("Custom")), 21.0, 29.7}};
}

int IndicePapel(int indice) { return indice >= 0 && indice <= kPapelPersonalizado ? indice : 0; }

double LadoPersonalizado(const QString &texto, double factor)
{
    const double v = TextoACm(texto, factor);
    return v < 1 ? 1.0 : v;
}

Hoja Orientar(double ancho, double alto, bool horizontal)
{
    return horizontal ? Hoja{alto, ancho} : Hoja{ancho, alto};
}

QString TextoPapelInfo(const QString &nombrePapel, const Hoja &hoja, bool horizontal)
{
    return T(QStringLiteral("Tamaño del papel: "), QStringLiteral("Paper size: ")) + nombrePapel + QStringLiteral("  ") +
           FormatoUnDecimal(hoja.ancho) + QStringLiteral(" x ") + FormatoUnDecimal(hoja.alto) + QStringLiteral(" cm  [") +
           (horizontal ? T(QStringLiteral("horizontal"), QStringLiteral("landscape"))
                       : T(QStringLiteral("vertical"), QStringLiteral("portrait"))) +
           QStringLiteral("]");
}

QString TextoInfoCarta(const Carta &carta, const Hoja &hoja, double factor, const QString &unidad,
                       const QString &nombrePapel)
{
    QString aviso;
    if (carta.anchoCm > hoja.ancho)
        aviso = T(QStringLiteral("  [!] Carta más ancha que el papel"), QStringLiteral("  [!] Chart wider than paper"));
    else if (carta.altoCm > hoja.alto)
        aviso = T(QStringLiteral("  [!] Carta más alta que el papel"), QStringLiteral("  [!] Chart taller than paper"));
    const QString posicion =
        carta.centrado ? T(QStringLiteral("Centrada en "), QStringLiteral("Centered on ")) + nombrePapel
                       : T(QStringLiteral("Posición  X: "), QStringLiteral("Position  X: ")) +
                             FormatoMedida(carta.posX / factor) + QStringLiteral(" ") + unidad + QStringLiteral("   Y: ") +
                             FormatoMedida(carta.posY / factor) + QStringLiteral(" ") + unidad;
    return T(QStringLiteral("Carta: "), QStringLiteral("Chart: ")) + FormatoMedida(carta.anchoCm / factor) +
           QStringLiteral(" x ") + FormatoMedida(carta.altoCm / factor) + QStringLiteral(" ") + unidad +
           QStringLiteral("   ") + posicion + aviso;
}

QString TextoFueraDelPapel(const Carta &carta, const Hoja &hoja, const QString &nombrePapel, bool horizontal)
{
    // To a hundredth of a millimetre: sums of typed centimetres may land a
    // hair past an edge they touch.
    const auto mas = [](double cm, double limite) { return Numeros::Redondear(cm * 1000) > Numeros::Redondear(limite * 1000); };
    QString aviso;
    if (mas(carta.anchoCm, hoja.ancho))
        aviso = T(QStringLiteral("Carta más ancha que el papel de la impresora."), QStringLiteral("Chart wider than the printer's paper."));
    else if (mas(carta.altoCm, hoja.alto))
        aviso = T(QStringLiteral("Carta más alta que el papel de la impresora."), QStringLiteral("Chart taller than the printer's paper."));
    else if (!carta.centrado && (mas(std::max(carta.posX, 0.0) + carta.anchoCm, hoja.ancho) ||
                                 mas(std::max(carta.posY, 0.0) + carta.altoCm, hoja.alto)))
        aviso = T(QStringLiteral("Carta fuera del papel de la impresora."), QStringLiteral("Chart off the printer's paper."));
    else
        return QString();
    return aviso + QStringLiteral(" ") + TextoPapelInfo(nombrePapel, hoja, horizontal);
}

Opuestos MargenesOpuestos(const Hoja &hoja, double anchoCm, double altoCm, double arriba, double izquierda)
{
    const double abajo = hoja.alto - altoCm - arriba;
    const double derecha = hoja.ancho - anchoCm - izquierda;
    return {abajo > 0 ? abajo : 0.0, derecha > 0 ? derecha : 0.0};
}

QStringList TextosGestionColor()
{
    return {T(QStringLiteral("La impresora gestiona los colores"), QStringLiteral("Printer manages colors")),
            T(QStringLiteral("Halvora gestiona los colores"), QStringLiteral("Halvora manages colors")),
            T(QStringLiteral("Sin gestión de color"), QStringLiteral("No color management"))};
}

QString TextoAvisoColor(int modo)
{
    if (modo == 1)
        return T(QStringLiteral("Halvora convertirá del perfil del documento al perfil de impresora antes de imprimir. "
                                "Desactive la gestión de color en el driver."),
                 QStringLiteral("Halvora will convert from the document profile to the printer profile before printing. "
                                "Disable color management in the driver."));
    if (modo == 2)
        return T(QStringLiteral("La imagen se envía sin conversión ICC desde Halvora."),
                 QStringLiteral("The image is sent without ICC conversion from Halvora."));
    return T(QStringLiteral("Recuerde activar/desactivar la gestión de color de la impresora en Ajustes de impresión."),
             QStringLiteral("Remember to enable/disable printer color management in Print settings."));
}

namespace {
QString TextoPerceptual() { return QStringLiteral("Perceptual"); }
QString TextoSaturacion() { return T(QStringLiteral("Saturación"), QStringLiteral("Saturation")); }
QString TextoAbsoluto() { return T(QStringLiteral("Colorimétrico absoluto"), QStringLiteral("Absolute colorimetric")); }
} // namespace

QStringList TextosIntento()
{
    return {T(QStringLiteral("Colorimétrico relativo"), QStringLiteral("Relative colorimetric")), TextoPerceptual(),
            TextoSaturacion(), TextoAbsoluto()};
}

QString TextoModoNormal() { return T(QStringLiteral("Impresión normal"), QStringLiteral("Normal printing")); }

QStringList PerfilesImpresora(const QString &carpeta)
{
    QStringList lista{T(QStringLiteral("Perfil configurado en el driver"), QStringLiteral("Profile set in driver")),
                      QStringLiteral("CIE RGB"), QStringLiteral("sRGB IEC61966-2.1")};
    // Plain files only (no folders, no hidden files); a missing or
    // unreadable folder simply lists nothing.
    if (carpeta.isEmpty()) return lista;
    const QDir dir(carpeta);
    QStringList vistos;
    for (const char *patron : {"*.icc", "*.icm"}) {
        const QStringList nombres =
            dir.entryList({QString::fromLatin1(patron)}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &n : nombres) {
            const QString clave = n.toLower();
            if (vistos.contains(clave)) continue;
            vistos.append(clave);
            lista.append(n);
        }
    }
    return lista;
}

int IndiceIntento(const QString &texto)
{
    if (texto == TextoPerceptual()) return 1;
    if (texto == TextoSaturacion()) return 2;
    if (texto == TextoAbsoluto()) return 3;
    return 0;
}

} // namespace ConfigImpresion
