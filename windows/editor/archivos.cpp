// The curve editor's files: the sample image loaded into the preview with
// its information panel, the curve imported from ACV or AMP and exported as
// ACV, the file dialogs that remember their folders, and the progress window.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "app/appstate.h"
#include "app/idioma.h"
#include "app/progreso.h"
#include "curves/archivoscurva.h"
#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "imaging/aplicar.h"
#include "imaging/cargar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/msgbox.h"
#include "platform/progress.h"
#include "windows/editor/conservado.h"
#include "windows/editor/infoimagen.h"

#include <QCheckBox>
#include <QLabel>

#include <exception>

namespace {

// Either file dialog, in the folder remembered under clave when one is given.
QString MostrarDialogo(bool guardar, const QString &titulo, const QList<Dialogos::Filtro> &filtro,
                       const QString &extDef, const QString &nombreDef, const QString &clave, QWidget *owner)
{
    Dialogos::Peticion p;
    p.guardar = guardar;
    p.titulo = titulo;
    p.filtros = filtro;
    p.extensionDefecto = extDef;
    p.nombreArchivo = nombreDef;
    // A name saved without the extension gets it, and an existing file of
    // the new name is asked about before it is replaced.
    if (guardar) modAppState::ForzarExtension(p);
    p.owner = owner;
    return clave.isEmpty() ? Dialogos::Mostrar(p) : modAppState::DialogoConCarpeta(p, clave);
}

} // namespace

// --- progress window ---

void frmEditarAplicarCurva::MostrarProgreso(const QString &mensaje) { frmProgresoCarga::Mostrar(mensaje); }

void frmEditarAplicarCurva::CerrarProgreso() { frmProgresoCarga::Descargar(); }

// --- sample image and curve files ---

QString frmEditarAplicarCurva::DialogoAbrirArchivo(const QString &titulo, const QList<Dialogos::Filtro> &filtro,
                                                   const QString &extDef, const QString &clave)
{
    return MostrarDialogo(false, titulo, filtro, extDef, QString(), clave, this);
}

QString frmEditarAplicarCurva::DialogoGuardarArchivo(const QString &titulo, const QList<Dialogos::Filtro> &filtro,
                                                     const QString &extDef, const QString &nombreDef,
                                                     const QString &clave)
{
    return MostrarDialogo(true, titulo, filtro, extDef, nombreDef, clave, this);
}

void frmEditarAplicarCurva::ActualizarInfoImagen()
{
    const int32_t w = modImage::AnchoMuestra, h = modImage::AltoMuestra;
    const double dx = modImage::DpiX(), dy = modImage::DpiY();
    lblPixels_->setText(InfoImagen::TextoPixeles(w, h));
    lblMedidas_->setText(InfoImagen::TextoMedidas(w, h, dx, dy));
    lblResolucion_->setText(InfoImagen::TextoResolucion(dx, dy));
    lblEspacioColor_->setText(InfoImagen::TextoEspacioColor(modImage::DescripcionPerfilICC()));
}

void frmEditarAplicarCurva::cmdCargarImagenAProcesar_Click()
{
    if (GuardaOcupado::Activo()) return;
    const QString ruta = DialogoAbrirArchivo(
        T(QStringLiteral("Seleccionar imagen de muestra"), QStringLiteral("Select sample image")),
        {{QStringLiteral("Imagenes (*.bmp;*.jpg;*.jpeg;*.png;*.tif)"),
          QStringLiteral("*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff")},
         {QStringLiteral("Todos (*.*)"), QStringLiteral("*.*")}},
        QStringLiteral("jpg"), QStringLiteral("Imagen"));
    if (ruta.isEmpty()) return;

    bool cargada = false;
    try {
        GuardaOcupado ocupado;
        modImage::LeerInfoImagen(ruta);
        MostrarProgreso(T(QStringLiteral("Cargando imagen de muestra..."), QStringLiteral("Loading sample image...")));
        cargada = modImage::CargarMuestra(ruta, picMuestra_);
        // Path and panel describe the file only once its pixels are in: a
        // failed load leaves the earlier sample described and shown.
        if (cargada) {
            lblFichImag_->setText(ruta);
            lblFichImag_->setToolTip(ruta);
            ActualizarInfoImagen();
        }
        modImage::ConstruirVistaPrevia(picMuestra_);
        modImage::CalcularHistogramasVista();
        CerrarProgreso();
    } catch (const std::exception &e) {
        CerrarProgreso();
        MsgBox::Mostrar(T(QStringLiteral("Error al cargar la imagen: "), QStringLiteral("Error loading image: ")) +
                            QString::fromLocal8Bit(e.what()),
                        MsgBox::Exclamation, QString(), this);
        return;
    }

    if (cargada && modImage::DescripcionPerfilOrigen() == QStringLiteral("CMYK")) {
        const QString dos = QStringLiteral("\r\n\r\n");
        MsgBox::Mostrar(
            T(QStringLiteral("La imagen cargada es CMYK."), QStringLiteral("The loaded image is CMYK.")) + dos +
                T(QStringLiteral("Se ha convertido automáticamente a RGB para poder editarla y previsualizarla."),
                  QStringLiteral("It was converted automatically to RGB so it can be edited and previewed.")) +
                dos +
                T(QStringLiteral("El archivo guardado también se guardará en RGB."),
                  QStringLiteral("The saved file will also be stored as RGB.")),
            MsgBox::Information, T(QStringLiteral("Conversión CMYK a RGB"), QStringLiteral("CMYK to RGB conversion")),
            this);
    }
    RefrescarVistaPrevia();
    RedibujarCurvaEHistograma();
}

void frmEditarAplicarCurva::cmdImportACV_Click()
{
    using namespace modEngine;
    if (GuardaOcupado::Activo()) return;
    const QString ruta = DialogoAbrirArchivo(QStringLiteral("Importar curva"),
                                             {{QStringLiteral("Curvas Photoshop (*.acv;*.amp)"), QStringLiteral("*.acv;*.amp")},
                                              {QStringLiteral("Todos (*.*)"), QStringLiteral("*.*")}},
                                             QStringLiteral("acv"), QStringLiteral("Curva"));
    if (ruta.isEmpty()) return;

    GuardarDeshacer();
    const bool ok = RutasCurva::EsAMP(ruta) ? ImportarCurvaAMP(ruta) : ImportarCurvaACV(ruta);
    if (!ok) {
        // The importer has reported and put the curve back as it was.
        ActualizarBotonDeshacer();
        return;
    }
    AgregarHistorial(QStringLiteral("Import Curva"));
    ActualizarBotonDeshacer();

    Conservado &k = Conservado::Instancia();
    k.TomarCurvaDeMaestra();
    mCurvaRecibida = true;
    if (chkNegar_->checkState() == Qt::Checked) {
        k.NegarCurva();
        k.PonerCurvaEnMaestra();
    }

    ComponerLUTs();
    MostrarEstadoMotor();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::cmdExportACV_Click()
{
    if (GuardaOcupado::Activo()) return;
    if (!HayCurvaParaGrabar()) {
        MsgBox::Mostrar(QStringLiteral("No hay una curva generada, cargada o editada para grabar."), MsgBox::Information,
                        QString(), this);
        ActualizarBotonExportar();
        return;
    }
    QString ruta = DialogoGuardarArchivo(QStringLiteral("Exportar curva ACV"),
                                         {{QStringLiteral("Curves Photoshop (*.acv)"), QStringLiteral("*.acv")}},
                                         QStringLiteral("acv"), QStringLiteral("Curva_Generada"), QStringLiteral("Curva"));
    if (ruta.isEmpty()) return;
    ruta = RutasCurva::ConExtensionACV(ruta);
    // The writer reports its own failure and leaves an old file whole.
    if (!modEngine::ExportarCurvaACV(ruta)) return;
    MsgBox::Mostrar(QStringLiteral("Curva exportada a:\r\n") + ruta, MsgBox::Information, QString(), this);
}
