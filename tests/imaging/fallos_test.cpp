// Faults of the system under the loader (support/inyeccion/): a read that
// fails at every read of a small file of each format, and memory that runs
// out under a limit the estimate cannot see.

#include "support/imagen.h"

#include "imaging/apertura.h"
#include "imaging/cargar.h"
#include "support/inyeccion/inyeccion.h"
#include "support/scripted.h"

#include <climits>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace modImage;
using Inyeccion::Llamada;

namespace {

// Ends the process when one load outlives a generous limit: a hang must
// fail the test, not stall the suite.
class Vigia {
public:
    Vigia()
        : hilo_([this] {
              std::unique_lock<std::mutex> l(m_);
              while (!fin_) {
                  const uint64_t visto = vuelta_;
                  if (!cv_.wait_for(l, std::chrono::seconds(60), [&] { return fin_ || vuelta_ != visto; })) {
                      std::fprintf(stderr, "load hangs: %s\n", caso_.c_str());
                      std::_Exit(3);
                  }
              }
          })
    {
    }
    ~Vigia()
    {
        {
            std::lock_guard<std::mutex> l(m_);
            fin_ = true;
        }
        cv_.notify_all();
        hilo_.join();
    }
    void Caso(const std::string &c)
    {
        std::lock_guard<std::mutex> l(m_);
        caso_ = c;
        ++vuelta_;
        cv_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::string caso_;
    uint64_t vuelta_ = 0;
    bool fin_ = false;
    std::thread hilo_;
};

uint32_t Ruido(int x, int y) { return (uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) * 2654435761u; }

} // namespace

TEST(FalloDeLectura, CadaLecturaDeCadaFormatoTerminaLaCargaConElMotivo)
{
    CajasGuionadas cajas;
    modFreeImage::Bitmap gris(FreeImage_ConvertTo8Bits(modFreeImage::Bitmap(prueba::Color24(40, 30, Ruido)).get()));
    const std::tuple<FREE_IMAGE_FORMAT, const char *, FIBITMAP *> casos[] = {
        {FIF_PNG, "png", prueba::Color24(40, 30, Ruido)},   {FIF_JPEG, "jpg", prueba::Color24(40, 30, Ruido)},
        {FIF_TIFF, "tif", prueba::Color24(40, 30, Ruido)},  {FIF_BMP, "bmp", prueba::Color24(40, 30, Ruido)},
        {FIF_GIF, "gif", FreeImage_Clone(gris.get())},      {FIF_WEBP, "webp", prueba::Color24(40, 30, Ruido)}};
    Vigia vigia;
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
            vigia.Caso(std::string(ext) + " read " + std::to_string(n));
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
    const auto hondo = [] {
        FIBITMAP *b = FreeImage_AllocateT(FIT_UINT16, 2000, 1500, 16);
        for (int y = 0; y < 1500; ++y)
            for (int x = 0; x < 2000; ++x) reinterpret_cast<uint16_t *>(FreeImage_GetScanLine(b, y))[x] = uint16_t(x * 31 + y);
        return b;
    };
    // 8 MiB may be had at once: a 2000 x 1500 bitmap of 24 bits (9 MB) may
    // not; 16-bit grey decodes (6 MB) and then finds no room for 24 bits,
    // and so does 8-bit grey through the library's conversion.
    const struct { QString nombre; FIBITMAP *b; FREE_IMAGE_FORMAT fif; QString texto; } casos[] = {
        {"memoria.jpg", prueba::Color24(2000, 1500, Ruido), FIF_JPEG, "Error al cargar"},
        {"memoria16.png", hondo(), FIF_PNG, "Error al cargar"},
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
