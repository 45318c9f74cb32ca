#include "windows/envioimpresion.h"

#include "app/idioma.h"
#include "output/configimpresion.h"
#include "platform/msgbox.h"

namespace EnvioImpresion {

namespace {

QString Posicion(bool centrado)
{
    return centrado ? QStringLiteral("centrada") : QStringLiteral("con margen manual");
}

QString Tamano(double anchoCm, double altoCm)
{
    return ConfigImpresion::FormatoUnDecimal(anchoCm) + QStringLiteral(" x ") +
           ConfigImpresion::FormatoUnDecimal(altoCm) + QStringLiteral(" cm");
}

} // namespace

QString TextoCartaEnviada(double anchoCm, double altoCm, int ppp, bool centrado)
{
    return QStringLiteral("Carta enviada a la impresora.\r\nTamano impreso: ") + Tamano(anchoCm, altoCm) +
           QStringLiteral("  (") + QString::number(ppp) + QStringLiteral(" ppp)\r\nPosicion: ") + Posicion(centrado);
}

QString TextoImagenEnviada(double anchoCm, double altoCm, bool centrado)
{
    return QStringLiteral("Imagen enviada a la impresora.\r\nTamaño: ") + Tamano(anchoCm, altoCm) +
           QStringLiteral("\r\nPosición: ") + Posicion(centrado);
}

void Informar(const modImpresion::ResultadoImpresion &resultado, const QString &aviso, QWidget *propietario)
{
    if (resultado.codigo == 0) return;
    if (resultado.codigo == -1)
        InformarError(resultado.motivo, propietario);
    else
        MsgBox::Mostrar(aviso, MsgBox::Information, QStringLiteral("Imprimir"), propietario);
}

void InformarError(const QString &motivo, QWidget *propietario)
{
    MsgBox::Mostrar(T(QStringLiteral("Error al imprimir: "), QStringLiteral("Print error: ")) + motivo,
                    MsgBox::Critical, T(QStringLiteral("Imprimir"), QStringLiteral("Print")), propietario);
}

} // namespace EnvioImpresion
