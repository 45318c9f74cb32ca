// Faults of the system under the loader (support/inyeccion/): a read that
// fails at every read of a small file of each format, and memory that runs
// out under a limit the estimate cannot see.

#include "support/imagen.h"

#include "imaging/apertura.h"
#include "imaging/cargar.h"
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

// A load that outlives a generous limit ends the process naming it: a hang
// must fail the test, not stall the suite. Straight to the system, past the
// injector's write.
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
    int total = 0;
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
        for (int n = 1; n <= lecturas; ++n, ++total) {
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
    EXPECT_GT(total, 100);
    std::printf("%d failed reads, each load refused\n", total);
}

TEST(FaltaDeMemoria, AlDecodificarOAlPasarA24BitsLoDiceConElTamano)
{
    CajasGuionadas cajas;
    // 8 MiB may be had at once: a 2000 x 1500 bitmap of 24 bits (9 MB) may
    // not; 16-bit grey decodes (6 MB) and then finds no room for 24 bits,
    // and so does 8-bit grey through the library's conversion.
    const struct { QString nombre; FIBITMAP *b; FREE_IMAGE_FORMAT fif; QString texto; } casos[] = {
        {"memoria.jpg", prueba::Color24(2000, 1500, Ruido), FIF_JPEG, "Error al cargar"},
        {"memoria16.png", prueba::Gris16(2000, 1500), FIF_PNG, "Error al cargar"},
        {"memoria8.png", FreeImage_ConvertTo8Bits(modFreeImage::Bitmap(prueba::Color24(2000, 1500, Ruido)).get()), FIF_PNG,
         "Error al cargar la muestra"},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre.toStdString());
        const QString ruta = prueba::Guardar(c.b, c.fif, c.nombre);
        const int64_t necesita = modFreeImage::MemoriaCargaFichero(ruta);
        ASSERT_GT(necesita, 8 << 20);
        cajas.llamadas.clear();
        Inyeccion::LimitarMemoria(8 << 20);
        const bool cargada = c.texto.endsWith("muestra") ? CargarMuestra(ruta, nullptr) : CargarImagenEscaneo(ruta, nullptr);
        Inyeccion::LimitarMemoria(0);
        ASSERT_FALSE(cargada);
        ASSERT_EQ(cajas.llamadas.size(), 1);
        EXPECT_EQ(cajas.llamadas[0].texto, c.texto + ": " + ruta +
                                               QStringLiteral("\r\nNo hay memoria suficiente para cargar la imagen: 2000 x 1500 px necesitan %1 MB.")
                                                   .arg((necesita + (1 << 20) - 1) >> 20));
        // With the memory back, the same file loads.
        EXPECT_TRUE(CargarImagenEscaneo(ruta, nullptr));
    }
}
