// The load's memory estimate: exact figures for the common cases, what each
// codec really takes (measured through the sanitizer's allocation hooks)
// against what the estimate says, and header fields at their types' limits.

#include "support/imagen.h"

#include "construidos.h"
#include "jpegs.h"

#include "imaging/apertura.h"
#include "imaging/bloque.h"
#include "imaging/cargar.h"
#include "imaging/guardar.h"
#include "platform/memoria.h"
#include "support/inyeccion/inyeccion.h"
#include "support/scripted.h"

#include <QFileInfo>
#include <atomic>
#include <climits>
#include <gtest/gtest.h>

using namespace modImage;
using prueba::Gris16;
using prueba::Ruido;

extern "C" {
// The sanitizer's allocator, when the program runs under it.
int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void *, size_t), void (*)(const volatile void *))
    __attribute__((weak));
size_t __sanitizer_get_allocated_size(const volatile void *) __attribute__((weak));
}

namespace {

// Heap bytes in use and their peak, from the allocator's hooks.
std::atomic<int64_t> enUso{0}, pico{0};
void AlReservar(const volatile void *, size_t n)
{
    const int64_t u = enUso += int64_t(n);
    for (int64_t p = pico.load(); u > p && !pico.compare_exchange_weak(p, u);) {
    }
}
void AlLiberar(const volatile void *p) { enUso -= int64_t(__sanitizer_get_allocated_size(p)); }

// The most heap 'hacer' took beyond what was in use before.
int64_t Pico(const std::function<void()> &hacer)
{
    static const bool instalados = __sanitizer_install_malloc_and_free_hooks(AlReservar, AlLiberar) != 0;
    EXPECT_TRUE(instalados);
    const int64_t antes = enUso.load();
    pico = antes;
    hacer();
    return pico.load() - antes;
}
int64_t PicoDecodificando(const QString &ruta)
{
    return Pico([&ruta] {
        modFreeImage::Apertura a = modFreeImage::AbrirImagen(ruta);
        EXPECT_TRUE(a.bmp) << a.motivo.toStdString();
    });
}

} // namespace

uint32_t Gris8(int64_t i) { return uint32_t(i % 253); }

using MemoriaCarga = Motor;

TEST_F(MemoriaCarga, CifrasExactasDeLosCasosComunes)
{
    FijarHilosImagen(1);
    // JPEG keeps a row of MCUs beside its bitmap; a progressive frame keeps
    // every coefficient: Y 250 x 188 blocks, Cb and Cr 125 x 94, 2 bytes each.
    FIBITMAP *foto = prueba::Color24(2000, 1500, Ruido);
    const QString secuencial = prueba::Guardar(FreeImage_Clone(foto), FIF_JPEG, "secuencial.jpg", JPEG_SUBSAMPLING_420);
    const QString progresiva = prueba::Guardar(foto, FIF_JPEG, "progresiva.jpg", JPEG_PROGRESSIVE | JPEG_SUBSAMPLING_420);
    // 16-bit grey: the 6 MB bitmap, then the 9 MB block it goes into while
    // its bands go back, one band of 64 rows (both strides) in hand.
    const QString gris16 = prueba::Guardar(Gris16(2000, 1500), FIF_PNG, "gris16.png");
    const QString webp = prueba::Guardar(construido::Alfa(1000, 750), FIF_WEBP, "alfa.webp", 90);
    const QString opaca = prueba::Guardar(prueba::Color24(1000, 750, Ruido), FIF_WEBP, "opaca.webp", 90);
    const QString gris8 = prueba::Guardar(FreeImage_ConvertTo8Bits(modFreeImage::Bitmap(prueba::Color24(2000, 1500, Ruido)).get()),
                                          FIF_PNG, "gris8.png");
    // One scan per component, sequential: libjpeg keeps every coefficient
    // too, as the first scan does not hold the whole frame.
    jpegs::Opciones porComponente;
    porComponente.porComponente = true;
    const QString tresScans = Poner(prueba::Ruta("tres_scans.jpg"), jpegs::Codificar(2000, 1500, [](int, int) { return 0x806040u; }, porComponente));
    // A first scan with every component decides it: libjpeg decodes a row
    // at a time, whatever scans come after it (one more, of Y alone, here).
    QByteArray unaMas = Leer(secuencial);
    unaMas.insert(unaMas.size() - 2, QByteArray("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10) + QByteArray(24000, '\0'));
    const QString scanDeMas = Poner(prueba::Ruta("scan_de_mas.jpg"), unaMas);
    const struct { QString ruta; int64_t bytes; } casos[] = {
        {secuencial, 9000000 + 16 * 2000 * 3 + 65536},
        {scanDeMas, 9000000 + 16 * 2000 * 3 + 65536},
        {progresiva, 9000000 + 16 * 2000 * 3 + 2 * 64 * (250 * 188 + 2 * 125 * 94) + 65536},
        {tresScans, 9000000 + 16 * 2000 * 3 + 2 * 64 * (250 * 188 + 2 * 125 * 94) + 65536},
        {gris16, 9000000 + 64 * (4000 + 6000)},
        {gris8, 3000000 + 9000000}, // the library's conversion beside the bitmap
        {prueba::Guardar(prueba::Color24(4, 3, Ruido), FIF_BMP, "peque.bmp"), 12 * 3 + 2 * 12 + 65536},
        // PNG: a row pointer per row beside the bitmap.
        {prueba::Guardar(prueba::Color24(3000, 20, Ruido), FIF_PNG, "apaisada.png"), 9000 * 20 + 20 * 8 + 131072},
        // One uncompressed strip, read in strips of 8 KiB (one 6000-byte row;
        // 68 rows of 120 bytes), never whole.
        {Poner(prueba::Ruta("tira.tif"), construido::TiffTira(2000, 1500, 3, 8, Gris8)), 9000000 + 6000 + 262144},
        {Poner(prueba::Ruta("tira_estrecha.tif"), construido::TiffTira(40, 3000, 3, 8, Gris8)), 360000 + 68 * 120 + 262144},
        // LZW strips of one row (8 KiB at most): the strip decoded and as read.
        {prueba::Guardar(prueba::Color24(2000, 1500, Ruido), FIF_TIFF, "lzw.tif", TIFF_LZW), 9000000 + 2 * 6000 + 262144},
        // Lossy WebP with alpha: the file twice, the 32-bit bitmap, the
        // decoder's BGRA and YUV planes, alpha's 4 bytes a pixel, its rows.
        {webp, 2 * QFileInfo(webp).size() + 3000000 + 3000000 + 375000 + 3000000 + 256 * 1000 + 65536},
        {opaca, 2 * QFileInfo(opaca).size() + 2250000 + 3000000 + 375000 + 256 * 1000 + 65536}, // no alpha: 24 bits
    };
    for (const auto &c : casos) EXPECT_EQ(modFreeImage::MemoriaCargaFichero(c.ruta), c.bytes) << c.ruta.toStdString();

    // A baseline JPEG of 2000 x 1500 loads with 17 MB available.
    Memoria::FijarDisponible(17 << 20);
    CajasGuionadas cajas;
    EXPECT_TRUE(CargarImagenEscaneo(secuencial, nullptr));
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    Memoria::FijarDisponible(-1);
}

TEST_F(MemoriaCarga, CadaCodecCabeEnLoQueSeLeCalcula)
{
    if (!__sanitizer_install_malloc_and_free_hooks || !__sanitizer_get_allocated_size)
        GTEST_SKIP() << "needs the sanitizer's allocator";
    FijarHilosImagen(1);
    FIBITMAP *gris = FreeImage_ConvertTo8Bits(modFreeImage::Bitmap(prueba::Color24(600, 400, Ruido)).get());
    const struct { QString nombre; FIBITMAP *b; FREE_IMAGE_FORMAT fif; int flags; bool ajustada; } casos[] = {
        {"m.jpg", prueba::Color24(600, 400, Ruido), FIF_JPEG, JPEG_SUBSAMPLING_420, true},
        {"m444.jpg", prueba::Color24(600, 400, Ruido), FIF_JPEG, JPEG_SUBSAMPLING_444, true},
        {"mp.jpg", prueba::Color24(600, 400, Ruido), FIF_JPEG, JPEG_PROGRESSIVE | JPEG_SUBSAMPLING_420, true},
        {"mp444.jpg", prueba::Color24(600, 400, Ruido), FIF_JPEG, JPEG_PROGRESSIVE | JPEG_SUBSAMPLING_444, true},
        {"mg.jpg", FreeImage_Clone(gris), FIF_JPEG, JPEG_PROGRESSIVE, false},
        {"m.png", prueba::Color24(600, 400, Ruido), FIF_PNG, 0, true},
        {"m16.png", Gris16(600, 400), FIF_PNG, 0, false},
        {"m.tif", prueba::Color24(600, 400, Ruido), FIF_TIFF, TIFF_LZW, true},
        {"mz.tif", prueba::Color24(600, 400, Ruido), FIF_TIFF, TIFF_DEFLATE, true},
        {"m16.tif", Gris16(600, 400), FIF_TIFF, TIFF_NONE, false},
        {"m.bmp", prueba::Color24(600, 400, Ruido), FIF_BMP, 0, true},
        {"m.gif", gris, FIF_GIF, 0, false},
        {"m.webp", prueba::Color24(600, 400, Ruido), FIF_WEBP, 0, true},
        {"ml.webp", prueba::Color24(600, 400, Ruido), FIF_WEBP, WEBP_LOSSLESS, true},
        {"ma.webp", construido::Alfa(2000, 1500), FIF_WEBP, 90, true}, // 3 MP
        {"t24.tif", nullptr, FIF_TIFF, 8, true},
        {"t48.tif", nullptr, FIF_TIFF, 16, true},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre.toStdString());
        const QString ruta = c.b ? prueba::Guardar(c.b, c.fif, c.nombre, c.flags)
                                 : Poner(prueba::Ruta(c.nombre), construido::TiffTira(2000, 1500, 3, c.flags, [](int64_t i) { return uint32_t(i * 7); }));
        const int64_t medido = PicoDecodificando(ruta), calculado = modFreeImage::MemoriaCargaFichero(ruta);
        EXPECT_GE(calculado, medido);
        // Where the decode is the peak, the estimate stays close to it.
        EXPECT_LE(calculado, c.ajustada ? medido * 5 / 4 + (512 << 10) : INT64_MAX);
    }
    // Sequential in one scan per component: every coefficient held.
    jpegs::Opciones porComponente;
    porComponente.porComponente = true;
    const QString tres = Poner(prueba::Ruta("m3.jpg"), jpegs::Codificar(600, 400, [](int x, int y) { return Ruido(x, y); }, porComponente));
    const int64_t medido = PicoDecodificando(tres), calculado = modFreeImage::MemoriaCargaFichero(tres);
    EXPECT_GE(calculado, medido);
    EXPECT_LE(calculado, medido * 5 / 4 + (512 << 10));
}

TEST_F(MemoriaCarga, UnJPEGQueNoCabeSeRechazaAntesDeQueSuCodecPidaNada)
{
    // 3000 x 2000 progressive: an 18 MB bitmap and the coefficients libjpeg
    // keeps, in whole MCUs of 2 x 2 blocks for Y (376 x 250 blocks) and of
    // one for Cb and Cr (188 x 125), 2 bytes each: 18 MB more, which the
    // library takes already to read the header. With 30 MB said to be there
    // and no request over 2 MB granted, the header read and the load are
    // both refused for their size, before the codec asks for anything.
    jpegs::Opciones progresiva;
    progresiva.progresivo = true;
    const QString ruta = Poner(prueba::Ruta("no_cabe.jpg"), jpegs::Codificar(3000, 2000, [](int x, int) { return uint32_t(x / 12) * 0x010101u; }, progresiva));
    const int64_t necesita = 18000000 + 16 * 3000 * 3 + 2 * 64 * (376 * 250 + 2 * 188 * 125) + 65536;
    EXPECT_EQ(modFreeImage::MemoriaCargaFichero(ruta), necesita);
    Memoria::FijarDisponible(30 << 20);
    Inyeccion::LimitarMemoria(2 << 20);
    for (auto leer : {modFreeImage::LeerCabeceraImagen, modFreeImage::AbrirImagen}) {
        const modFreeImage::Apertura a = leer(ruta);
        EXPECT_EQ((std::tuple{bool(a.bmp), a.rechazo, a.necesita}), (std::tuple{false, modFreeImage::Rechazo::DemasiadoGrande, necesita}));
        EXPECT_EQ(a.motivo, "Imagen demasiado grande: 3000 x 2000 px necesitan 35 MB de memoria y hay 30 MB disponibles.");
    }
    Inyeccion::LimitarMemoria(0);
    Memoria::FijarDisponible(35 << 20);
    EXPECT_TRUE(modFreeImage::AbrirImagen(ruta).bmp);
    Memoria::FijarDisponible(-1);
}

TEST_F(MemoriaCarga, CadaGuardadoCabeEnLoQueSeLeCalcula)
{
    if (!__sanitizer_install_malloc_and_free_hooks || !__sanitizer_get_allocated_size)
        GTEST_SKIP() << "needs the sanitizer's allocator";
    FijarHilosImagen(1);
    CajasGuionadas cajas;
    PonerMuestra(1000, 800, Aleatorio(1000, 800, 5));
    // The output bitmap is mapped memory, outside the heap measured here.
    const int64_t bitmap = PasoDeAncho(1000) * 800;
    const struct { const char *nombre; int fif, flags; } casos[] = {
        {"g.bmp", FIF_BMP, 0}, {"g.jpg", FIF_JPEG, 90}, {"g.png", FIF_PNG, 0}, {"g.tif", FIF_TIFF, TIFF_LZW},
        {"gn.tif", FIF_TIFF, TIFF_NONE}, {"g.webp", FIF_WEBP, 90}, {"gl.webp", FIF_WEBP, WEBP_LOSSLESS}};
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        SoltarSalida();
        const int64_t calculado = MemoriaGuardado(c.fif, c.flags, 1000, 800) - bitmap;
        const int64_t medido = Pico([&] { EXPECT_TRUE(GuardarImagenProcesada(prueba::Ruta(c.nombre), c.fif, c.flags)); });
        EXPECT_GE(calculado, medido);
        EXPECT_LE(calculado, medido * 5 / 4 + (512 << 10));
    }
}

TEST_F(MemoriaCarga, CamposEnSusLimitesDanCifrasEnRango)
{
    using modFreeImage::Cabecera;
    const auto cabecera = [](int64_t w, int64_t h, int bpp, FREE_IMAGE_TYPE t = FIT_BITMAP) {
        Cabecera c;
        c.ancho = w, c.alto = h, c.bpp = bpp, c.tipo = t;
        return c;
    };
    const FREE_IMAGE_FORMAT formatos[] = {FIF_BMP, FIF_JPEG, FIF_PNG, FIF_TIFF, FIF_GIF, FIF_WEBP};
    const int64_t lados[] = {65535, INT32_MAX, UINT32_MAX, INT64_MAX};
    for (FREE_IMAGE_FORMAT fif : formatos)
        for (int64_t lado : lados)
            for (auto [bpp, tipo] : {std::pair{24, FIT_BITMAP}, std::pair{1, FIT_BITMAP}, std::pair{16, FIT_UINT16}, std::pair{128, FIT_RGBAF}}) {
                Cabecera c = cabecera(lado, lado, bpp, tipo);
                c.componentes = 4, c.coeficientes = INT64_MAX, c.bloque = INT64_MAX;
                c.rasterRGBA = c.sinPerdida = c.alfa = true;
                const int64_t m = modFreeImage::MemoriaCarga(fif, c, INT64_MAX);
                // The bitmap alone, or the codec's own fields, reach the top.
                const bool tope = lado >= INT32_MAX || fif == FIF_JPEG || fif == FIF_TIFF || fif == FIF_WEBP;
                EXPECT_TRUE(tope ? m == INT64_MAX : m > lado * lado / 8 && m < INT64_MAX) << fif << " " << lado << " " << bpp << ": " << m;
                EXPECT_GT(modFreeImage::MemoriaCarga(fif, cabecera(lado, 1, bpp, tipo), 0), std::min<int64_t>(lado, int64_t(1) << 32) / 8);
            }
    EXPECT_EQ(modFreeImage::MemoriaCarga(FIF_BMP, cabecera(0, 0, 24), 0), 65536);
}
