#include "imaging/bloque.h"

#include "imaging/hilos.h"
#include "platform/paginas.h"

#include <climits>
#include <cstring>
#include <new>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define HALVORA_SSSE3 1
#endif

namespace modImage {

namespace {

// Rows per band: the unit handed to threads and given back to the system.
constexpr int64_t kFilas = 64;

// Stride of a 24-bit image of that size, 0 when it does not fit our limits.
int64_t PasoAdmisible(int64_t ancho, int64_t alto)
{
    if (!modFreeImage::TamanoAdmisible(ancho, alto)) return 0;
    const int64_t p = PasoDeAncho(ancho);
    return p <= INT32_MAX ? p : 0;
}

// The bitmap itself becomes the block.
bool Quedarse(modFreeImage::Bitmap bmp, Bloque &destino, int32_t &paso)
{
    FIBITMAP *b = bmp.get();
    if (!b || FreeImage_GetImageType(b) != FIT_BITMAP || FreeImage_GetBPP(b) != 24 || !FreeImage_HasPixels(b) ||
        !FreeImage_GetBits(b))
        return false;
    const int64_t ancho = FreeImage_GetWidth(b), alto = FreeImage_GetHeight(b);
    const int64_t p = PasoAdmisible(ancho, alto);
    if (p == 0 || int64_t(FreeImage_GetPitch(b)) != p) return false;
    const uint8_t *bits = FreeImage_GetBits(b);
    try {
        // On a failed allocation the shared pointer unloads the bitmap itself.
        std::shared_ptr<FIBITMAP> dueno(bmp.release(), modFreeImage::Descargador());
        destino = Bloque(std::move(dueno), bits, size_t(p * alto));
    } catch (const std::bad_alloc &) {
        return false;
    }
    paso = static_cast<int32_t>(p);
    return true;
}

// 16-bit samples to 24 bits: grey into all three bytes, colour by channel;
// the library's 16-bit colour pixels are red, green, blue(, alpha) words.
template <int Canales>
void Fila16(const uint16_t *o, uint8_t *d, int64_t ancho)
{
    for (int64_t x = 0; x < ancho; ++x, o += Canales, d += 3) {
        if constexpr (Canales == 1) {
            d[0] = d[1] = d[2] = static_cast<uint8_t>(o[0] >> 8);
        } else {
            d[FI_RGBA_RED] = static_cast<uint8_t>(o[0] >> 8);
            d[FI_RGBA_GREEN] = static_cast<uint8_t>(o[1] >> 8);
            d[FI_RGBA_BLUE] = static_cast<uint8_t>(o[2] >> 8);
        }
    }
}

#ifdef HALVORA_SSSE3
// Grey, 16 pixels at a time: the high bytes packed, then each spread over
// three bytes by three byte shuffles.
__attribute__((target("ssse3"))) void GrisSSSE3(const uint16_t *o, uint8_t *d, int64_t ancho)
{
    const __m128i m0 = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i m1 = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i m2 = _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    int64_t x = 0;
    for (; x + 16 <= ancho; x += 16, d += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(o + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(o + x + 8));
        const __m128i g = _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d), _mm_shuffle_epi8(g, m0));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + 16), _mm_shuffle_epi8(g, m1));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + 32), _mm_shuffle_epi8(g, m2));
    }
    Fila16<1>(o + x, d, ancho - x);
}
#endif

// The direct conversion; false, with the bitmap untouched, for other kinds or
// when the memory cannot be had.
bool Convertir16(FIBITMAP *b, Bloque &destino, int32_t &paso)
{
    using FuncionFila = void (*)(const uint16_t *, uint8_t *, int64_t);
    FuncionFila fila = nullptr;
    switch (FreeImage_GetImageType(b)) {
    case FIT_UINT16:
        fila = Fila16<1>;
#ifdef HALVORA_SSSE3
        if (__builtin_cpu_supports("ssse3")) fila = GrisSSSE3;
#endif
        break;
    case FIT_RGB16: fila = Fila16<3>; break;
    case FIT_RGBA16: fila = Fila16<4>; break;
    default: return false;
    }
    if (!FreeImage_HasPixels(b) || !FreeImage_GetBits(b)) return false;
    const int64_t ancho = FreeImage_GetWidth(b), alto = FreeImage_GetHeight(b);
    const int64_t p = PasoAdmisible(ancho, alto), po = FreeImage_GetPitch(b);
    if (p == 0) return false;
    std::shared_ptr<Paginas::Zona> zona;
    try {
        zona = std::make_shared<Paginas::Zona>(size_t(p * alto), true);
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (!*zona) return false;

    uint8_t *bits = FreeImage_GetBits(b), *d = zona->Datos();
    EnParalelo(
        (alto + kFilas - 1) / kFilas, HilosPara(ancho * alto),
        [&](int, int64_t k) {
            const int64_t desde = k * kFilas, hasta = std::min(alto, desde + kFilas);
            for (int64_t y = desde; y < hasta; ++y)
                fila(reinterpret_cast<const uint16_t *>(bits + y * po), d + y * p, ancho);
            // This band of the bitmap is never read again.
            Paginas::Devolver(bits + desde * po, size_t((hasta - desde) * po));
        },
        nullptr);
    const uint8_t *datos = zona->Datos();
    destino = Bloque(std::move(zona), datos, size_t(p * alto));
    paso = static_cast<int32_t>(p);
    return true;
}

struct Salida {
    Paginas::Zona zona;
    int32_t ancho = 0, alto = 0;
};
Salida &MemoriaSalida()
{
    static Salida s;
    return s;
}

} // namespace

bool Bloque24Bits(modFreeImage::Bitmap bmp, Bloque &destino, int32_t &paso, bool *sinMemoria)
{
    if (sinMemoria) *sinMemoria = false;
    if (!bmp) return false;
    const FREE_IMAGE_TYPE tipo = FreeImage_GetImageType(bmp.get());
    if (Convertir16(bmp.get(), destino, paso)) return true;
    if (Quedarse(modFreeImage::A24Bits(std::move(bmp)), destino, paso)) return true;
    // Bitmaps and 16-bit samples always have a way to 24 bits: only memory
    // can have been missing (within our size limits, checked before).
    if (sinMemoria) *sinMemoria = tipo == FIT_BITMAP || tipo == FIT_UINT16 || tipo == FIT_RGB16 || tipo == FIT_RGBA16;
    return false;
}

modFreeImage::Bitmap BitmapSalida(int32_t ancho, int32_t alto)
{
    const int64_t p = PasoAdmisible(ancho, alto);
    if (p == 0) return nullptr;
    Salida &s = MemoriaSalida();
    if (!SalidaEnMano(ancho, alto)) {
        s.zona = Paginas::Zona(); // the old block goes before the new one comes
        s.zona = Paginas::Zona(size_t(p * alto), true);
        s.ancho = s.zona ? ancho : 0;
        s.alto = s.zona ? alto : 0;
        if (!s.zona) return nullptr;
    } else if (p > 3LL * ancho) {
        // Nothing writes them, but they reach BMP files: keep them zero.
        for (int64_t y = 0; y < alto; ++y) std::memset(s.zona.Datos() + y * p + 3 * int64_t(ancho), 0, size_t(p - 3 * int64_t(ancho)));
    }
    return modFreeImage::Bitmap(FreeImage_ConvertFromRawBitsEx(FALSE, s.zona.Datos(), FIT_BITMAP, ancho, alto,
                                                               static_cast<int>(p), 24, 0, 0, 0, FALSE));
}

bool SalidaEnMano(int32_t ancho, int32_t alto)
{
    const Salida &s = MemoriaSalida();
    return s.zona && s.ancho == ancho && s.alto == alto;
}

void SoltarSalida() { MemoriaSalida() = Salida(); }

} // namespace modImage
