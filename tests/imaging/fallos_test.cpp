// Faults of the system under the loader (support/inyeccion/): a read that
// fails at every read of a small file of each format, and memory that runs
// out under a limit the estimate cannot see.

#include "support/imagen.h"

#include "construidos.h"

#include "imaging/apertura.h"
#include "imaging/bloque.h"
#include "imaging/cargar.h"
#include "imaging/guardar.h"
#include "platform/memoria.h"
#include "support/inyeccion/inyeccion.h"
#include "support/scripted.h"

#include <climits>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace modImage;
using Inyeccion::Llamada;
using prueba::Ruido;

namespace {

// A load that outlives a generous limit ends the process naming it (straight
// to the system, past the injector): a hang fails, never stalls the suite.
char enCurso[64];
void Colgada(int)
{
    ::syscall(SYS_write, 2, "load hangs: ", 12);
    ::syscall(SYS_write, 2, enCurso, std::strlen(enCurso));
    std::_Exit(3);
}

} // namespace

TEST(FalloDeLectura, CadaLecturaDeCadaFormatoTerminaLaCargaConElMotivo)
{
    CajasGuionadas cajas;
    modFreeImage::Bitmap gris(FreeImage_ConvertTo8Bits(modFreeImage::Bitmap(prueba::Color24(40, 30, Ruido)).get()));
    const std::tuple<FREE_IMAGE_FORMAT, const char *, FIBITMAP *> casos[] = {
        {FIF_PNG, "png", prueba::Color24(40, 30, Ruido)},   {FIF_JPEG, "jpg", prueba::Color24(40, 30, Ruido)},
        {FIF_TIFF, "tif", prueba::Color24(40, 30, Ruido)},  {FIF_BMP, "bmp", prueba::Color24(40, 30, Ruido)},
        {FIF_GIF, "gif", FreeImage_Clone(gris.get())},      {FIF_WEBP, "webp", prueba::Color24(40, 30, Ruido)}};
    std::signal(SIGALRM, Colgada);
    struct Apagar { ~Apagar() { ::alarm(0); } } apagar; // an early return leaves none running
    for (const auto &[fif, ext, bmp] : casos) {
        const QString ruta = prueba::Guardar(bmp, fif, QStringLiteral("fallo_lectura.") + ext);
        int lecturas;
        {
            const Inyeccion::Fallos cuenta({{Llamada::Leer, "fallo_lectura", INT_MAX}});
            ASSERT_TRUE(CargarImagenEscaneo(ruta, nullptr)) << ext;
            lecturas = cuenta.Vistas(0);
        }
        ASSERT_GT(lecturas, 2) << ext;
        const Bloque previa = PixelesEscaneo;
        for (int n = 1; n <= lecturas; ++n) {
            SCOPED_TRACE(std::string(ext) + " read " + std::to_string(n));
            std::snprintf(enCurso, sizeof enCurso, "%s read %d\n", ext, n);
            ::alarm(60);
            {
                const Inyeccion::Fallos fallo({{Llamada::Leer, "fallo_lectura", n}});
                LeerInfoImagen(ruta); // silent, and it returns
            }
            const Inyeccion::Fallos fallo({{Llamada::Leer, "fallo_lectura", n}});
            cajas.llamadas.clear();
            ASSERT_FALSE(CargarImagenEscaneo(ruta, nullptr));
            ASSERT_EQ(cajas.llamadas.size(), 1);
            ASSERT_EQ(cajas.llamadas[0].texto,
                      "Error al cargar: " + ruta + "\r\nNo se puede leer el fichero: Error de lectura o escritura en el disco");
            ASSERT_EQ(PixelesEscaneo, previa);
        }
    }
}

TEST(FaltaDeMemoria, AlLeerDecodificarPasarA24BitsOGuardarLoDiceConElTamano)
{
    CajasGuionadas cajas;
    // 8 MiB may be had at once: a 2000 x 1500 bitmap of 24 bits (9 MB) may
    // not; 16-bit grey decodes (6 MB) and then finds no room for 24 bits,
    // and so does 8-bit grey through the library's conversion. A progressive
    // JPEG's coefficients (6 MB for Y) fail inside libjpeg under 4 MiB; a
    // CMYK TIFF's raster and a WebP's planes inside theirs; the WebP codec
    // holds the whole file (600 KB for 1000 x 750 and alpha) to read its header.
    FIBITMAP *cmyk = FreeImage_Allocate(2000, 1500, 32);
    for (unsigned y = 0; y < 1500; ++y)
        for (unsigned x = 0; x < 8000; ++x) FreeImage_GetScanLine(cmyk, int(y))[x] = BYTE(Ruido(int(x), int(y)));
    const QString cargar = "Error al cargar", muestra = "Error al cargar la muestra";
    // 'concedidas' requests over the limit granted first; 'error' 0: errno
    // left as it was, so that only the codec's words or the container's
    // failure can tell.
    const struct { QString nombre; FIBITMAP *b; FREE_IMAGE_FORMAT fif; int flags; size_t limite; QString texto; int concedidas = 0, error = ENOMEM; } casos[] = {
        // errno left alone: the codec's words tell (here and for the WebP's header).
        {"memoria.jpg", prueba::Color24(2000, 1500, Ruido), FIF_JPEG, 0, 8 << 20, cargar, 0, 0},
        {"memoria16.png", prueba::Gris16(2000, 1500), FIF_PNG, 0, 8 << 20, cargar},
        {"memoria8.png", FreeImage_ConvertTo8Bits(modFreeImage::Bitmap(prueba::Color24(2000, 1500, Ruido)).get()), FIF_PNG, 0, 8 << 20, muestra},
        {"memoria_prog.jpg", prueba::Color24(2000, 1500, Ruido), FIF_JPEG, JPEG_PROGRESSIVE, 4 << 20, muestra},
        {"memoria_cmyk.tif", cmyk, FIF_TIFF, TIFF_CMYK, 8 << 20, cargar},
        {"memoria_alfa.webp", construido::Alfa(1000, 750), FIF_WEBP, 90, 2 << 20, muestra},
        {"memoria_cabecera.webp", construido::Alfa(1000, 750), FIF_WEBP, 90, 256 << 10, cargar, 0, 0},
        {"memoria_cabecera_vp8.webp", prueba::Color24(1000, 750, Ruido), FIF_WEBP, 90, 256 << 10, muestra},
        {"memoria_sin_perdida.webp", construido::Alfa(1000, 750), FIF_WEBP, WEBP_LOSSLESS, 256 << 10, muestra},
        // Its bitmap (3 MB) fits, the decoder's pixels and cache rows do not:
        // the plugin calls that a parse error.
        {"memoria_decodificando.webp", construido::Alfa(1000, 750), FIF_WEBP, WEBP_LOSSLESS, 3050000, muestra},
        // The file read, its container not made: for the header with the
        // system's ENOMEM (without it, damage: see below); for the decode
        // (the header's three grants used) whatever errno says, as the
        // header made it once.
        {"contenedor_cabecera.webp", construido::Alfa(1000, 750), FIF_WEBP, 90, 256 << 10, cargar, 1},
        {"contenedor_carga.webp", construido::Alfa(1000, 750), FIF_WEBP, 90, 256 << 10, muestra, 4, 0},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre.toStdString());
        const QString ruta = prueba::Guardar(c.b, c.fif, c.nombre, c.flags);
        const int64_t necesita = modFreeImage::MemoriaCargaFichero(ruta);
        const modFreeImage::Bitmap cabecera = modFreeImage::LeerCabeceraImagen(ruta).bmp;
        ASSERT_TRUE(cabecera && necesita > int64_t(c.limite));
        cajas.llamadas.clear();
        Inyeccion::LimitarMemoria(c.limite, c.concedidas, c.error);
        const bool cargada = c.texto.endsWith("muestra") ? CargarMuestra(ruta, nullptr) : CargarImagenEscaneo(ruta, nullptr);
        Inyeccion::LimitarMemoria(0);
        ASSERT_FALSE(cargada);
        ASSERT_EQ(cajas.llamadas.size(), 1);
        EXPECT_EQ(cajas.llamadas[0].texto.toStdString(),
                  (c.texto + ": " + ruta + "\r\n" +
                      QStringLiteral("No hay memoria suficiente para cargar la imagen: %1 x %2 px necesitan %3 MB.")
                          .arg(FreeImage_GetWidth(cabecera.get()))
                          .arg(FreeImage_GetHeight(cabecera.get()))
                          .arg((necesita + (1 << 20) - 1) >> 20)).toStdString());
        // With the memory back, the same file loads.
        EXPECT_TRUE(CargarImagenEscaneo(ruta, nullptr));
    }
    // A container not made for the header, and no word of memory from the
    // codec or the system: damage.
    const QString contenedor = prueba::Ruta("contenedor_cabecera.webp");
    cajas.llamadas.clear();
    Inyeccion::LimitarMemoria(256 << 10, 1, 0);
    EXPECT_FALSE(CargarImagenEscaneo(contenedor, nullptr));
    Inyeccion::LimitarMemoria(0);
    EXPECT_EQ(cajas.llamadas.value(0).texto.toStdString(), ("Error al cargar: " + contenedor + "\r\nNo es una imagen o está dañada.").toStdString());

    // The processed image's save: its bitmap (9 MB) and the writer's 512 KiB.
    PonerMuestra(2000, 1500, Aleatorio(2000, 1500, 9));
    const QString destino = prueba::Ruta("memoria_guardado.bmp");
    cajas.llamadas.clear();
    SoltarSalida();
    Memoria::FijarDisponible(1 << 30); // said to be there, but not to be had
    Inyeccion::LimitarMemoria(8 << 20);
    EXPECT_FALSE(GuardarImagenProcesada(destino, FIF_BMP, 0));
    Inyeccion::LimitarMemoria(0);
    Memoria::FijarDisponible(-1);
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, "Error: no se pudo reservar memoria para guardar.\r\nNo hay memoria suficiente para "
                                       "guardar la imagen: 2000 x 1500 px necesitan 10 MB y hay 1024 MB disponibles.");
    EXPECT_FALSE(QFile::exists(destino));
    EXPECT_TRUE(GuardarImagenProcesada(destino, FIF_BMP, 0));
}
