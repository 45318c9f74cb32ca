#include "imaging/freeimage_io.h"

#include "imaging/detalles.h"
#include "imaging/bmp.h"
#include "imaging/gif.h"
#include "imaging/jpeg.h"
#include "imaging/perfilpng.h"

#include <QFile>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace modFreeImage {

namespace {
// What the codecs said during the current decode.
struct Informe {
    QString mensaje;
    bool danado = false;   // an error, or a warning that means lost data
    bool corta = false;    // a read found the end of the file first
    bool memoria = false;  // a codec ran out of memory
    bool mux = false;      // the WebP plugin could not make its container
};
Informe &Actual()
{
    static Informe i;
    return i;
}

bool Contiene(const QString &t, std::initializer_list<const char *> frases)
{
    for (const char *f : frases)
        if (t.contains(QLatin1String(f), Qt::CaseInsensitive)) return true;
    return false;
}

// Warnings that leave every pixel in place: odd header fields and metadata.
// Any other says data were lost or misread; libjpeg's "extraneous bytes
// before marker" above all, which is how a scan whose data decoded to the
// wrong blocks usually ends.
bool Inofensivo(const QString &t)
{
    return Contiene(t, {"unknown JFIF revision", "Adobe color transform", "thumbnail image size",
                        "Invalid SOS parameters", "bad ICC marker"});
}

// What the codecs say when an allocation failed (libjpeg, the library's own
// plugins, libtiff, libpng).
bool DeMemoria(const QString &t)
{
    return Contiene(t, {"Insufficient memory", "Memory allocation failed", "DIB allocation failed", "Out of memory",
                        "No space for"});
}

void Anotar(const QString &t, bool error)
{
    Informe &i = Actual();
    i.mensaje = t;
    if (error && !Inofensivo(t)) i.danado = true;
    if (DeMemoria(t)) i.memoria = true;
    if (t.contains(QLatin1String("Failed to create mux object"))) i.mux = true;
}

// The image library's plugins speak through here; JPEG passes its warnings
// along the same way, so only the known harmless ones are let through.
void AlMensaje(FREE_IMAGE_FORMAT, const char *msg) { Anotar(QString::fromUtf8(msg ? msg : ""), true); }

// libtiff writes its complaints to stderr unless told otherwise; it is loaded
// with the image library, so its setters are found at run time without
// linking it ourselves. Its warnings are harmless but for the JPEG codec's
// lost data; the library asking libtiff about tags it does not know is no
// error of the file.
using ManejadorTIFF = void (*)(const char *, const char *, va_list);
QString TextoTIFF(const char *modulo, const char *fmt, va_list ap)
{
    char buf[512];
    std::vsnprintf(buf, sizeof buf, fmt ? fmt : "", ap);
    return QString::fromUtf8(modulo ? modulo : "") + QStringLiteral(": ") + QString::fromUtf8(buf);
}
void AlErrorTIFF(const char *modulo, const char *fmt, va_list ap)
{
    Anotar(TextoTIFF(modulo, fmt, ap), !modulo || std::strcmp(modulo, "TIFFFieldWithTag") != 0);
}
void AlAvisoTIFF(const char *modulo, const char *fmt, va_list ap)
{
    const QString t = TextoTIFF(modulo, fmt, ap);
    Anotar(t, Contiene(t, {"Premature end", "Corrupt JPEG data"}));
}
} // namespace

void Iniciar()
{
    static const bool hecho = [] {
        FreeImage_SetOutputMessage(AlMensaje);
        using Fijar = ManejadorTIFF (*)(ManejadorTIFF);
        if (auto f = reinterpret_cast<Fijar>(dlsym(RTLD_DEFAULT, "TIFFSetErrorHandler"))) f(AlErrorTIFF);
        if (auto f = reinterpret_cast<Fijar>(dlsym(RTLD_DEFAULT, "TIFFSetWarningHandler"))) f(AlAvisoTIFF);
        return true;
    }();
    (void)hecho;
}

QString UltimoMensaje() { return Actual().mensaje; }
void LimpiarMensaje() { Actual() = Informe(); }
bool ErrorDeCodec() { return Actual().danado; }
bool LecturaCorta() { return Actual().corta; }
bool FaltoMemoria() { return Actual().memoria; }
bool SinContenedor() { return Actual().mux; }
void AnotarLecturaCorta() { Actual().corta = true; }

bool TamanoAdmisible(int64_t ancho, int64_t alto)
{
    return ancho >= 1 && alto >= 1 && ancho <= kMaxPixeles && alto <= kMaxPixeles &&
           ancho * alto <= kMaxPixeles;
}

QString RutaCorta(const QString &ruta) { return ruta; }

QByteArray Nativa(const QString &ruta) { return QFile::encodeName(ruta); }

FREE_IMAGE_FORMAT Formato(const QString &ruta, const QString &corta)
{
    Iniciar();
    FREE_IMAGE_FORMAT fif = FreeImage_GetFIFFromFilename(Nativa(ruta).constData());
    if (fif == FIF_UNKNOWN && !corta.isEmpty() && corta != ruta)
        fif = FreeImage_GetFIFFromFilename(Nativa(corta).constData());
    return fif;
}

namespace {
// A number the library knows as a format (an enum outside its range is not one).
bool FormatoValido(int formato) { return formato >= 0 && formato < FreeImage_GetFIFCount(); }
} // namespace

QString NombreFormato(int formato)
{
    const char *n = FormatoValido(formato) ? FreeImage_GetFormatFromFIF(static_cast<FREE_IMAGE_FORMAT>(formato)) : nullptr;
    return n ? QString::fromLatin1(n) : QStringLiteral("formato %1").arg(formato);
}

namespace {
Archivos::Flujo &F(fi_handle h) { return *static_cast<Archivos::Flujo *>(h); }

unsigned DLL_CALLCONV LeerIO(void *buf, unsigned tam, unsigned cuenta, fi_handle h)
{
    if (tam == 0 || cuenta == 0) return 0;
    const int64_t pedido = int64_t(tam) * cuenta;
    const int64_t leidos = F(h).Leer(buf, pedido);
    if (leidos < pedido) {
        // Codecs that ignore the count (GIF's block loop) meet zeros, the end
        // of every block, instead of the bytes of their last read.
        std::memset(static_cast<char *>(buf) + leidos, 0, size_t(pedido - leidos));
        Actual().corta = true;
    }
    return static_cast<unsigned>(leidos / tam);
}

unsigned DLL_CALLCONV EscribirIO(void *buf, unsigned tam, unsigned cuenta, fi_handle h)
{
    return F(h).Escribir(buf, int64_t(tam) * cuenta) ? cuenta : 0;
}

int DLL_CALLCONV PosicionarIO(fi_handle h, long desplazamiento, int origen)
{
    return F(h).Posicionar(desplazamiento, origen) ? 0 : -1;
}

long DLL_CALLCONV PosicionIO(fi_handle h) { return static_cast<long>(F(h).Posicion()); }

} // namespace

FreeImageIO IO()
{
    FreeImageIO io;
    io.read_proc = LeerIO;
    io.write_proc = EscribirIO;
    io.seek_proc = PosicionarIO;
    io.tell_proc = PosicionIO;
    return io;
}

bool LeerCabecera(FREE_IMAGE_FORMAT fif, Archivos::Flujo &f, Cabecera &c, bool soloCabecera,
                  const std::function<bool(const Cabecera &)> &antes)
{
    Iniciar();
    c = Cabecera();
    if (!f.Posicionar(0, SEEK_SET)) return false;
    if (fif == FIF_GIF) return CabeceraGIF(f, c, soloCabecera);
    if (fif == FIF_BMP) return CabeceraBMP(f, c);
    if (fif == FIF_JPEG) {
        // The library's header read already decodes a progressive frame:
        // its size and what decoding it holds come from the file first.
        EstructuraJPEG j;
        if (!RecorrerJPEG(f, j) || f.Fallo()) return false;
        c.ancho = j.ancho, c.alto = j.alto, c.bpp = j.componentes == 1 ? 8 : 24, c.tipo = FIT_BITMAP;
        c.componentes = j.componentes, c.coeficientes = j.coeficientes;
        if (antes && !antes(c)) return true;
        if (!f.Posicionar(0, SEEK_SET)) return false;
    }
    if (!FreeImage_FIFSupportsNoPixels(fif)) return false;
    FreeImageIO io = IO();
    c.bmp.reset(FreeImage_LoadFromHandle(fif, &io, &f, FIF_LOAD_NOPIXELS));
    if (!c.bmp) {
        // Out of memory, it may be, while holding the file (WebP) or a
        // progressive frame (JPEG, whose size is known already): the size,
        // from the file itself, still says how much was needed.
        if ((FaltoMemoria() || SinContenedor()) && !f.Fallo() && f.Posicionar(0, SEEK_SET)) {
            if (fif == FIF_WEBP) DetallesWebP(f, c);
        }
        return false;
    }
    c.ancho = FreeImage_GetWidth(c.bmp.get());
    c.alto = FreeImage_GetHeight(c.bmp.get());
    c.bpp = static_cast<int>(FreeImage_GetBPP(c.bmp.get()));
    c.tipo = FreeImage_GetImageType(c.bmp.get());
    if (!f.Posicionar(0, SEEK_SET)) return false;
    switch (fif) {
    case FIF_JPEG: return true; // walked before
    case FIF_TIFF: return DetallesTIFF(f, c) && !f.Fallo();
    case FIF_WEBP: DetallesWebP(f, c); return !f.Fallo();
    case FIF_PNG: modICC::PerfilPNG(f, c.bmp.get()); return !f.Fallo();
    default: return true;
    }
}

bool GuardarImagen(int formato, FIBITMAP *dib, int flags, const QString &ruta, QString *motivo)
{
    Iniciar();
    const QString noPudo = QStringLiteral("FreeImage no pudo escribir el fichero (%1)").arg(NombreFormato(formato));
    if (!FormatoValido(formato) || !FreeImage_FIFSupportsWriting(static_cast<FREE_IMAGE_FORMAT>(formato))) {
        if (motivo) *motivo = noPudo;
        return false;
    }
    const auto fif = static_cast<FREE_IMAGE_FORMAT>(formato);
    return Archivos::EscribirSeguro(
        ruta,
        [&](Archivos::Flujo &f) {
            FreeImageIO io = IO();
            if (!FreeImage_SaveToHandle(fif, dib, &io, &f, flags)) {
                f.Fallar(noPudo);
                return false;
            }
            if (f.Fallo()) return false;
            // The codecs ignore some failures of their own: what they wrote
            // must read back as this image before it replaces anything.
            Cabecera leida;
            const bool bien = f.Tamano() > 0 && f.Posicionar(0, SEEK_SET) &&
                              FreeImage_ValidateFromHandle(fif, &io, &f) && LeerCabecera(fif, f, leida) &&
                              leida.ancho == FreeImage_GetWidth(dib) && leida.alto == FreeImage_GetHeight(dib);
            if (!bien) f.Fallar(QStringLiteral("el fichero escrito no se lee como %1").arg(NombreFormato(fif)));
            return bien;
        },
        motivo);
}

Bitmap A24Bits(Bitmap b)
{
    if (!b) return nullptr;
    if (FreeImage_GetImageType(b.get()) == FIT_BITMAP && FreeImage_GetBPP(b.get()) == 24) return b;
    Bitmap c(FreeImage_ConvertTo24Bits(b.get()));
    if (!c) {
        // 16-bit greyscale (the usual scanner output) has no direct route;
        // its high byte through 8 bits keeps the tones.
        Bitmap ocho(FreeImage_ConvertTo8Bits(b.get()));
        if (ocho) c.reset(FreeImage_ConvertTo24Bits(ocho.get()));
    }
    if (c && (FreeImage_GetBPP(c.get()) != 24 || !TamanoAdmisible(FreeImage_GetWidth(c.get()), FreeImage_GetHeight(c.get()))))
        c.reset();
    return c;
}

void Resolucion(FIBITMAP *b, double &dpiX, double &dpiY)
{
    dpiX = dpiY = 0;
    if (!b) return;
    // The header fields are signed: a negative value is as unknown as 0.
    const int32_t mx = static_cast<int32_t>(FreeImage_GetDotsPerMeterX(b));
    const int32_t my = static_cast<int32_t>(FreeImage_GetDotsPerMeterY(b));
    if (mx > 0 && my > 0) {
        dpiX = mx * 0.0254;
        dpiY = my * 0.0254;
    }
}

} // namespace modFreeImage
