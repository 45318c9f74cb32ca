#include "imaging/guardar.h"

#include "imaging/aplicar.h"
#include "imaging/bloque.h"
#include "imaging/fitrect.h"
#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"
#include "platform/files.h"
#include "platform/msgbox.h"
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

bool Guardar(int fif, FIBITMAP *dib, const QString &ruta, int flags)
{
    return FreeImage_Save(static_cast<FREE_IMAGE_FORMAT>(fif), dib, modFreeImage::Nativa(ruta).constData(),
                          flags) != 0;
}

// The full path first; the short form only when it is a different one.
bool GuardarConReintento(int fif, FIBITMAP *dib, const QString &ruta, int flags)
{
    if (Guardar(fif, dib, ruta, flags)) return true;
    const QString corta = modFreeImage::RutaCorta(ruta);
    if (corta.isEmpty() || corta == ruta) return false;
    return Guardar(fif, dib, corta, flags);
}

} // namespace

bool GuardarImagenProcesada(const QString &ruta, int fif, int flags)
{
    if (!HayMuestra || AnchoMuestra < 1 || AltoMuestra < 1) return false;
    const int64_t paso = PasoMuestra;
    if (paso < 3LL * AnchoMuestra || static_cast<int64_t>(PixelesMuestra.size()) < paso * AltoMuestra)
        return false;

    // One curve for the whole file, whatever runs while progress is shown.
    modFreeImage::Iniciar();
    const Instantanea curva = TomarInstantanea();
    GuardaOcupado ocupado;

    ActualizarProgreso(0, QStringLiteral("Aplicando curva a imagen completa..."));
    // The curve is written straight into the library's bitmap: same rows,
    // same stride, its alignment bytes already zero.
    Mapa mapa;
    mapa.dib = BitmapSalida(AnchoMuestra, AltoMuestra).release();
    if (!mapa.dib || static_cast<int64_t>(FreeImage_GetPitch(mapa.dib)) != paso || !FreeImage_GetBits(mapa.dib)) {
        MsgBox::Mostrar(QStringLiteral("Error: no se pudo reservar memoria para guardar."), MsgBox::Exclamation);
        return false;
    }
    AplicarCurvaBuffer(curva, PixelesMuestra.data(), FreeImage_GetBits(mapa.dib), AnchoMuestra, AltoMuestra,
                       PasoMuestra, true, 70);
    ActualizarProgreso(75, QStringLiteral("Guardando imagen..."));

    Archivos::DestinoSeguro destino(ruta);
    bool ok = destino.Valido() && GuardarConReintento(fif, mapa.dib, destino.RutaTemporal(), flags);
    FreeImage_Unload(mapa.dib);
    mapa.dib = nullptr;
    if (ok) ok = destino.Confirmar();

    if (!ok) {
        MsgBox::Mostrar(QStringLiteral("Error al guardar la imagen en:") + QStringLiteral("\r\n") + ruta,
                        MsgBox::Exclamation);
        return false;
    }
    ActualizarProgreso(100, QStringLiteral("Guardado."));
    return true;
}

} // namespace modImage
