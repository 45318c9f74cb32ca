#include "imaging/apertura.h"

#include "imaging/hilos.h"
#include "imaging/lector.h"
#include "imaging/perfilbmp.h"
#include "imaging/perfilpng.h"
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

int64_t MegasArriba(int64_t bytes) { return bytes / (1 << 20) + (bytes % (1 << 20) != 0); }

Apertura DemasiadoGrande(int64_t ancho, int64_t alto, int64_t necesita, int64_t disponible)
{
    QString t = QStringLiteral("Imagen demasiado grande: %1 x %2 px necesitan %3 MB de memoria")
                    .arg(ancho)
                    .arg(alto)
                    .arg(MegasArriba(necesita));
    t += disponible >= 0 ? QStringLiteral(" y hay %1 MB disponibles.").arg(disponible >> 20)
                         : QStringLiteral(" (el máximo es %1 píxeles).").arg(kMaxPixeles);
    Apertura a = Rechazar(Rechazo::DemasiadoGrande, t);
    a.necesita = necesita;
    return a;
}

Apertura SinMemoria(int64_t ancho, int64_t alto, int64_t necesita)
{
    Apertura a = Rechazar(Rechazo::SinMemoria, MotivoSinMemoria(ancho, alto, necesita));
    a.necesita = necesita;
    return a;
}

// The descriptor closes with the opening.
struct Abierto {
    int fd = -1;
    ~Abierto()
    {
        if (fd >= 0) ::close(fd);
    }
};

Apertura Abrir(const QString &ruta, bool soloCabecera)
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

    // The memory is asked before a codec takes any: reading a JPEG's header
    // already decodes a progressive frame, so its size is checked first.
    const int64_t disponible = Memoria::Disponible();
    const auto cabe = [&](const Cabecera &c) {
        return TamanoAdmisible(c.ancho, c.alto) && (disponible < 0 || MemoriaCarga(fif, c, st.st_size) <= disponible);
    };
    Cabecera cab;
    errno = 0;
    if (!LeerCabecera(fif, f, cab, soloCabecera, cabe) || f.Fallo()) {
        if (!cab.noAdmitido.isEmpty() && !f.Fallo()) return Rechazar(Rechazo::FormatoNoAdmitido, cab.noAdmitido);
        // Some codecs hold the whole file, or a whole progressive frame, to
        // read the header. A container the WebP plugin could not make is
        // damage unless the system said memory.
        const bool memoria = FaltoMemoria() || (SinContenedor() && errno == ENOMEM);
        if (!f.Fallo() && memoria && cab.ancho > 0 && cab.alto > 0)
            return SinMemoria(cab.ancho, cab.alto, MemoriaCarga(fif, cab, st.st_size));
        return Danado(f);
    }
    const int64_t ancho = cab.ancho, alto = cab.alto;
    // A frame of no pixels is a damaged file, whatever the format.
    if (ancho < 1 || alto < 1) return Danado(f);
    const int64_t necesita = MemoriaCarga(fif, cab, st.st_size);
    if (!TamanoAdmisible(ancho, alto)) return DemasiadoGrande(ancho, alto, necesita, -1);
    if (soloCabecera && cab.bmp) {
        Apertura a;
        a.bmp = std::move(cab.bmp);
        a.necesita = necesita;
        return a;
    }
    if (disponible >= 0 && necesita > disponible) return DemasiadoGrande(ancho, alto, necesita, disponible);
    cab.bmp.reset();

    Apertura a;
    a.necesita = necesita;
    LimpiarMensaje();
    errno = 0;
    a.bmp = Decodificar(fif, f, cab.piezas);
    const int errorCarga = errno;
    if (f.Fallo()) return Danado(f);
    // The pixels must be those the header announced, all of them, decoded
    // without an error. JPEG reads ahead by blocks, so the end of the file
    // says nothing there: its codec warns when data is missing.
    if (a.bmp && FreeImage_HasPixels(a.bmp.get()) && FreeImage_GetWidth(a.bmp.get()) == ancho &&
        FreeImage_GetHeight(a.bmp.get()) == alto && !ErrorDeCodec() && !(LecturaCorta() && fif != FIF_JPEG)) {
        if (fif == FIF_PNG) modICC::PerfilPNG(f, a.bmp.get());
        if (fif == FIF_BMP) modICC::PerfilBMP(f, a.bmp.get());
        if (!f.Fallo()) return a;
    }
    // Memory that ran out under a limit the estimate cannot see: the system
    // or the codec says so, or the WebP plugin could not make again the
    // container it made for the header.
    if (errorCarga == ENOMEM || FaltoMemoria() || SinContenedor()) return SinMemoria(ancho, alto, necesita);
    return Danado(f);
}

// Figures from header fields of any size: 128-bit, brought back into range.
using Grande = __int128;
int64_t Acotar(Grande v) { return v > Grande(INT64_MAX) ? INT64_MAX : v < 0 ? 0 : int64_t(v); }

} // namespace

bool FormatoAdmitido(FREE_IMAGE_FORMAT fif)
{
    return std::find(std::begin(kAdmitidos), std::end(kAdmitidos), fif) != std::end(kAdmitidos);
}

Apertura AbrirImagen(const QString &ruta) { return Abrir(ruta, false); }

Apertura LeerCabeceraImagen(const QString &ruta) { return Abrir(ruta, true); }

QString MotivoSinMemoria(int64_t ancho, int64_t alto, int64_t necesita, int64_t disponible, const char *accion)
{
    return QStringLiteral("No hay memoria suficiente para %1 la imagen: %2 x %3 px necesitan %4 MB")
               .arg(QLatin1String(accion))
               .arg(ancho)
               .arg(alto)
               .arg(MegasArriba(necesita)) +
           (disponible >= 0 ? QStringLiteral(" y hay %1 MB disponibles.").arg(disponible >> 20) : QStringLiteral("."));
}

int64_t MemoriaCarga(FREE_IMAGE_FORMAT fif, const Cabecera &c, int64_t bytesFichero)
{
    constexpr Grande K = 1024;
    // No header holds more than 32 bits a side or 128 bits a pixel.
    constexpr int64_t kLado = int64_t(1) << 32;
    const Grande w = std::clamp<int64_t>(c.ancho, 0, kLado), h = std::clamp<int64_t>(c.alto, 0, kLado), px = w * h;
    const Grande fila = (w * std::clamp(c.bpp, 1, 128) + 31) / 32 * 4, nativo = fila * h;
    const Grande paso24 = (w * 3 + 3) / 4 * 4, b24 = paso24 * h;
    // What the codec holds beside the bitmap it fills (measured).
    Grande codec = 0;
    switch (fif) {
    case FIF_JPEG: // a row of MCUs; a progressive frame keeps every coefficient
        codec = 16 * w * std::clamp(c.componentes, 1, 4) + 2 * Grande(c.coeficientes) + 64 * K;
        break;
    case FIF_PNG: codec = h * Grande(sizeof(void *)) + 128 * K; break; // row pointers, inflate state
    case FIF_TIFF: codec = Grande(c.bloque) + (c.rasterRGBA ? 4 * px : 0) + 256 * K; break;
    case FIF_WEBP: // the whole file twice (the library's copy and the frame's), then the decoder's
        // planes; alpha adds its plane and the plane its own data decodes to
        codec = 2 * Grande(bytesFichero) + (c.sinPerdida ? 10 * px : 4 * px + px / 2) +
                (c.alfa ? 4 * px : 0) + 256 * w + 64 * K;
        break;
    case FIF_GIF: codec = 4608 * K; break; // the LZW string table
    default: codec = 2 * fila + 64 * K; break;
    }
    const Grande decodificar = nativo + codec;
    // Then the way to 24 bits (bloque.h): none; 16-bit samples straight into
    // our block while the bitmap's bands go back (one band per thread in
    // hand); or the library's conversion beside the bitmap.
    Grande convertir = 0;
    if (c.tipo == FIT_BITMAP && c.bpp == 24)
        convertir = 0;
    else if (c.tipo == FIT_UINT16 || c.tipo == FIT_RGB16 || c.tipo == FIT_RGBA16)
        convertir = std::max(nativo, b24) + 64 * (fila + paso24) * modImage::HilosPara(Acotar(px));
    else if (c.tipo == FIT_BITMAP)
        convertir = nativo + b24;
    return Acotar(std::max(decodificar, convertir));
}

int64_t MemoriaCargaFichero(const QString &ruta)
{
    Apertura a = LeerCabeceraImagen(ruta);
    return a.bmp || a.rechazo == Rechazo::DemasiadoGrande ? a.necesita : -1;
}

} // namespace modFreeImage
