#include "output/impresion.h"

#include "output/configimpresion.h"
#include "output/conversionicc.h"
#include "output/cups.h"
#include "output/dcimpresora.h"
#include "platform/numbers.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
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

namespace {

ResultadoImpresion Fallo(const QString &motivo) { return {.motivo = motivo}; }

// Why the picture would not come out whole on the sheet the printer will
// print on ("" when it would): the set-up measured it against its own paper.
QString FueraDeLaHoja(const PeticionImpresion &p, const QPrinter &printer)
{
    const QPageLayout hoja = printer.pageLayout();
    const QRectF mm = hoja.fullRect(QPageLayout::Millimeter);
    return ConfigImpresion::TextoFueraDelPapel({p.anchoCm, p.altoCm, p.centrado, p.xCm, p.yCm},
                                               {mm.width() / 10, mm.height() / 10}, hoja.pageSize().name(),
                                               hoja.orientation() == QPageLayout::Landscape);
}

// The job once the request's own values were checked.
ResultadoImpresion Trabajo(const PeticionImpresion &p, const QString &nombre, int copias)
{
    const std::unique_ptr<DCImpresora> dc = CrearDCImpresora(nombre); // released on every way out
    if (!dc)
        return Fallo(TextoConMotivo(QStringLiteral("No se pudo crear el contexto de impresion."),
                                    ColaCUPS::MotivoCola(nombre)));
    if (p.modoColor == 1 || p.modoColor == 2) dc->DesactivarICM();
    // A step's text with the system's reason; the context's end on the way
    // out drops a document begun.
    const auto falla = [&dc](int32_t codigo) { return Fallo(TextoConMotivo(TextoErrorImpresion(codigo), dc->Motivo())); };

    const int32_t horz = dc->GetDeviceCaps(HORZRES), vert = dc->GetDeviceCaps(VERTRES),
                  dpiX = dc->GetDeviceCaps(LOGPIXELSX), dpiY = dc->GetDeviceCaps(LOGPIXELSY);
    if (horz < 1 || vert < 1 || dpiX < 1 || dpiY < 1) return falla(6101);
    Colocacion c;
    if (const int32_t error = CalcularColocacion(p.anchoCm, p.altoCm, p.centrado, p.xCm, p.yCm, horz, vert, dpiX, dpiY, c))
        return falla(error);
    // Nothing goes out that the sheet would cut.
    if (const QString fuera = FueraDeLaHoja(p, dc->Printer()); !fuera.isEmpty()) return Fallo(fuera);

    QImage convertida;
    if (p.modoColor == 1) {
        QString msg;
        convertida = ConvertirICC(*p.imagen, p.anchoPx, p.altoPx, nombre, p.perfilOrigen, p.perfilImpresora,
                                  p.indiceIntento, p.compensarPuntoNegro, msg);
        // No document was started.
        if (convertida.isNull()) return Fallo(msg.isEmpty() ? QStringLiteral("No se pudo aplicar la conversion ICC.") : msg);
    }
    const QImage &enviada = convertida.isNull() ? *p.imagen : convertida;

    if (!dc->IniciarDocumento(p.nombreDocumento)) return falla(6105);
    for (int copia = 1; copia <= copias; ++copia) {
        if (!dc->IniciarPagina()) return falla(6106);
        if (!dc->Dibujar(enviada, QRect(0, 0, p.anchoPx, p.altoPx), QRect(c.x, c.y, c.ancho, c.alto))) return falla(6107);
        if (!dc->TerminarPagina()) return falla(6108);
    }
    if (!dc->TerminarDocumento()) return falla(6109);
    return {1, QString()};
}

} // namespace

ResultadoImpresion Imprimir(const PeticionImpresion &p)
{
    const QString nombre = p.impresora.trimmed();
    if (nombre.isEmpty()) return Fallo(QStringLiteral("No hay impresora seleccionada."));
    const QImage *imagen = p.imagen;
    if (!imagen) return Fallo(QStringLiteral("No hay imagen disponible para imprimir."));
    if (imagen->isNull() || p.anchoPx < 1 || p.altoPx < 1 || p.anchoPx > imagen->width() || p.altoPx > imagen->height())
        return Fallo(QStringLiteral("La imagen tiene dimensiones invalidas."));
    // Anything unforeseen inside is a failure with a text too; the device
    // context's end drops a document begun.
    try {
        return Trabajo(p, nombre, std::max(p.copias, 1));
    } catch (const std::bad_alloc &) {
        return Fallo(TextoErrorImpresion(6103));
    } catch (const std::exception &e) {
        return Fallo(TextoConMotivo(QStringLiteral("Error inesperado al imprimir."), QString::fromLocal8Bit(e.what())));
    } catch (...) {
        return Fallo(QStringLiteral("Error inesperado al imprimir."));
    }
}

} // namespace modImpresion
