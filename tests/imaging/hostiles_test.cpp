// Hostile files, made here, refused before any codec decodes them, with the
// file and the reason in a box with its icon: sizes that would exhaust memory,
// pipes, folders and devices, formats the dialogs do not offer, no access.

#include "support/imagen.h"

#include "imaging/cargar.h"
#include "platform/memoria.h"
#include "support/scripted.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace modImage;

namespace {
QByteArray LE16(int v) { return QByteArray(1, char(v & 0xFF)) + char(v >> 8); }
// A GIF of a few bytes whose screen and first frame claim w x h.
QByteArray GifQueDice(int w, int h)
{
    return "GIF89a" + LE16(w) + LE16(h) + QByteArray("\0\0\0", 3) + QByteArray("\x21\xF9\x04\0\0\0\0\0", 8) + "\x2C" +
           LE16(0) + LE16(0) + LE16(w) + LE16(h) + QByteArray("\0\x08\x02\x4C\x01\0\x3B", 7);
}
} // namespace

TEST(Hostiles, RechazadosAntesDeDecodificarConElMotivo)
{
    QTemporaryDir dir;
    auto poner = [&dir](const QString &n, const QByteArray &b) { return Poner(dir.filePath(n), b); };
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("tuberia.png")).constData(), 0644), 0);
    ASSERT_TRUE(QDir().mkpath(dir.filePath("carpeta.png")));
    ASSERT_TRUE(QFile::link("/dev/null", dir.filePath("nulo.png")));
    QTemporaryDir cerrada; // as nobody, a folder of root's cannot be entered
    const QString secreto = cerrada.filePath("secreto.png");
    QFile::copy(prueba::Guardar(prueba::Color24(2, 2, [](int, int) { return 0u; }), FIF_PNG, "s.png"), secreto);
    ::chmod(QFile::encodeName(secreto).constData(), 0);
    // 1024 x 1024 at 24 bits: the buffers take 6 MiB, a TIFF decodes
    // through a 4 MiB raster beside its 3 MiB bitmap.
    const QString tiff = prueba::Guardar(prueba::Color24(1024, 1024, [](int, int) { return 0x808080u; }), FIF_TIFF, "mega.tif", TIFF_LZW);

    const QString admitidos = QStringLiteral(". Se pueden abrir BMP, JPEG, PNG, TIFF, GIF y WebP.");
    const struct {
        QString ruta, motivo;
        int64_t memoria = -1; // the memory available, when it matters
        bool comoOtro = false; // read with an ordinary user's rights
    } casos[] = {
        {poner("gigante.gif", GifQueDice(32768, 32768)),
         "Imagen demasiado grande: 32768 x 32768 px necesitan 4096 MB de memoria y hay 1024 MB disponibles.", 1LL << 30},
        {tiff, "Imagen demasiado grande: 1024 x 1024 px necesitan 7 MB de memoria y hay 6 MB disponibles.", 13LL << 19},
        {poner("ancho.gif", GifQueDice(65535, 65535)),
         "Imagen demasiado grande: 65535 x 65535 px necesitan 16384 MB de memoria (el máximo es 1073741824 píxeles)."},
        {dir.filePath("tuberia.png"), "No es un fichero normal: es un dispositivo, una tubería o un socket."},
        {dir.filePath("nulo.png"), "No es un fichero normal: es un dispositivo, una tubería o un socket."},
        {dir.filePath("carpeta.png"), "Es una carpeta, no un fichero."},
        {secreto, "No se puede leer el fichero: Permiso denegado", -1, true},
        {poner("capas.psd", "8BPS\0\x01\0\0\0\0\0\0\0\x03"), "Formato no admitido: PSD" + admitidos},
        {poner("textura.dds", "DDS |\0\0\0"), "Formato no admitido: DDS" + admitidos},
        {poner("hdr.exr", "\x76\x2F\x31\x01\x02\0\0\0"), "Formato no admitido: EXR" + admitidos},
        {poner("capas_como.png", "8BPS\0\x01\0\0\0\0\0\0\0\x03"), "No es una imagen o está dañada."},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.ruta.toStdString());
        Memoria::FijarDisponible(c.memoria);
        CajasGuionadas cajas;
        HayEscaneo = HayMuestra = false;
        {
            std::optional<ComoOtroUsuario> nadie;
            if (c.comoOtro) nadie.emplace();
            LeerInfoImagen(c.ruta); // silent, and never blocks
            EXPECT_FALSE(CargarImagenEscaneo(c.ruta, nullptr));
            EXPECT_FALSE(CargarMuestra(c.ruta, nullptr));
        }
        ASSERT_EQ(cajas.llamadas.size(), 2);
        EXPECT_EQ(cajas.llamadas[0].texto.toStdString(), ("Error al cargar: " + c.ruta + "\r\n" + c.motivo).toStdString());
        EXPECT_EQ(cajas.llamadas[1].texto.toStdString(), ("Error al cargar la muestra: " + c.ruta + "\r\n" + c.motivo).toStdString());
        for (const auto &l : cajas.llamadas) EXPECT_EQ(l.Icono(), int(MsgBox::Exclamation));
        EXPECT_FALSE(HayEscaneo || HayMuestra);
    }
    Memoria::FijarDisponible(-1);
    // With the memory it needs, the same TIFF loads.
    CajasGuionadas cajas;
    EXPECT_TRUE(CargarImagenEscaneo(tiff, nullptr));
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}
