#include "imaging/guardar.h"

#include "imaging/apertura.h"
#include "imaging/aplicar.h"
#include "imaging/bloque.h"
#include "imaging/fitrect.h"
#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"
#include "imaging/perfilicc.h"
#include "platform/memoria.h"
#include "platform/msgbox.h"
#include "platform/numbers.h"
#include "platform/progress.h"

#include <FreeImage.h>

namespace modImage {

namespace {

// Releases the bitmap on every way out.
struct Mapa {
    FIBITMAP *dib = nullptr;
    ~Mapa()
    {
        if (dib) FreeImage_Unload(dib);
    }
};

bool Guardar(int fif, FIBITMAP *dib, const QString &ruta, int flags, QString *motivo)
{
    return modFreeImage::GuardarImagen(fif, dib, flags, ruta, motivo);
}

// The full path first; the short form only when it is a different one.
bool GuardarConReintento(int fif, FIBITMAP *dib, const QString &ruta, int flags, QString *motivo)
{
    if (Guardar(fif, dib, ruta, flags, motivo)) return true;
    const QString corta = modFreeImage::RutaCorta(ruta);
    if (corta.isEmpty() || corta == ruta) return false;
    return Guardar(fif, dib, corta, flags, motivo);
}

// What describes the sample goes with its pixels: its resolution, when known,
// and its embedded profile, when that describes RGB data (a CMYK or grey
// profile would lie about the 24-bit pixels written).
struct Descripcion {
    int32_t ppmX = 0, ppmY = 0;
    QByteArray perfil;
};

Descripcion DescripcionMuestra()
{
    Descripcion d;
    if (DpiMuestraX > 0 && DpiMuestraY > 0) {
        d.ppmX = Numeros::CLng(DpiMuestraX / 0.0254);
        d.ppmY = Numeros::CLng(DpiMuestraY / 0.0254);
    }
    d.perfil = modICC::PerfilRGBDeArchivo(RutaICCTemporal);
    return d;
}

void Describir(FIBITMAP *dib, Descripcion &d)
{
    if (d.ppmX > 0 && d.ppmY > 0) {
        FreeImage_SetDotsPerMeterX(dib, static_cast<unsigned>(d.ppmX));
        FreeImage_SetDotsPerMeterY(dib, static_cast<unsigned>(d.ppmY));
    }
    if (!d.perfil.isEmpty()) FreeImage_CreateICCProfile(dib, d.perfil.data(), static_cast<long>(d.perfil.size()));
}

// Why the save cannot have its memory, in the load's words.
QString SinMemoria(int64_t necesita, int64_t disponible)
{
    return modFreeImage::MotivoSinMemoria(AnchoMuestra, AltoMuestra, necesita, disponible, "guardar");
}

} // namespace

int64_t MemoriaGuardado(int fif, int flags, int32_t ancho, int32_t alto)
{
    const int64_t px = int64_t(ancho) * alto, K = 1024;
    const int64_t bitmap = SalidaEnMano(ancho, alto) ? 0 : PasoDeAncho(ancho) * alto;
    int64_t codec = 512 * K; // rows, a strip, the compressor's state
    if (fif == FIF_WEBP)     // measured on noise: the picture's planes, the encoder's own, the file
        codec += (flags & WEBP_LOSSLESS) == WEBP_LOSSLESS ? 40 * px : 24 * px;
    return bitmap + codec;
}

bool GuardarImagenProcesada(const QString &ruta, int fif, int flags, const QString &titulo)
{
    if (!HayMuestra || AnchoMuestra < 1 || AltoMuestra < 1) return false;
    const int64_t paso = PasoMuestra;
    if (paso < 3LL * AnchoMuestra || static_cast<int64_t>(PixelesMuestra.size()) < paso * AltoMuestra)
        return false;

    const int64_t necesita = MemoriaGuardado(fif, flags, AnchoMuestra, AltoMuestra);
    const int64_t disponible = Memoria::Disponible();
    const QString sinReserva = QStringLiteral("Error: no se pudo reservar memoria para guardar.");
    if (disponible >= 0 && necesita > disponible) {
        MsgBox::Mostrar(sinReserva + QStringLiteral("\r\n") + SinMemoria(necesita, disponible), MsgBox::Exclamation, titulo);
        return false;
    }

    // One curve for the whole file, whatever runs while progress is shown.
    modFreeImage::Iniciar();
    const Instantanea curva = TomarInstantanea();
    Descripcion descripcion = DescripcionMuestra();
    GuardaOcupado ocupado;

    ActualizarProgreso(0, QStringLiteral("Aplicando curva a imagen completa..."));
    // The curve is written straight into the library's bitmap: same rows,
    // same stride, its alignment bytes already zero.
    Mapa mapa;
    mapa.dib = BitmapSalida(AnchoMuestra, AltoMuestra).release();
    if (!mapa.dib || static_cast<int64_t>(FreeImage_GetPitch(mapa.dib)) != paso || !FreeImage_GetBits(mapa.dib)) {
        MsgBox::Mostrar(sinReserva + QStringLiteral("\r\n") + SinMemoria(necesita, disponible), MsgBox::Exclamation, titulo);
        return false;
    }
    Describir(mapa.dib, descripcion);
    AplicarCurvaBuffer(curva, PixelesMuestra.data(), FreeImage_GetBits(mapa.dib), AnchoMuestra, AltoMuestra,
                       PasoMuestra, true, 70);
    ActualizarProgreso(75, QStringLiteral("Guardando imagen..."));

    QString motivo;
    const bool ok = GuardarConReintento(fif, mapa.dib, ruta, flags, &motivo);
    FreeImage_Unload(mapa.dib);
    mapa.dib = nullptr;

    if (!ok) {
        MsgBox::Mostrar(QStringLiteral("Error al guardar la imagen en:") + QStringLiteral("\r\n") + ruta +
                            QStringLiteral("\r\n") + motivo,
                        MsgBox::Exclamation, titulo);
        return false;
    }
    ActualizarProgreso(100, QStringLiteral("Guardado."));
    return true;
}

} // namespace modImage
