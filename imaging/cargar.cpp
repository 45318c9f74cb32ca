#include "imaging/cargar.h"

#include "imaging/apertura.h"
#include "imaging/bloque.h"
#include "imaging/fitrect.h"
#include "imaging/perfilicc.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/picturebox.h"

#include <QColor>
#include <functional>

namespace modImage {

namespace {

// A view made in memory from a buffer, with the last fitted picture kept so
// that repaints at the same box size cost nothing.
struct Vista {
    bool hay = false;
    uint64_t generacion = 0;
    uint64_t generacionCache = 0;
    QImage cache;
};
Vista vistaEscaneo, vistaMuestra;

// What LeerInfoImagen replaced, so that the next sample load can undo it.
struct InfoAnterior {
    bool hay = false;
    int32_t ancho = 0, alto = 0;
    QString desc, descOrigen, rutaICC;
    double dpiX = 0, dpiY = 0;
};
InfoAnterior infoAnterior;

// Why a file was not loaded: the heading, the file, and the reason.
void Aviso(const char *cabecera, const QString &ruta, const QString &motivo)
{
    MsgBox::Mostrar(QString::fromUtf8(cabecera) + QStringLiteral(": ") + ruta +
                        (motivo.isEmpty() ? QString() : QStringLiteral("\r\n") + motivo),
                    MsgBox::Exclamation);
}

QString SinConversion() { return QStringLiteral("Sus píxeles no se pueden pasar a 24 bits."); }

// Deletes a temporary file we made, unless it is the one we keep.
void BorrarSalvo(const QString &ruta, const QString &guardada)
{
    if (!ruta.isEmpty() && ruta != guardada) Archivos::Borrar(ruta);
}

void Pintar(Superficie &s, Vista &v, const Bloque &px, int32_t ancho, int32_t alto, int32_t paso)
{
    if (!v.hay || s.Vacia()) return;
    int32_t l, t, w, h;
    CalcularRectanguloAjustado(s.ScaleWidth(), s.ScaleHeight(), ancho, alto, l, t, w, h);
    if (w > 0 && h > 0 &&
        (v.cache.isNull() || v.generacionCache != v.generacion || v.cache.width() != w ||
         v.cache.height() != h)) {
        v.cache = ImagenAjustada(px.data(), px.size(), ancho, alto, paso, w, h);
        v.generacionCache = v.generacion;
        // A view that cannot be made leaves the box as it was.
        if (v.cache.isNull()) return;
    }
    s.Imagen().fill(QColor(Qt::black));
    if (w > 0 && h > 0) s.DibujarImagen(l, t, w, h, v.cache);
}

void NuevaVista(Vista &v)
{
    v.hay = true;
    ++v.generacion;
    v.cache = QImage();
}

void RestaurarInfoAnterior()
{
    if (!infoAnterior.hay) return;
    BorrarSalvo(RutaICCTemporal, infoAnterior.rutaICC);
    AnchoMuestra = infoAnterior.ancho;
    AltoMuestra = infoAnterior.alto;
    DescPerfilICC = infoAnterior.desc;
    DescPerfilOrigen = infoAnterior.descOrigen;
    RutaICCTemporal = infoAnterior.rutaICC;
    DpiMuestraX = infoAnterior.dpiX;
    DpiMuestraY = infoAnterior.dpiY;
    infoAnterior = InfoAnterior();
}

// Opens an image file, or says why not (one box) and gives no bitmap.
modFreeImage::Apertura AbrirImagen(const QString &ruta, const char *errorCarga)
{
    modFreeImage::Apertura a = modFreeImage::AbrirImagen(ruta);
    if (a.rechazo == modFreeImage::Rechazo::FormatoDesconocido)
        Aviso("Formato no reconocido", ruta, QString());
    else if (!a.bmp)
        Aviso(errorCarga, ruta, a.motivo);
    return a;
}

// The decoded image as the 24-bit block, or the box that says why not: no
// route to 24 bits, or no memory for it.
bool A24(modFreeImage::Apertura &a, Bloque &nuevo, int32_t &paso, const QString &ruta, const char *errorCarga,
         const char *errorConvertir, const std::function<void()> &antes = nullptr)
{
    const int64_t ancho = FreeImage_GetWidth(a.bmp.get()), alto = FreeImage_GetHeight(a.bmp.get());
    bool sinMemoria = false;
    if (Bloque24Bits(std::move(a.bmp), nuevo, paso, &sinMemoria)) return true;
    if (antes) antes();
    if (sinMemoria)
        Aviso(errorCarga, ruta, modFreeImage::MotivoSinMemoria(ancho, alto, a.necesita));
    else
        Aviso(errorConvertir, ruta, SinConversion());
    return false;
}

} // namespace

bool CargarImagenEscaneo(const QString &ruta, PictureBox *pic)
{
    modFreeImage::Apertura a = AbrirImagen(ruta, "Error al cargar");
    if (!a.bmp) return false;
    const int32_t ancho = static_cast<int32_t>(FreeImage_GetWidth(a.bmp.get()));
    const int32_t alto = static_cast<int32_t>(FreeImage_GetHeight(a.bmp.get()));
    Bloque nuevo;
    int32_t paso = 0;
    if (!A24(a, nuevo, paso, ruta, "Error al cargar", "Error al convertir")) return false;
    ActualizarProgreso(10, QStringLiteral("Cargando imagen..."));
    ActualizarProgreso(40, QStringLiteral("Mostrando imagen..."));
    AnchoEscaneo = ancho;
    AltoEscaneo = alto;
    PasoEscaneo = paso;
    PixelesEscaneo = std::move(nuevo);
    HayEscaneo = true;
    MostrarEscaneoEnPicture(pic);
    ActualizarProgreso(70, QStringLiteral("Preparando..."));
    ActualizarProgreso(100, QStringLiteral("Listo."));
    return true;
}

void LeerInfoImagen(const QString &ruta)
{
    // The header is enough for size, profile and resolution.
    modFreeImage::Bitmap bmp = modFreeImage::LeerCabeceraImagen(ruta).bmp;
    if (!bmp) return;
    if (!infoAnterior.hay) {
        infoAnterior.hay = true;
        infoAnterior.ancho = AnchoMuestra;
        infoAnterior.alto = AltoMuestra;
        infoAnterior.desc = DescPerfilICC;
        infoAnterior.descOrigen = DescPerfilOrigen;
        infoAnterior.rutaICC = RutaICCTemporal;
        infoAnterior.dpiX = DpiMuestraX;
        infoAnterior.dpiY = DpiMuestraY;
    } else {
        // A second read before any load: its predecessor's copy is ours alone.
        BorrarSalvo(RutaICCTemporal, infoAnterior.rutaICC);
    }
    AnchoMuestra = static_cast<int32_t>(FreeImage_GetWidth(bmp.get()));
    AltoMuestra = static_cast<int32_t>(FreeImage_GetHeight(bmp.get()));
    DescPerfilICC = modICC::DescripcionPerfilEmbebido(bmp.get());
    DescPerfilOrigen = DescPerfilICC;
    RutaICCTemporal = modICC::GuardarPerfilEmbebidoTemp(bmp.get());
    modFreeImage::Resolucion(bmp.get(), DpiMuestraX, DpiMuestraY);
}

bool CargarMuestra(const QString &ruta, PictureBox *pic)
{
    // Start from the sample as it stood before any information read, so the
    // state stays consistent during the progress yields and after a failure.
    RestaurarInfoAnterior();
    SoltarSalida();
    modFreeImage::Apertura a = AbrirImagen(ruta, "Error al cargar la muestra");
    if (!a.bmp) return false;
    const QString desc = modICC::DescripcionPerfilEmbebido(a.bmp.get());
    QString copia = modICC::GuardarPerfilEmbebidoTemp(a.bmp.get());
    // The conversion to 24 bits keeps size and resolution.
    const int32_t ancho = static_cast<int32_t>(FreeImage_GetWidth(a.bmp.get()));
    const int32_t alto = static_cast<int32_t>(FreeImage_GetHeight(a.bmp.get()));
    double dpiX = 0, dpiY = 0;
    modFreeImage::Resolucion(a.bmp.get(), dpiX, dpiY);
    Bloque nuevo;
    int32_t paso = 0;
    if (!A24(a, nuevo, paso, ruta, "Error al cargar la muestra", "Error al convertir la muestra",
             [&copia] { BorrarSalvo(copia, RutaICCTemporal); }))
        return false;
    ActualizarProgreso(10, QStringLiteral("Cargando imagen de muestra..."));
    ActualizarProgreso(30, QStringLiteral("Preparando..."));

    AnchoMuestra = ancho;
    AltoMuestra = alto;
    PasoMuestra = paso;
    RutaMuestra = ruta;
    // Neither buffer is ever written: both are views of the one block.
    PixelesMuestraOriginal = nuevo;
    PixelesMuestra = std::move(nuevo);
    DescPerfilICC = desc;
    DescPerfilOrigen = desc;
    BorrarSalvo(RutaICCTemporal, copia);
    RutaICCTemporal = copia;
    DpiMuestraX = dpiX;
    DpiMuestraY = dpiY;
    ActualizarProgreso(50, QStringLiteral("Mostrando imagen..."));
    HayMuestra = true;
    MostrarMuestraEnPicture(pic);
    ActualizarProgreso(100, QStringLiteral("Listo."));
    return true;
}

void MostrarEscaneoEnPicture(PictureBox *pic)
{
    if (!HayEscaneo) return;
    NuevaVista(vistaEscaneo);
    PintarEscaneo(pic);
}

void MostrarMuestraEnPicture(PictureBox *pic)
{
    if (!HayMuestra) return;
    NuevaVista(vistaMuestra);
    PintarMuestra(pic);
}

void PintarEscaneo(Superficie &s)
{
    Pintar(s, vistaEscaneo, PixelesEscaneo, AnchoEscaneo, AltoEscaneo, PasoEscaneo);
}

void PintarMuestra(Superficie &s)
{
    Pintar(s, vistaMuestra, PixelesMuestraOriginal, AnchoMuestra, AltoMuestra, PasoMuestra);
}

void PintarEscaneo(PictureBox *pic)
{
    if (!pic) return;
    PintarEscaneo(pic->S());
    pic->Refresh();
}

void PintarMuestra(PictureBox *pic)
{
    if (!pic) return;
    PintarMuestra(pic->S());
    pic->Refresh();
}

void RectanguloVistaEscaneo(int32_t anchoCaja, int32_t altoCaja, int32_t &izquierda, int32_t &arriba,
                            int32_t &ancho, int32_t &alto)
{
    CalcularRectanguloAjustado(anchoCaja, altoCaja, AnchoEscaneo, AltoEscaneo, izquierda, arriba, ancho,
                               alto);
}

QString DescripcionPerfilICC() { return DescPerfilICC; }
QString DescripcionPerfilOrigen() { return DescPerfilOrigen; }
QString RutaPerfilICCTemp() { return RutaICCTemporal; }
double DpiX() { return DpiMuestraX; }
double DpiY() { return DpiMuestraY; }

void BorrarPerfilICCTemporal()
{
    if (RutaICCTemporal.isEmpty()) return;
    Archivos::Borrar(RutaICCTemporal);
    RutaICCTemporal.clear();
}

} // namespace modImage
