// The mended file a codec reads: pieces of the file and bytes of our own,
// read, sought and told as one file, through its buffer and past it.

#include "support/imagen.h"

#include "imaging/lector.h"
#include "support/inyeccion/inyeccion.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using modFreeImage::Lector, modFreeImage::Pieza;

namespace {
struct Abierto {
    explicit Abierto(const QByteArray &bytes)
        : fd(::open(QFile::encodeName(Poner(prueba::Ruta(QStringLiteral("lector.bin")), bytes)).constData(), O_RDONLY))
    {
    }
    ~Abierto() { ::close(fd); }
    int fd;
};
QByteArray Leidos(Lector &l, int64_t n)
{
    QByteArray b(n, '\0');
    b.resize(l.Leer(b.data(), n));
    return b;
}
} // namespace

TEST(Lector, SusPiezasSeLeenComoUnFichero)
{
    QByteArray fichero(200000, '\0');
    for (int i = 0; i < fichero.size(); ++i) fichero[i] = char(i * 7 + i / 251);
    Abierto a(fichero);
    Archivos::Flujo f(a.fd);
    Lector l(f, {{10, 5, {}}, {0, 0, "ab"}, {100, 100, {}}, {0, 0, "z"}, {100000, Pieza::kResto, {}}});
    const QByteArray todo = fichero.mid(10, 5) + "ab" + fichero.mid(100, 100) + "z" + fichero.mid(100000);
    EXPECT_EQ(l.Tamano(), todo.size());
    EXPECT_EQ(Leidos(l, 1 << 20), todo); // one read across every piece, the last past the buffer
    EXPECT_EQ(Leidos(l, 1), QByteArray()); // at the end

    // Reads that start and stop anywhere, after seeks of every origin.
    const struct { int64_t desplazamiento; int origen; int64_t n; } casos[] = {
        {3, SEEK_SET, 6}, {-3, SEEK_CUR, 10}, {-51000, SEEK_END, 2}, {0, SEEK_SET, 108}, {110, SEEK_SET, 70000}};
    for (const auto &c : casos) {
        const int64_t desde = (c.origen == SEEK_SET ? 0 : c.origen == SEEK_END ? l.Tamano() : l.Posicion()) + c.desplazamiento;
        ASSERT_TRUE(l.Posicionar(c.desplazamiento, c.origen));
        EXPECT_EQ(l.Posicion(), desde);
        EXPECT_EQ(Leidos(l, c.n), todo.mid(desde, c.n)) << desde;
        EXPECT_EQ(l.Posicion(), desde + c.n);
    }
    // Past the end nothing is read; before the start is a failed seek.
    EXPECT_TRUE(l.Posicionar(10, SEEK_END));
    EXPECT_EQ(Leidos(l, 4), QByteArray());
    EXPECT_FALSE(l.Posicionar(-1, SEEK_SET) || f.Error() != EINVAL || l.Posicionar(0, SEEK_SET));
    EXPECT_EQ(Leidos(l, 4), QByteArray());

    // A mended file that ends in bytes of our own: read to its end and no further.
    Archivos::Flujo sano(a.fd);
    Lector remendado(sano, {{0, 4, {}}, {0, 0, "fin"}});
    EXPECT_EQ(Leidos(remendado, 100), fichero.left(4) + "fin");
    EXPECT_EQ(Leidos(remendado, 1), QByteArray());

    // The library's reads: a read past the end is completed with zeros and noted.
    Archivos::Flujo otro(a.fd);
    Lector entero(otro);
    FreeImageIO io = entero.IO();
    char b[8] = "xxxxxxx";
    modFreeImage::LimpiarMensaje();
    EXPECT_EQ(io.seek_proc(&entero, -3, SEEK_END), 0);
    EXPECT_EQ(io.read_proc(b, 2, 3, &entero), 1u);
    EXPECT_EQ((std::pair{QByteArray(b, 6), modFreeImage::LecturaCorta()}), (std::pair{fichero.right(3) + QByteArray(3, '\0'), true}));
    EXPECT_EQ(io.tell_proc(&entero), 200000);
}

// A codec reads a few bytes at a time (a GIF's blocks, 255 bytes each): the
// buffer makes a system call of every 64 KiB, not of every read.
TEST(Lector, LasLecturasPequenasPasanPorElBuffer)
{
    QByteArray fichero(200000, '\0');
    for (int i = 0; i < fichero.size(); ++i) fichero[i] = char(i * 13 + i / 509);
    Abierto a(fichero);
    Archivos::Flujo f(a.fd);
    Lector l(f);
    QByteArray leido;
    {
        // A rule that never fires, to count the file's reads.
        const Inyeccion::Fallos cuenta({{Inyeccion::Llamada::Leer, "lector.bin", 1 << 30}});
        for (QByteArray b; !(b = Leidos(l, 255)).isEmpty();) leido += b;
        EXPECT_LE(cuenta.Vistas(0), 8); // 200,000 bytes in 64 KiB reads, and the end
    }
    EXPECT_EQ(leido, fichero);
}
