#include "imaging/freeimage_io.h"

#include <QFile>
#include <cstdarg>
#include <cstdio>
#include <dlfcn.h>

namespace modFreeImage {

namespace {
QString &Mensaje()
{
    static QString m;
    return m;
}

void AlMensaje(FREE_IMAGE_FORMAT, const char *msg)
{
    Mensaje() = QString::fromUtf8(msg ? msg : "");
}

// libtiff writes its complaints to stderr unless told otherwise; it is loaded
// with the image library, so its setters are found at run time without
// linking it ourselves.
using ManejadorTIFF = void (*)(const char *, const char *, va_list);
void AlMensajeTIFF(const char *modulo, const char *fmt, va_list ap)
{
    char buf[512];
    std::vsnprintf(buf, sizeof buf, fmt ? fmt : "", ap);
    Mensaje() = QString::fromUtf8(modulo ? modulo : "") + QStringLiteral(": ") + QString::fromUtf8(buf);
}
} // namespace

void Iniciar()
{
    static const bool hecho = [] {
        FreeImage_SetOutputMessage(AlMensaje);
        using Fijar = ManejadorTIFF (*)(ManejadorTIFF);
        for (const char *n : {"TIFFSetErrorHandler", "TIFFSetWarningHandler"}) {
            if (auto f = reinterpret_cast<Fijar>(dlsym(RTLD_DEFAULT, n))) f(AlMensajeTIFF);
        }
        return true;
    }();
    (void)hecho;
}

QString UltimoMensaje() { return Mensaje(); }
void LimpiarMensaje() { Mensaje().clear(); }

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
bool Admisible(FIBITMAP *b)
{
    return b && TamanoAdmisible(FreeImage_GetWidth(b), FreeImage_GetHeight(b));
}

Bitmap SoloCabecera(FREE_IMAGE_FORMAT fif, const QByteArray &ruta)
{
    return Bitmap(FreeImage_Load(fif, ruta.constData(), FIF_LOAD_NOPIXELS));
}
} // namespace

Bitmap Cargar(FREE_IMAGE_FORMAT fif, const QString &ruta)
{
    Iniciar();
    if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(fif)) return nullptr;
    const QByteArray r = Nativa(ruta);
    // A hostile header can declare a size whose decoding would exhaust memory:
    // read it alone first.
    if (FreeImage_FIFSupportsNoPixels(fif)) {
        Bitmap cab = SoloCabecera(fif, r);
        if (!Admisible(cab.get())) return nullptr;
    }
    Bitmap b(FreeImage_Load(fif, r.constData(), 0));
    if (!Admisible(b.get()) || !FreeImage_HasPixels(b.get())) return nullptr;
    return b;
}

Bitmap LeerCabecera(FREE_IMAGE_FORMAT fif, const QString &ruta)
{
    Iniciar();
    if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(fif)) return nullptr;
    const QByteArray r = Nativa(ruta);
    Bitmap b = FreeImage_FIFSupportsNoPixels(fif) ? SoloCabecera(fif, r)
                                                  : Bitmap(FreeImage_Load(fif, r.constData(), 0));
    if (!Admisible(b.get())) return nullptr;
    return b;
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
    if (c && (FreeImage_GetBPP(c.get()) != 24 || !Admisible(c.get()))) c.reset();
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
