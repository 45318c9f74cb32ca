// The editor's Print: the sample at full resolution with exactly what a save
// would write (curve, inversion, flip), through a temporary bitmap, the print
// set-up and the print request with the sample's own colour profile.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "app/idioma.h"
#include "imaging/cargar.h"
#include "imaging/guardar.h"
#include "imaging/modimage.h"
#include "output/impresion.h"
#include "output/peticionimpresion.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/progress.h"
#include "windows/envioimpresion.h"

#include <QImageReader>

#include <exception>

namespace {

const QString kTitulo = QStringLiteral("Imprimir");

// The temporary bitmap: a new file of our own, gone on every way out.
class BmpTemporal {
public:
    BmpTemporal() : ruta_(Archivos::CrearTemporal(QStringLiteral("zolv_print_tmp_"), QStringLiteral(".bmp"))) {}
    ~BmpTemporal() { Borrar(); }
    BmpTemporal(const BmpTemporal &) = delete;
    BmpTemporal &operator=(const BmpTemporal &) = delete;
    const QString &Ruta() const { return ruta_; }
    void Borrar()
    {
        if (!ruta_.isEmpty()) Archivos::Borrar(ruta_);
        ruta_.clear();
    }

private:
    QString ruta_;
};

// The bitmap read back whatever its size (Qt's reader refuses large images
// by default); null with the reader's reason in error.
QImage LeerBmp(const QString &ruta, QString &error)
{
    const int limite = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(0);
    QImageReader lector(ruta, "bmp");
    const QImage img = lector.read();
    QImageReader::setAllocationLimit(limite);
    if (img.isNull()) error = lector.errorString();
    return img;
}

} // namespace

void frmEditarAplicarCurva::ImprimirImagenProcesada()
{
    if (GuardaOcupado::Activo()) return;
    const auto aviso = [this](const QString &texto, int icono) { MsgBox::Mostrar(texto, icono, kTitulo, this); };
    if (!modImage::HayMuestra) {
        aviso(QStringLiteral("No hay imagen de muestra cargada."), MsgBox::Information);
        return;
    }
    if (!mVerCurvaAplicada) {
        aviso(QStringLiteral("Cambia la vista a 'Curva aplicada' antes de imprimir."), MsgBox::Information);
        return;
    }
    if (EsCurvaIdentidad() && !HayInversionActiva()) {
        aviso(QStringLiteral("La curva activa es identidad (sin cambios). Ajusta la curva antes de imprimir."),
              MsgBox::Information);
        return;
    }
    SincronizarOpcionesInversion();
    const int32_t ancho = modImage::AnchoMuestra, alto = modImage::AltoMuestra;
    if (ancho < 1 || alto < 1) {
        aviso(QStringLiteral("Las dimensiones de la imagen no son validas."), MsgBox::Critical);
        return;
    }

    // Nothing may change the sample or the curve until the print is sent.
    const GuardaOcupado ocupado;
    BmpTemporal temporal;
    if (temporal.Ruta().isEmpty()) {
        aviso(QStringLiteral("Error al aplicar la curva: no se pudo crear un fichero temporal en ") +
                  Archivos::CarpetaTemporal(),
              MsgBox::Critical);
        return;
    }
    // The picture as a save would write it, read back from the bitmap.
    QImage imagen;
    // Which step a failure belongs to, for its message.
    QString paso = QStringLiteral("Error al aplicar la curva: ");
    try {
        MostrarProgreso(QStringLiteral("Aplicando curva a imagen completa..."));
        // The same writer as Save: BMP, no flags. It reports its own failures,
        // under this command's title.
        const bool ok = modImage::GuardarImagenProcesada(temporal.Ruta(), 0, 0, kTitulo);
        CerrarProgreso();
        if (!ok) return;

        paso = QStringLiteral("Error al cargar imagen temporal: ");
        QString motivo;
        imagen = LeerBmp(temporal.Ruta(), motivo);
        if (imagen.isNull()) {
            aviso(paso + motivo, MsgBox::Critical);
            return;
        }
    } catch (const std::exception &e) {
        CerrarProgreso();
        aviso(paso + QString::fromLocal8Bit(e.what()), MsgBox::Critical);
        return;
    }

    PeticionImpresion p;
    if (!PedirConfiguracionImpresion(this, 19.0, static_cast<double>(alto) / ancho, modImage::DescripcionPerfilICC(),
                                     &imagen, p))
        return;
    p.imagen = &imagen;
    p.anchoPx = ancho;
    p.altoPx = alto;
    p.propietario = this;
    p.nombreDocumento = T(QStringLiteral("Imagen procesada"), QStringLiteral("Processed image"));
    p.perfilOrigen = modImage::RutaPerfilICCTemp();
    const modImpresion::ResultadoImpresion r = modImpresion::Imprimir(p);
    // Gone before the user reads the outcome.
    temporal.Borrar();
    EnvioImpresion::Informar(r, EnvioImpresion::TextoImagenEnviada(p.anchoCm, p.altoCm, p.centrado), this);
}
