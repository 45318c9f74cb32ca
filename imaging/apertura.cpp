#include "imaging/apertura.h"

#include "imaging/modimage.h"
#include "platform/memoria.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace modFreeImage {

namespace {

constexpr FREE_IMAGE_FORMAT kAdmitidos[] = {FIF_BMP, FIF_JPEG, FIF_PNG, FIF_TIFF, FIF_GIF, FIF_WEBP};

Apertura Rechazar(Rechazo r, const QString &motivo)
{
    Apertura a;
    a.rechazo = r;
    a.motivo = motivo;
    return a;
}

Apertura NoLegible(int error)
{
    return Rechazar(Rechazo::NoLegible, QStringLiteral("No se puede leer el fichero: ") + Archivos::MotivoSistema(error));
}

Apertura NoEsFichero(mode_t modo)
{
    return Rechazar(Rechazo::NoEsFichero,
                    S_ISDIR(modo) ? QStringLiteral("Es una carpeta, no un fichero.")
                                  : QStringLiteral("No es un fichero normal: es un dispositivo, una tubería o un socket."));
}

Apertura Danado(const Archivos::Flujo &f)
{
    // A read that failed is not the file's fault; a seek before its start is.
    if (f.Fallo() && f.Error() != EINVAL) return Rechazar(Rechazo::NoLegible, QStringLiteral("No se puede leer el fichero: ") + f.Motivo());
    return Rechazar(Rechazo::Danado, QStringLiteral("No es una imagen o está dañada."));
}

int64_t MegasArriba(int64_t bytes) { return (bytes + (1 << 20) - 1) >> 20; }

Apertura DemasiadoGrande(int64_t ancho, int64_t alto, int64_t necesita, int64_t disponible)
{
    QString t = QStringLiteral("Imagen demasiado grande: %1 x %2 px necesitan %3 MB de memoria")
                    .arg(ancho)
                    .arg(alto)
                    .arg(MegasArriba(necesita));
    t += disponible >= 0 ? QStringLiteral(" y hay %1 MB disponibles.").arg(disponible >> 20)
                         : QStringLiteral(" (el máximo es %1 píxeles).").arg(kMaxPixeles);
    return Rechazar(Rechazo::DemasiadoGrande, t);
}

// The descriptor closes with the opening.
struct Abierto {
    int fd = -1;
    ~Abierto()
    {
        if (fd >= 0) ::close(fd);
    }
};

Apertura Abrir(const QString &ruta, int copias, bool soloCabecera)
{
    Iniciar();
    LimpiarMensaje();
    const QByteArray nativa = Nativa(ruta);
    struct stat st;
    if (::stat(nativa.constData(), &st) != 0) return NoLegible(errno);
    if (!S_ISREG(st.st_mode)) return NoEsFichero(st.st_mode);
    const FREE_IMAGE_FORMAT porNombre = Formato(ruta, RutaCorta(ruta));
    if (porNombre == FIF_UNKNOWN) return Rechazar(Rechazo::FormatoDesconocido, QStringLiteral("Formato no reconocido"));

    // Non-blocking, so that whatever replaced the file since stat cannot
    // hold the open; checked again on the descriptor.
    Abierto abierto;
    abierto.fd = ::open(nativa.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (abierto.fd < 0) return NoLegible(errno);
    if (::fstat(abierto.fd, &st) != 0) return NoLegible(errno);
    if (!S_ISREG(st.st_mode)) return NoEsFichero(st.st_mode);
    ::fcntl(abierto.fd, F_SETFL, ::fcntl(abierto.fd, F_GETFL) & ~O_NONBLOCK);

    Archivos::Flujo f(abierto.fd);
    FreeImageIO io = IO();
    // The content decides which codec runs, and only an admitted one does.
    FREE_IMAGE_FORMAT fif = FIF_UNKNOWN;
    for (FREE_IMAGE_FORMAT c : kAdmitidos) {
        if (f.Posicionar(0, SEEK_SET) && FreeImage_ValidateFromHandle(c, &io, &f)) {
            fif = c;
            break;
        }
    }
    if (fif == FIF_UNKNOWN) {
        if (f.Fallo() || FormatoAdmitido(porNombre)) return Danado(f);
        return Rechazar(Rechazo::FormatoNoAdmitido,
                        QStringLiteral("Formato no admitido: %1. Se pueden abrir BMP, JPEG, PNG, TIFF, GIF y WebP.")
                            .arg(NombreFormato(porNombre)));
    }

    Cabecera cab;
    if (!LeerCabecera(fif, f, cab)) return Danado(f);
    const int64_t ancho = cab.ancho, alto = cab.alto;
    const int64_t necesita = MemoriaCarga(fif, ancho, alto, cab.bpp, cab.tipo == FIT_BITMAP && cab.bpp == 24, copias);
    if (!TamanoAdmisible(ancho, alto)) return DemasiadoGrande(ancho, alto, necesita, -1);
    if (soloCabecera && cab.bmp) {
        Apertura a;
        a.bmp = std::move(cab.bmp);
        return a;
    }
    const int64_t disponible = Memoria::Disponible();
    if (disponible >= 0 && necesita > disponible) return DemasiadoGrande(ancho, alto, necesita, disponible);
    cab.bmp.reset();

    Apertura a;
    if (f.Posicionar(0, SEEK_SET)) a.bmp.reset(FreeImage_LoadFromHandle(fif, &io, &f, 0));
    // The pixels must be those the header announced.
    if (!a.bmp || !FreeImage_HasPixels(a.bmp.get()) || FreeImage_GetWidth(a.bmp.get()) != ancho ||
        FreeImage_GetHeight(a.bmp.get()) != alto)
        return Danado(f);
    return a;
}

} // namespace

bool FormatoAdmitido(FREE_IMAGE_FORMAT fif)
{
    return std::find(std::begin(kAdmitidos), std::end(kAdmitidos), fif) != std::end(kAdmitidos);
}

Apertura AbrirImagen(const QString &ruta, int copias) { return Abrir(ruta, copias, false); }

Apertura LeerCabeceraImagen(const QString &ruta) { return Abrir(ruta, 0, true); }

int64_t MemoriaCarga(FREE_IMAGE_FORMAT fif, int64_t ancho, int64_t alto, int bpp, bool es24, int copias)
{
    const int64_t px = ancho * alto;
    const int64_t nativo = (ancho * bpp + 31) / 32 * 4 * alto;
    const int64_t b24 = modImage::PasoDeAncho(ancho) * alto;
    int64_t codec = 0;
    switch (fif) {
    case FIF_JPEG: codec = px * 2 * std::max(1, bpp / 8); break;
    case FIF_TIFF:
    case FIF_WEBP: codec = px * 4; break;
    case FIF_PNG: codec = alto * int64_t(sizeof(void *)); break; // row pointers
    default: break;
    }
    const int64_t decodificar = nativo + codec;
    // 16-bit grey reaches 24 bits through an 8-bit copy.
    const int64_t convertir = es24 ? nativo : nativo + b24 + (bpp == 16 ? px : 0);
    // The kept 24-bit buffers (the decoded bitmap itself, or the conversion).
    const int64_t guardar = copias > 0 ? b24 * copias : 0;
    return std::max({decodificar, convertir, guardar});
}

} // namespace modFreeImage
