#include "imaging/freeimage_io.h"

#include <QFile>
#include <algorithm>
#include <vector>
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

// Warnings that leave every pixel in place: odd markers and metadata.
bool Inofensivo(const QString &t)
{
    return Contiene(t, {"extraneous bytes before marker", "unknown JFIF revision", "Adobe color transform",
                        "thumbnail image size", "Invalid SOS parameters", "bad ICC marker"});
}

void Anotar(const QString &t, bool error)
{
    Informe &i = Actual();
    i.mensaje = t;
    if (error && !Inofensivo(t)) i.danado = true;
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

uint32_t U16(const uint8_t *p) { return p[0] | uint32_t(p[1]) << 8; }

// GIF: header, logical screen, global colour table, then extension blocks
// up to the first image descriptor, whose size the codec allocates.
bool CabeceraGIF(Archivos::Flujo &f, uint32_t &ancho, uint32_t &alto)
{
    uint8_t b[13];
    if (f.Leer(b, 13) != 13 || (std::memcmp(b, "GIF87a", 6) != 0 && std::memcmp(b, "GIF89a", 6) != 0)) return false;
    if ((b[10] & 0x80) && !f.Posicionar(3 << ((b[10] & 7) + 1), SEEK_CUR)) return false;
    for (;;) {
        uint8_t bloque = 0;
        if (f.Leer(&bloque, 1) != 1) return false;
        if (bloque == 0x2C) {
            uint8_t d[8];
            if (f.Leer(d, 8) != 8) return false;
            ancho = U16(d + 4);
            alto = U16(d + 6);
            return true;
        }
        if (bloque != 0x21 || !f.Posicionar(1, SEEK_CUR)) return false; // the extension's label
        for (uint8_t n = 1; n != 0;) {
            if (f.Leer(&n, 1) != 1 || !f.Posicionar(n, SEEK_CUR)) return false;
        }
    }
}

uint32_t Palabra(const uint8_t *p, bool be, int n)
{
    uint32_t v = 0;
    for (int k = 0; k < n; ++k) v |= uint32_t(p[be ? n - 1 - k : k]) << (8 * k);
    return v;
}

int64_t Arriba(int64_t a, int64_t b) { return (a + b - 1) / b; }

// JPEG: a progressive frame keeps every coefficient (2 bytes each) of every
// component, in whole MCUs, until its last scan; a sequential one decodes a
// row of MCUs at a time.
bool DetallesJPEG(Archivos::Flujo &f, Cabecera &c)
{
    uint8_t m[2];
    if (f.Leer(m, 2) != 2 || m[0] != 0xFF || m[1] != 0xD8) return false;
    for (int segmentos = 0; segmentos < 1000; ++segmentos) {
        uint8_t b = 0;
        do {
            if (f.Leer(&b, 1) != 1) return true;
        } while (b != 0xFF);
        do {
            if (f.Leer(&b, 1) != 1) return true;
        } while (b == 0xFF);
        if (b == 0xD9 || b == 0xDA) return true; // no frame before the data
        if (b == 0x01 || (b >= 0xD0 && b <= 0xD7)) continue;
        uint8_t l[2];
        if (f.Leer(l, 2) != 2) return true;
        const int largo = l[0] << 8 | l[1];
        const bool sof = b >= 0xC0 && b <= 0xCF && b != 0xC4 && b != 0xC8 && b != 0xCC;
        if (!sof) {
            if (largo < 2 || !f.Posicionar(largo - 2, SEEK_CUR)) return true;
            continue;
        }
        uint8_t h[6], comp[4 * 3];
        if (largo < 8 || f.Leer(h, 6) != 6) return true;
        const int n = std::min<int>(h[5], 4);
        if (f.Leer(comp, 3 * n) != 3 * n) return true;
        c.componentes = n;
        c.progresivo = (b & 3) == 2;
        int hmax = 1, vmax = 1;
        for (int i = 0; i < n; ++i) hmax = std::max(hmax, comp[3 * i + 1] >> 4), vmax = std::max(vmax, comp[3 * i + 1] & 15);
        if (c.progresivo) {
            for (int i = 0; i < n; ++i) {
                const int hi = std::max(1, comp[3 * i + 1] >> 4), vi = std::max(1, comp[3 * i + 1] & 15);
                const int64_t bw = Arriba(Arriba(c.ancho * hi, hmax), 8), bh = Arriba(Arriba(c.alto * vi, vmax), 8);
                c.coeficientes += Arriba(bw, hi) * hi * Arriba(bh, vi) * vi * 64;
            }
        }
        return true;
    }
    return true;
}

// The values of a directory entry of SHORTs or LONGs, inside it or where it
// points; at most 'max'.
std::vector<uint64_t> Valores(Archivos::Flujo &f, bool be, const uint8_t *e, uint32_t max)
{
    const uint32_t tipo = Palabra(e + 2, be, 2), todos = Palabra(e + 4, be, 4), cuenta = std::min(todos, max);
    const int ancho = tipo == 3 ? 2 : tipo == 4 ? 4 : 0;
    std::vector<uint64_t> v;
    if (ancho == 0 || cuenta == 0) return v;
    std::vector<uint8_t> b(size_t(cuenta) * ancho);
    if (uint64_t(todos) * ancho <= 4)
        std::memcpy(b.data(), e + 8, b.size());
    else if (!f.Posicionar(Palabra(e + 8, be, 4), SEEK_SET) || f.Leer(b.data(), int64_t(b.size())) != int64_t(b.size()))
        return v;
    for (uint32_t i = 0; i < cuenta; ++i) v.push_back(Palabra(b.data() + size_t(i) * ancho, be, ancho));
    return v;
}

// Every strip (or tile) the directory lists lies inside the file: a header
// that promises more data than there is names a damaged file, even where the
// codec would read only part of it.
bool DatosCompletos(Archivos::Flujo &f, bool be, const uint8_t *posiciones, const uint8_t *largos)
{
    constexpr uint32_t kMax = 1 << 20;
    const std::vector<uint64_t> p = Valores(f, be, posiciones, kMax), l = Valores(f, be, largos, kMax);
    const int64_t tam = f.Tamano();
    if (tam < 0) return true;
    for (size_t i = 0; i < std::min(p.size(), l.size()); ++i)
        if (p[i] + l[i] > uint64_t(tam)) return false;
    return true;
}

// TIFF: the first directory's fields that decide how the library decodes.
// False for a colour model no TIFF reader knows, or data the file lacks.
bool DetallesTIFF(Archivos::Flujo &f, Cabecera &c)
{
    uint8_t h[8];
    if (f.Leer(h, 8) != 8 || (h[0] != h[1]) || (h[0] != 'I' && h[0] != 'M')) return true;
    const bool be = h[0] == 'M';
    if (Palabra(h + 2, be, 2) != 42) return true; // BigTIFF: nothing of ours to add
    uint8_t n[2];
    if (!f.Posicionar(Palabra(h + 4, be, 4), SEEK_SET) || f.Leer(n, 2) != 2) return true;
    uint32_t fotometrica = 1, bps = 1, spp = 1, filas = 0, tw = 0, th = 0, planos = 1;
    bool hayFotometrica = false;
    // Where the strips (or tiles) lie and how long they are: entries kept
    // whole, their arrays read after the directory.
    uint8_t posiciones[12] = {}, largos[12] = {}, bits[12] = {};
    for (uint32_t e = 0, total = std::min<uint32_t>(Palabra(n, be, 2), 4096); e < total; ++e) {
        uint8_t d[12];
        if (f.Leer(d, 12) != 12) break;
        const uint32_t tag = Palabra(d, be, 2), tipo = Palabra(d + 2, be, 2), cuenta = Palabra(d + 4, be, 4);
        if (tag == 273 || tag == 324) std::memcpy(posiciones, d, 12);
        if (tag == 279 || tag == 325) std::memcpy(largos, d, 12);
        if (tag == 258) std::memcpy(bits, d, 12);
        if (cuenta == 0) continue;
        // The first value, where it lies inside the entry.
        uint32_t v = tipo == 3 ? Palabra(d + 8, be, 2) : tipo == 4 ? Palabra(d + 8, be, 4) : 0;
        switch (tag) {
        case 262: fotometrica = v, hayFotometrica = true; break;
        case 277: spp = v; break;
        case 278: filas = v; break;
        case 284: planos = v; break;
        case 322: tw = v; break;
        case 323: th = v; break;
        default: break;
        }
    }
    static constexpr uint32_t kModelos[] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 32844, 32845};
    if (hayFotometrica && std::find(std::begin(kModelos), std::end(kModelos), fotometrica) == std::end(kModelos))
        return false;
    // Bits per sample: one value per sample, alike in every file we read.
    if (const std::vector<uint64_t> b = Valores(f, be, bits, 1); !b.empty()) bps = uint32_t(b[0]);
    // Samples the library can place: 1 to 5 of them (CMYK and alpha at
    // most), of whole bytes when there are several. Others trip its asserts.
    static constexpr uint32_t kBits[] = {1, 2, 4, 8, 16, 32, 64};
    if (spp < 1 || spp > 5 || (spp > 1 && bps < 8) || std::find(std::begin(kBits), std::end(kBits), bps) == std::end(kBits))
        return false;
    if (!DatosCompletos(f, be, posiciones, largos)) return false;
    // Colour from YCbCr and Lab, and CMYK, come through a whole RGBA raster.
    c.rasterRGBA = fotometrica == 6 || (fotometrica >= 8 && fotometrica <= 10) || (fotometrica == 5 && planos == 1 && spp <= 4);
    const int64_t bitsPixel = std::max<int64_t>(int64_t(std::max<uint32_t>(bps, 1)) * std::max<uint32_t>(spp, 1), c.bpp);
    if (tw > 0 && th > 0) // a row of tiles, and a tile as read
        c.bloque = Arriba(Arriba(c.ancho, tw) * tw * bitsPixel, 8) * th + Arriba(int64_t(tw) * th * bitsPixel, 8);
    else                  // a strip decoded, and the strip as read
        c.bloque = 2 * Arriba(c.ancho * bitsPixel, 8) * (filas == 0 ? c.alto : std::min<int64_t>(filas, c.alto));
    return true;
}

// WebP: lossless images decode through more buffers; alpha adds a plane.
void DetallesWebP(Archivos::Flujo &f, Cabecera &c)
{
    uint8_t h[12];
    if (f.Leer(h, 12) != 12) return;
    for (int i = 0; i < 16; ++i) {
        uint8_t t[8];
        if (f.Leer(t, 8) != 8) return;
        const uint32_t largo = Palabra(t + 4, false, 4);
        if (std::memcmp(t, "VP8L", 4) == 0) {
            c.sinPerdida = true;
            return;
        }
        if (std::memcmp(t, "VP8 ", 4) == 0) return;
        if (std::memcmp(t, "ALPH", 4) == 0) c.alfa = true;
        if (!f.Posicionar(largo + (largo & 1), SEEK_CUR)) return;
    }
}
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

bool LeerCabecera(FREE_IMAGE_FORMAT fif, Archivos::Flujo &f, Cabecera &c)
{
    Iniciar();
    c = Cabecera();
    if (!f.Posicionar(0, SEEK_SET)) return false;
    if (fif == FIF_GIF) {
        uint32_t ancho = 0, alto = 0;
        if (!CabeceraGIF(f, ancho, alto)) return false;
        c.ancho = ancho, c.alto = alto, c.bpp = 8, c.tipo = FIT_BITMAP;
        return true;
    }
    if (!FreeImage_FIFSupportsNoPixels(fif)) return false;
    FreeImageIO io = IO();
    c.bmp.reset(FreeImage_LoadFromHandle(fif, &io, &f, FIF_LOAD_NOPIXELS));
    if (!c.bmp) return false;
    c.ancho = FreeImage_GetWidth(c.bmp.get());
    c.alto = FreeImage_GetHeight(c.bmp.get());
    c.bpp = static_cast<int>(FreeImage_GetBPP(c.bmp.get()));
    c.tipo = FreeImage_GetImageType(c.bmp.get());
    if (!f.Posicionar(0, SEEK_SET)) return false;
    switch (fif) {
    case FIF_JPEG: return DetallesJPEG(f, c) && !f.Fallo();
    case FIF_TIFF: return DetallesTIFF(f, c) && !f.Fallo();
    case FIF_WEBP: DetallesWebP(f, c); return !f.Fallo();
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
