#include "output/impresion.h"

#include "output/conversionicc.h"
#include "output/cups.h"
#include "output/dcimpresora.h"
#include "platform/numbers.h"

#include <cmath>
#include <memory>
#include <exception>
#include <new>

namespace modImpresion {

namespace {

// Device pixels stay below 2^30 so that a position plus a size never
// overflows a coordinate.
constexpr double kLimitePx = 1073741823.0;

// Device pixels of a length in centimetres; false when it cannot be one.
bool APixeles(double cm, int32_t dpi, int32_t &px)
{
    const double v = (cm * kPulgadasPorCm) * dpi;
    if (!std::isfinite(v) || v > kLimitePx || v < -kLimitePx) return false;
    px = Numeros::CLng(v);
    return true;
}

} // namespace

QString TextoConMotivo(const QString &texto, const QString &motivo)
{
    const QString m = motivo.trimmed();
    if (m.isEmpty()) return texto;
    return texto + u' ' + m + (m.endsWith(u'.') || m.endsWith(u')') ? QString() : QStringLiteral("."));
}

QString TextoErrorImpresion(int32_t codigo)
{
    switch (codigo) {
    case 6101: return QStringLiteral("No se pudo leer el area imprimible.");
    case 6102: return QStringLiteral("El tamano de impresion no es valido.");
    case 6103: return QStringLiteral("No se pudo crear el buffer de impresion.");
    case 6104: return QStringLiteral("No se pudo seleccionar la imagen para imprimir.");
    case 6105: return QStringLiteral("No se pudo iniciar el documento de impresion.");
    case 6106: return QStringLiteral("No se pudo iniciar la pagina de impresion.");
    case 6107: return QStringLiteral("No se pudo enviar la imagen a la impresora.");
    case 6108: return QStringLiteral("No se pudo cerrar la pagina de impresion.");
    case 6109: return QStringLiteral("No se pudo cerrar el documento de impresion.");
    default: return QString();
    }
}

int32_t CalcularColocacion(double anchoCm, double altoCm, bool centrar, double xCm, double yCm, int32_t horzRes,
                           int32_t vertRes, int32_t dpiX, int32_t dpiY, Colocacion &c)
{
    Colocacion r;
    if (!APixeles(anchoCm, dpiX, r.ancho) || !APixeles(altoCm, dpiY, r.alto) || r.ancho < 1 || r.alto < 1 ||
        (!centrar && (!APixeles(xCm, dpiX, r.x) || !APixeles(yCm, dpiY, r.y)))) {
        c = Colocacion();
        return 6102;
    }
    if (centrar) {
        r.x = int32_t((int64_t(horzRes) - r.ancho) / 2);
        r.y = int32_t((int64_t(vertRes) - r.alto) / 2);
    }
    r.x = std::max(r.x, 0);
    r.y = std::max(r.y, 0);
    c = r;
    return 0;
}

int32_t ImprimirImagen(const QImage *imagen, int32_t anchoPx, int32_t altoPx, QWidget *, const QString &nombreDocumento,
                       const QString &impresora, int16_t copias, double anchoCm, double altoCm, bool centrar, double xCm,
                       double yCm, QString &msgError, int16_t modoColor, const QString &perfilOrigen,
                       const QString &perfilImpresora, int16_t indiceIntento, bool compensarPuntoNegro)
{
    msgError.clear();
    const QString nombre = impresora.trimmed();
    if (nombre.isEmpty()) {
        msgError = QStringLiteral("No hay impresora seleccionada.");
        return -1;
    }
    if (copias < 1) copias = 1;
    if (!imagen) {
        msgError = QStringLiteral("No hay imagen disponible para imprimir.");
        return -1;
    }
    if (imagen->isNull() || anchoPx < 1 || altoPx < 1 || anchoPx > imagen->width() || altoPx > imagen->height()) {
        msgError = QStringLiteral("La imagen tiene dimensiones invalidas.");
        return -1;
    }

    std::unique_ptr<DCImpresora> dc; // released on every way out
    int32_t error = 0;
    try {
        dc = CrearDCImpresora(nombre);
        if (!dc) {
            msgError = TextoConMotivo(QStringLiteral("No se pudo crear el contexto de impresion."),
                                      ColaCUPS::MotivoCola(nombre));
            return -1;
        }
        if (modoColor == 1 || modoColor == 2) dc->DesactivarICM();

        const int32_t horz = dc->GetDeviceCaps(HORZRES), vert = dc->GetDeviceCaps(VERTRES),
                      dpiX = dc->GetDeviceCaps(LOGPIXELSX), dpiY = dc->GetDeviceCaps(LOGPIXELSY);
        Colocacion c;
        if (horz < 1 || vert < 1 || dpiX < 1 || dpiY < 1)
            error = 6101;
        else
            error = CalcularColocacion(anchoCm, altoCm, centrar, xCm, yCm, horz, vert, dpiX, dpiY, c);
        if (error) throw error;

        QImage convertida;
        if (modoColor == 1) {
            convertida = ConvertirICC(*imagen, anchoPx, altoPx, nombre, perfilOrigen, perfilImpresora, indiceIntento,
                                      compensarPuntoNegro, msgError);
            if (convertida.isNull()) {
                if (msgError.isEmpty()) msgError = QStringLiteral("No se pudo aplicar la conversion ICC.");
                return -1; // no document was started
            }
        }
        const QImage &enviada = convertida.isNull() ? *imagen : convertida;

        if (!dc->IniciarDocumento(nombreDocumento)) throw int32_t(6105);
        for (int16_t copia = 1; copia <= copias; ++copia) {
            if (!dc->IniciarPagina()) throw int32_t(6106);
            if (!dc->Dibujar(enviada, QRect(0, 0, anchoPx, altoPx), QRect(c.x, c.y, c.ancho, c.alto)))
                throw int32_t(6107);
            if (!dc->TerminarPagina()) throw int32_t(6108);
        }
        if (!dc->TerminarDocumento()) throw int32_t(6109);
        return 1;
    } catch (int32_t codigo) {
        msgError = TextoConMotivo(TextoErrorImpresion(codigo), dc ? dc->Motivo() : QString());
    } catch (const std::bad_alloc &) {
        msgError = TextoErrorImpresion(6103);
    } catch (const std::exception &e) {
        msgError = TextoConMotivo(QStringLiteral("Error inesperado al imprimir."), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        msgError = QStringLiteral("Error inesperado al imprimir.");
    }
    if (dc) dc->AbortarDocumento();
    return -1;
}

} // namespace modImpresion
