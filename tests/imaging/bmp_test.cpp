// BMP files as today's writers make them (later info headers, colour masks,
// RLE rows each closed by an end-of-line code), built byte by byte: each
// loads with the pixels, resolution and messages of its twin in the oldest
// layout, which the image library reads as it is. Kinds the program does
// not read are named as such; damage is still damage. Where ImageMagick is
// installed, the files it writes load with its own pixels.

#include "support/imagen.h"

#include "construidos.h"

#include "imaging/cargar.h"
#include "imaging/perfilbmp.h"
#include "imaging/perfilicc.h"
#include "platform/memoria.h"
#include "support/scripted.h"

#include <QColorSpace>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace modImage;
using construido::Bmp, construido::LE16, construido::LE32;

namespace {

constexpr int W = 5, H = 3;
constexpr uint32_t kCampos = 3, kRLE8 = 1, kRLE4 = 2;

// Rows of w pixels, bottom-up, each padded to 4 bytes.
QByteArray Filas(int bytesPorFila, const std::function<QByteArray(int, int)> &pixel, int w = W, int h = H)
{
    QByteArray d;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray fila;
        for (int x = 0; x < w; ++x) fila += pixel(x, y);
        d += fila.leftJustified((bytesPorFila + 3) / 4 * 4, '\0');
    }
    return d;
}
QByteArray Bytes(std::initializer_list<int> v)
{
    QByteArray b;
    for (int c : v) b += char(c);
    return b;
}
QByteArray Bgr(int x, int y) { return Bytes({10 + 40 * x, 5 + 30 * y, 7 * x + 3 * y}); }
QByteArray Bgra(int x, int y) { return Bgr(x, y) + char(0xFF); }
// 5-bit red and blue, 5 or 6-bit green, black and white among them.
uint32_t Canal(int x, int y, int bits) { return x + y == 0 ? 0 : x + y == 6 ? (1u << bits) - 1 : uint32_t(x * 7 + y * 5) % (1u << bits); }
QByteArray P555(int x, int y) { return LE16(Canal(x, y, 5) << 10 | Canal(y, x, 5) << 5 | Canal(x + 1, y, 5)); }
QByteArray P565(int x, int y) { return LE16(Canal(x, y, 5) << 11 | Canal(y, x, 6) << 5 | Canal(x + 1, y, 5)); }
// Sixteen colours, blue, green, red, reserved.
QByteArray Paleta()
{
    QByteArray p;
    for (int i = 0; i < 16; ++i) p += Bytes({i * 16, 255 - i * 16, i * 8, 0});
    return p;
}

// The scan's pixels and the sample's resolution after loading, or why not.
struct Cargado {
    Bloque px;
    double dpiX = 0, dpiY = 0;
    QString caja;
    bool operator==(const Cargado &o) const { return px == o.px && dpiX == o.dpiX && dpiY == o.dpiY && caja == o.caja; }
    friend void PrintTo(const Cargado &c, std::ostream *os)
    {
        *os << c.px.size() << " bytes, " << c.dpiX << " x " << c.dpiY << " dpi, \"" << c.caja.toStdString() << '"';
    }
};
Cargado Cargar(const QString &nombre, const QByteArray &bytes)
{
    const QString r = Poner(prueba::Ruta(nombre), bytes);
    CajasGuionadas cajas;
    Cargado c;
    HayEscaneo = false;
    if (CargarImagenEscaneo(r, nullptr)) c.px = PixelesEscaneo;
    LeerInfoImagen(r);
    if (CargarMuestra(r, nullptr)) c.dpiX = DpiX(), c.dpiY = DpiY();
    // The reason of the first box, without the file's name.
    if (!cajas.llamadas.isEmpty()) c.caja = cajas.llamadas[0].texto.section(QStringLiteral("\r\n"), 1);
    return c;
}

} // namespace

TEST(Bmp, CabecerasNuevasYRLECarganComoSuGemelaAntigua)
{
    const QByteArray p24 = Filas(3 * W, Bgr), p32 = Filas(4 * W, Bgra), p555 = Filas(2 * W, P555), p565 = Filas(2 * W, P565);
    const std::initializer_list<uint32_t> m555 = {0x7C00, 0x3E0, 0x1F}, m565 = {0xF800, 0x7E0, 0x1F};
    // Indices bottom-up: 1 1 1 4 4 / 7 7 7 7 7 / 2 3 4 5 6 (top), and the
    // same in RLE8 as ImageMagick writes it: runs, a literal run (odd: one
    // pad byte), each row's end-of-line, then the end of the bitmap.
    const QByteArray i8 = QByteArray("\1\1\1\4\4\0\0\0\7\7\7\7\7\0\0\0\2\3\4\5\6\0\0\0", 24);
    const QByteArray rle8 = QByteArray("\3\1\2\4\0\0" "\5\7\0\0" "\0\5\2\3\4\5\6\0\0\0" "\0\1", 22);
    // 4 bits: 1 2 1 2 1 / 3 4 5 6 7 / A B A B C, as runs and a literal run.
    const QByteArray i4 = QByteArray("\x12\x12\x10\0\x34\x56\x70\0\xAB\xAB\xC0\0", 12);
    const QByteArray rle4 = QByteArray("\5\x12\0\0" "\0\5\x34\x56\x70\0\0\0" "\4\xAB\1\xC0\0\0" "\0\1", 20);
    const struct { const char *nombre; QByteArray bytes, gemela; } casos[] = {
        {"v5_24.bmp", Bmp(124, W, H, 24, 0, p24), Bmp(40, W, H, 24, 0, p24)}, // ImageMagick's default
        {"v4_24.bmp", Bmp(108, W, H, 24, 0, p24), Bmp(40, W, H, 24, 0, p24)},
        {"v3_52.bmp", Bmp(52, W, H, 24, 0, p24), Bmp(40, W, H, 24, 0, p24)},
        {"v3_56.bmp", Bmp(56, W, H, 24, 0, p24), Bmp(40, W, H, 24, 0, p24)},
        {"os2_64.bmp", Bmp(64, W, H, 24, 0, p24), Bmp(40, W, H, 24, 0, p24)},
        {"v5_32_alfa.bmp", Bmp(124, W, H, 32, kCampos, p32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}), Bmp(40, W, H, 32, 0, p32)},
        {"v5_32_alfa_campos.bmp", Bmp(124, W, H, 32, 6, p32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}), Bmp(40, W, H, 32, 0, p32)},
        {"v5_555.bmp", Bmp(124, W, H, 16, kCampos, p555, m555), Bmp(40, W, H, 16, 0, p555)},
        {"v5_565.bmp", Bmp(124, W, H, 16, kCampos, p565, m565), Bmp(40, W, H, 16, kCampos, p565, m565)},
        {"v4_565.bmp", Bmp(108, W, H, 16, kCampos, p565, m565), Bmp(40, W, H, 16, kCampos, p565, m565)},
        {"v5_8.bmp", Bmp(124, W, H, 8, 0, i8, {}, Paleta()), Bmp(40, W, H, 8, 0, i8, {}, Paleta())},
        {"rle8.bmp", Bmp(40, W, H, 8, kRLE8, rle8, {}, Paleta()), Bmp(40, W, H, 8, 0, i8, {}, Paleta())},
        {"v5_rle8.bmp", Bmp(124, W, H, 8, kRLE8, rle8, {}, Paleta()), Bmp(40, W, H, 8, 0, i8, {}, Paleta())},
        {"v5_rle4.bmp", Bmp(124, W, H, 4, kRLE4, rle4, {}, Paleta()), Bmp(40, W, H, 4, 0, i4, {}, Paleta())},
        // Damage found in the twin as in the newer layout: one byte short.
        {"v5_corto.bmp", Bmp(124, W, H, 24, 0, p24).chopped(1), Bmp(40, W, H, 24, 0, p24).chopped(1)},
        {"v5_rle8_corto.bmp", Bmp(124, W, H, 8, kRLE8, rle8.chopped(2), {}, Paleta()), Bmp(40, W, H, 8, kRLE8, rle8.chopped(4), {}, Paleta())},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        const Cargado gemela = Cargar(QStringLiteral("gemela.bmp"), c.gemela), cargado = Cargar(c.nombre, c.bytes);
        EXPECT_EQ(cargado, gemela) << cargado.caja.toStdString();
        if (!QByteArray(c.nombre).contains("corto")) {
            EXPECT_TRUE(gemela.caja.isEmpty() && gemela.px.size() == size_t(16 * H)) << gemela.caja.toStdString();
            EXPECT_NEAR(cargado.dpiX + cargado.dpiY, 599.9988, 1e-9);
        } else {
            EXPECT_EQ(cargado.caja, QStringLiteral("No es una imagen o está dañada."));
        }
    }
    // A few pixels by value: the 24-bit pattern; 5 and 6-bit black and white.
    const Cargado v5 = Cargar("v5.bmp", casos[0].bytes), c565 = Cargar("c565.bmp", casos[8].bytes);
    EXPECT_EQ(prueba::Pixel(v5.px, H, 16, 4, 2), 0x2241AAu); // red 34, green 65, blue 170
    EXPECT_EQ((std::pair{prueba::Pixel(c565.px, H, 16, 0, 0) & 0xFFFF00, prueba::Pixel(c565.px, H, 16, 4, 2) & 0xFFFF00}),
              (std::pair{0u, 0xFFFF00u}));
    // The header read alone describes the newer layout too.
    LeerInfoImagen(Poner(prueba::Ruta("info.bmp"), Bmp(124, 7, 2, 24, 0, Filas(21, Bgr, 7, 2))));
    EXPECT_EQ((std::tuple{AnchoMuestra, AltoMuestra, DpiX()}), (std::tuple{7, 2, 11811 * 0.0254}));
}

TEST(Bmp, LoQueNoSeLeeSeNombraYLaMemoriaSeMiraAntes)
{
    const QByteArray p24 = Filas(3 * W, Bgr);
    const QString variante = QStringLiteral("Variante de BMP no admitida: %1.");
    QByteArray dentro = Bmp(124, W, H, 24, 0, p24), grande = Bmp(200, W, H, 24, 0, p24);
    dentro.replace(10, 4, LE32(100)); // the pixels inside the info header
    const struct { const char *nombre; QByteArray bytes; QString motivo; } casos[] = {
        {"jpeg.bmp", Bmp(124, W, H, 0, 4, "\xFF\xD8\xFF\xD9"), variante.arg("JPEG incrustado")},
        {"png.bmp", Bmp(124, W, H, 0, 5, "\x89PNG"), variante.arg("PNG incrustado")},
        {"cmyk.bmp", Bmp(40, W, H, 32, 11, Filas(4 * W, Bgra)), variante.arg("CMYK")},
        {"cmyk_rle8.bmp", Bmp(124, W, H, 8, 12, "\0\1"), variante.arg("CMYK")},
        {"dos_bits.bmp", Bmp(40, W, H, 2, 0, QByteArray(12, '\0'), {}, Paleta().left(16)), variante.arg("2 bits por píxel")},
        {"64_bits.bmp", Bmp(124, W, H, 64, 0, QByteArray(8 * 8 * H, '\0')), variante.arg("64 bits por píxel")},
        {"huffman.bmp", Bmp(64, W, H, 1, 3, QByteArray(12, '\0')), variante.arg("compresión Huffman de OS/2")},
        {"rle24.bmp", Bmp(64, W, H, 24, 4, QByteArray(12, '\0')), variante.arg("compresión RLE24 de OS/2")},
        {"444.bmp", Bmp(124, W, H, 16, kCampos, Filas(2 * W, P555), {0xF00, 0xF0, 0xF}),
         variante.arg("16 bits por píxel en canales que no son 5-5-5 ni 5-6-5")},
        {"v3_444.bmp", Bmp(40, W, H, 16, kCampos, Filas(2 * W, P555), {0xF00, 0xF0, 0xF}),
         variante.arg("16 bits por píxel en canales que no son 5-5-5 ni 5-6-5")},
        // Named from the header, before any pixel is read.
        {"444_sin_pixeles.bmp", Bmp(40, W, H, 16, kCampos, {}, {0xF00, 0xF0, 0xF}),
         variante.arg("16 bits por píxel en canales que no son 5-5-5 ni 5-6-5")},
        {"555_azul_ancho.bmp", Bmp(40, W, H, 16, kCampos, Filas(2 * W, P555), {0x7C00, 0x3E0, 0x3F}),
         variante.arg("16 bits por píxel en canales que no son 5-5-5 ni 5-6-5")},
        {"101010.bmp", Bmp(124, W, H, 32, kCampos, Filas(4 * W, Bgra), {0x3FF00000, 0xFFC00, 0x3FF}),
         variante.arg("32 bits por píxel en canales que no son de 8 bits")},
        {"rgba.bmp", Bmp(124, W, H, 32, kCampos, Filas(4 * W, Bgra), {0xFF000000, 0xFF0000, 0xFF00}),
         variante.arg("32 bits por píxel en canales que no son de 8 bits")},
        // Damage, whatever the header's age.
        {"cabecera_200.bmp", grande, "No es una imagen o está dañada."},
        {"pixeles_en_la_cabecera.bmp", dentro, "No es una imagen o está dañada."},
        {"cabecera_cortada.bmp", Bmp(124, W, H, 24, 0, p24).left(100), "No es una imagen o está dañada."},
        {"rle8_en_24_bits.bmp", Bmp(124, W, H, 24, kRLE8, p24), "No es una imagen o está dañada."},
    };
    for (const auto &c : casos) EXPECT_EQ(Cargar(c.nombre, c.bytes).caja, c.motivo) << c.nombre;

    // The memory a load takes is weighed before decoding, as for its twin
    // (8 bits a pixel, and their way to 24).
    Memoria::FijarDisponible(64 << 20);
    const QByteArray v5 = Bmp(124, 6000, 4000, 8, 0, {}, {}, Paleta()), v3 = Bmp(40, 6000, 4000, 8, 0, {}, {}, Paleta());
    const Cargado grandeV5 = Cargar("grande_v5.bmp", v5), grandeV3 = Cargar("grande_v3.bmp", v3);
    Memoria::FijarDisponible(-1);
    EXPECT_EQ(grandeV5.caja, grandeV3.caja);
    EXPECT_TRUE(grandeV5.caja.startsWith("Imagen demasiado grande: 6000 x 4000 px necesitan ")) << grandeV5.caja.toStdString();
}

// A profile after the pixels of a 124-byte header, as ImageMagick writes it:
// shown, kept as the sample's copy, byte for byte; what is not a profile
// there, or names a file, is no profile and the image still loads.
TEST(Bmp, ElPerfilIncrustadoEsElDeLaImagen)
{
    const QByteArray perfil = QColorSpace(QColorSpace::Primaries::AdobeRgb, 2.2f).iccProfile();
    const QByteArray base = Bmp(124, W, H, 24, 0, Filas(3 * W, Bgr));
    // The header's colour space, profile offset (from the info header) and size.
    auto con = [&](uint32_t tipo, const QByteArray &datos, int64_t desplazar = 0, int64_t largo = -1) {
        QByteArray b = base + datos;
        b.replace(14 + 56, 4, LE32(tipo));
        b.replace(14 + 112, 4, LE32(uint32_t(base.size() - 14 + desplazar)));
        b.replace(14 + 116, 4, LE32(uint32_t(largo < 0 ? datos.size() : largo)));
        b.replace(2, 4, LE32(uint32_t(b.size())));
        return b;
    };
    constexpr uint32_t kMBED = 0x4D424544, kLINK = 0x4C494E4B, kSRGB = 0x73524742;
    QByteArray tamanoMalo = perfil;
    tamanoMalo[3] = char(tamanoMalo[3] + 4);
    const struct { const char *caso; QByteArray bytes, esperado; } casos[] = {
        {"embedded", con(kMBED, perfil), perfil},
        {"linked", con(kLINK, "/usr/share/color/icc/sRGB.icc" + QByteArray(120, '\0')), {}},
        {"its own size other than the header's", con(kMBED, tamanoMalo), {}},
        {"no profile signature", con(kMBED, QByteArray(perfil).replace(36, 4, "xxxx")), {}},
        {"past the end of the file", con(kMBED, perfil, 8), {}},
        {"too short to be one", con(kMBED, perfil.left(100)), {}},
        {"sRGB by name", base, {}},
        {"sRGB by name, the profile fields left set", con(kSRGB, perfil), {}},
    };
    const auto copia = [] { return RutaPerfilICCTemp().isEmpty() ? QByteArray() : Leer(RutaPerfilICCTemp()); };
    const Cargado gemelo = Cargar("gemelo.bmp", Bmp(40, W, H, 24, 0, Filas(3 * W, Bgr)));
    for (const auto &c : casos) {
        SCOPED_TRACE(c.caso);
        EXPECT_EQ(Cargar("perfil.bmp", c.bytes), gemelo);
        EXPECT_EQ(copia(), c.esperado);
        EXPECT_EQ(DescripcionPerfilICC(), c.esperado.isEmpty() ? "Sin perfil ICC" : "Adobe RGB");
    }
    BorrarPerfilICCTemporal();
}

// A profile is at most 64 MiB, as anywhere else.
TEST(Bmp, UnPerfilDeMasDe64MiBNoEsUno)
{
    for (const int64_t largo : {modICC::kMaximoPerfil, modICC::kMaximoPerfil + 1}) {
        QByteArray perfil(largo, '\0');
        perfil.replace(0, 4, QByteArray::fromHex(QByteArray::number(qulonglong(largo), 16).rightJustified(8, '0')));
        perfil.replace(36, 4, "acsp");
        QByteArray b = Bmp(124, 1, 1, 24, 0, QByteArray(4, '\0'));
        const uint32_t desde = uint32_t(b.size() - 14);
        b.replace(14 + 56, 4, LE32(0x4D424544));
        b.replace(14 + 112, 4, LE32(desde));
        b.replace(14 + 116, 4, LE32(uint32_t(largo)));
        const QString r = Poner(prueba::Ruta("grande.bmp"), b + perfil);
        const int fd = ::open(QFile::encodeName(r).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        Archivos::Flujo f(fd);
        modFreeImage::Bitmap bmp(FreeImage_Allocate(1, 1, 24));
        modICC::PerfilBMP(f, bmp.get());
        ::close(fd);
        EXPECT_EQ(FreeImage_GetICCProfile(bmp.get())->size, largo == modICC::kMaximoPerfil ? largo : 0) << largo;
    }
}

TEST(Bmp, LosDeImageMagickConSusPixeles)
{
    QProcess version;
    version.start(QStringLiteral("convert"), {QStringLiteral("-version")});
    if (!version.waitForFinished(10000) || version.exitCode() != 0 || !version.readAllStandardOutput().contains("ImageMagick"))
        GTEST_SKIP() << "ImageMagick is not installed: its BMP files are not checked";
    FIBITMAP *b = prueba::Color24(37, 23, prueba::Ruido);
    FreeImage_SetDotsPerMeterX(b, 11811), FreeImage_SetDotsPerMeterY(b, 11811);
    const QString png = prueba::Guardar(b, FIF_PNG, QStringLiteral("im.png"));
    // Its default (a later header), 16 bits both ways, 32 with alpha, RLE8 and RLE4.
    const struct { const char *nombre; QStringList opciones; int tolerancia; } casos[] = {
        {"im.bmp", {}, 0},
        {"im565.bmp", {"-define", "bmp:subtype=RGB565"}, 1},
        {"im555.bmp", {"-define", "bmp:subtype=RGB555"}, 1},
        {"im32.bmp", {"-alpha", "on", "-define", "bmp:subtype=ARGB8888"}, 0},
        {"im_rle8.bmp", {"-colors", "200", "-type", "Palette", "-compress", "RLE"}, 0},
        {"im_rle4.bmp", {"-colors", "16", "-type", "Palette", "-compress", "RLE"}, 0},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        const QString bmp = prueba::Ruta(c.nombre);
        ASSERT_EQ(QProcess::execute(QStringLiteral("convert"), QStringList{png} + c.opciones + QStringList{bmp}), 0);
        QProcess rgb;
        rgb.start(QStringLiteral("convert"), {bmp, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgb:-")});
        ASSERT_TRUE(rgb.waitForFinished(30000));
        const QByteArray suyos = rgb.readAllStandardOutput();
        ASSERT_EQ(suyos.size(), 37 * 23 * 3);
        const Cargado nuestro = Cargar(QStringLiteral("copia_") + c.nombre, Leer(bmp));
        ASSERT_TRUE(nuestro.caja.isEmpty()) << nuestro.caja.toStdString();
        EXPECT_NEAR(nuestro.dpiX, 299.9994, 0.01);
        int peor = 0;
        for (int i = 0; i < suyos.size(); ++i) {
            const uint32_t p = prueba::Pixel(nuestro.px, 23, int32_t(PasoDeAncho(37)), i / 3 % 37, i / 3 / 37);
            peor = std::max(peor, std::abs(int(p >> (16 - 8 * (i % 3)) & 0xFF) - int(uint8_t(suyos[i]))));
        }
        EXPECT_LE(peor, c.tolerancia);
    }
    // Its default with a profile: the profile after the pixels.
    const QString perfil = prueba::Ruta("perfil.icc"), conPerfil = prueba::Ruta("im_icc.bmp");
    Poner(perfil, QColorSpace(QColorSpace::Primaries::AdobeRgb, 2.2f).iccProfile());
    ASSERT_EQ(QProcess::execute(QStringLiteral("convert"), {png, QStringLiteral("-profile"), perfil, conPerfil}), 0);
    EXPECT_TRUE(Cargar(QStringLiteral("copia_im_icc.bmp"), Leer(conPerfil)).caja.isEmpty());
    EXPECT_EQ(Leer(RutaPerfilICCTemp()), Leer(perfil));
    BorrarPerfilICCTemporal();
}
