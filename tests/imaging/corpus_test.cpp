// Bad files: empty, cut, bit-flipped, misnamed and with absurd declared sizes.
// Each is refused with its message (or decoded as far as the codec allows),
// never crashes, and leaves the image already loaded as it was.

#include "imagenes.h"

#include "imaging/cargar.h"
#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"
#include "support/scripted.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace modImage;

namespace {
uint32_t Ruido(int x, int y)
{
    uint32_t v = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
    v ^= v >> 13;
    return v * 2654435761u;
}

struct Formato {
    FREE_IMAGE_FORMAT fif;
    const char *ext;
    int flags;
};
const Formato kFormatos[] = {{FIF_PNG, ".png", 0}, {FIF_JPEG, ".jpg", 90}, {FIF_TIFF, ".tif", TIFF_LZW},
                             {FIF_BMP, ".bmp", 0}, {FIF_WEBP, ".webp", 0}};

QByteArray Valido(const Formato &f)
{
    const QString r = prueba::Guardar(prueba::Color24(48, 32, Ruido), f.fif,
                                      QStringLiteral("valido") + QLatin1String(f.ext), f.flags);
    return prueba::LeerArchivo(r);
}

// Loads a known scan to compare against.
class Corpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        CargarImagenEscaneo(prueba::Guardar(prueba::Color24(5, 3, [](int x, int y) { return uint32_t(x * 40 + y); }),
                                            FIF_BMP, QStringLiteral("conocido.bmp")),
                            nullptr);
        ASSERT_TRUE(HayEscaneo);
        conocido_ = PixelesEscaneo;
    }

    // Loads the bytes under the name; a refusal must show exactly one box
    // with one of the texts and keep the known scan; an acceptance must give
    // a whole buffer. The known scan is put back either way.
    void Probar(const QByteArray &bytes, const QString &nombre, const QStringList &textos)
    {
        SCOPED_TRACE(nombre.toStdString());
        const QString r = prueba::Ruta(nombre);
        prueba::EscribirArchivo(r, bytes);
        CajasGuionadas cajas;
        CargarImagenEscaneo(r, nullptr);
        if (cajas.llamadas.isEmpty()) {
            ++aceptados;
            ASSERT_TRUE(HayEscaneo);
            ASSERT_EQ(PixelesEscaneo.size(), size_t(PasoEscaneo) * AltoEscaneo);
            ASSERT_EQ(PasoEscaneo, PasoDeAncho(AnchoEscaneo));
            SetUp();
            return;
        }
        ++rechazados;
        ASSERT_EQ(cajas.llamadas.size(), 1);
        EXPECT_TRUE(textos.contains(cajas.llamadas[0].texto)) << cajas.llamadas[0].texto.toStdString();
        EXPECT_TRUE(HayEscaneo);
        EXPECT_EQ(AnchoEscaneo, 5);
        EXPECT_EQ(AltoEscaneo, 3);
        EXPECT_EQ(PixelesEscaneo, conocido_);
    }
    void Rechazar(const QByteArray &bytes, const QString &nombre, const QString &texto)
    {
        const int antes = rechazados;
        Probar(bytes, nombre, {texto});
        EXPECT_EQ(rechazados, antes + 1) << nombre.toStdString() << " was accepted";
    }

    Pixeles conocido_;
    int aceptados = 0, rechazados = 0;
};

const QString kCargar = QStringLiteral("Error al cargar");
const QString kConvertir = QStringLiteral("Error al convertir");

uint32_t Crc32(const QByteArray &d)
{
    uint32_t c = 0xFFFFFFFFu;
    for (char ch : d) {
        c ^= uint8_t(ch);
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}
void PonerU32LE(QByteArray &d, int o, uint32_t v)
{
    for (int k = 0; k < 4; ++k) d[o + k] = char(v >> (8 * k));
}
} // namespace

TEST_F(Corpus, VaciosCortadosYNombresEquivocados)
{
    for (const Formato &f : kFormatos) {
        const QByteArray v = Valido(f);
        ASSERT_GT(v.size(), 64);
        const QString ext = QLatin1String(f.ext);
        Rechazar(QByteArray(), QStringLiteral("vacio") + ext, kCargar);
        Rechazar(v.left(12), QStringLiteral("cabecera") + ext, kCargar);
        for (int parte : {2, 3, 5})
            Probar(v.left(v.size() / parte), QStringLiteral("cortado%1").arg(parte) + ext, {kCargar, kConvertir});
        // The right bytes under every other format's name.
        for (const Formato &otro : kFormatos)
            if (otro.fif != f.fif) Rechazar(v, QStringLiteral("mal_nombre") + ext + QLatin1String(otro.ext), kCargar);
    }
    const QByteArray png = Valido(kFormatos[0]);
    Rechazar(png, QStringLiteral("sin_extension"), QStringLiteral("Formato no reconocido"));
    Rechazar(png, QStringLiteral("raro.xyz"), QStringLiteral("Formato no reconocido"));
    // The codec's own complaint is kept for us, not printed.
    Rechazar(png, QStringLiteral("png_como.jpg"), kCargar);
    EXPECT_TRUE(modFreeImage::UltimoMensaje().contains(QStringLiteral("JPEG"))) << modFreeImage::UltimoMensaje().toStdString();
    // Missing file and a folder.
    CajasGuionadas cajas;
    CargarImagenEscaneo(prueba::Ruta(QStringLiteral("no_existe.png")), nullptr);
    QDir().mkpath(prueba::Ruta(QStringLiteral("carpeta.png")));
    CargarImagenEscaneo(prueba::Ruta(QStringLiteral("carpeta.png")), nullptr);
    ASSERT_EQ(cajas.llamadas.size(), 2);
    EXPECT_EQ(cajas.llamadas[1].texto, kCargar);
    EXPECT_EQ(PixelesEscaneo, conocido_);
}

TEST_F(Corpus, BitsCambiados)
{
    uint32_t semilla = 12345;
    auto azar = [&semilla] {
        semilla ^= semilla << 13;
        semilla ^= semilla >> 17;
        semilla ^= semilla << 5;
        return semilla;
    };
    for (const Formato &f : kFormatos) {
        const QByteArray v = Valido(f);
        for (int caso = 0; caso < 24; ++caso) {
            QByteArray d = v;
            // A few flips anywhere past the signature, headers included.
            const int flips = 1 + int(azar() % 6);
            for (int k = 0; k < flips; ++k) {
                const int i = 4 + int(azar() % uint32_t(d.size() - 4));
                d[i] = char(d[i] ^ char(1u << (azar() % 8)));
            }
            Probar(d, QStringLiteral("flip%1").arg(caso) + QLatin1String(f.ext), {kCargar, kConvertir});
        }
    }
    EXPECT_GT(rechazados + aceptados, 0);
}

TEST_F(Corpus, TamanosDeclaradosAbsurdos)
{
    // BMP: 100000 x 100000 in the info header.
    QByteArray bmp = Valido(kFormatos[3]);
    PonerU32LE(bmp, 18, 100000);
    PonerU32LE(bmp, 22, 100000);
    Rechazar(bmp, QStringLiteral("enorme.bmp"), kCargar);
    PonerU32LE(bmp, 22, uint32_t(-100000)); // top-down rows
    Rechazar(bmp, QStringLiteral("enorme_invertido.bmp"), kCargar);

    // PNG: IHDR 2^31-1 x 2^31-1 with a correct CRC.
    QByteArray png = Valido(kFormatos[0]);
    for (int o : {16, 20}) prueba::PonerU32(png, o, 0x7FFFFFFF);
    prueba::PonerU32(png, 29, Crc32(png.mid(12, 17)));
    Rechazar(png, QStringLiteral("enorme.png"), kCargar);
    for (int o : {16, 20}) prueba::PonerU32(png, o, 60000);
    prueba::PonerU32(png, 29, Crc32(png.mid(12, 17)));
    Rechazar(png, QStringLiteral("grande.png"), kCargar); // 3.6e9 pixels

    // JPEG: 65535 x 65535 in the frame header.
    QByteArray jpg = Valido(kFormatos[1]);
    const int sof = jpg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    for (int k = 5; k <= 8; ++k) jpg[sof + k] = char(0xFF);
    Rechazar(jpg, QStringLiteral("enorme.jpg"), kCargar);

    // TIFF: width and length tags as LONG 200000.
    QByteArray tif = Valido(kFormatos[2]);
    ASSERT_EQ(tif.left(2), QByteArray("II"));
    const int ifd = int(uint8_t(tif[4]) | uint8_t(tif[5]) << 8 | uint8_t(tif[6]) << 16);
    const int n = uint8_t(tif[ifd]) | uint8_t(tif[ifd + 1]) << 8;
    for (int e = 0; e < n; ++e) {
        const int o = ifd + 2 + 12 * e;
        const int tag = uint8_t(tif[o]) | uint8_t(tif[o + 1]) << 8;
        if (tag == 256 || tag == 257) {
            tif[o + 2] = 4;
            tif[o + 3] = 0;
            PonerU32LE(tif, o + 8, 200000);
        }
    }
    Rechazar(tif, QStringLiteral("enorme.tif"), kCargar);
}

TEST_F(Corpus, MuestraMalaNoDejaRastro)
{
    CajasGuionadas cajas;
    FIBITMAP *b = prueba::Color24(4, 4, Ruido);
    QByteArray perfil = prueba::PerfilDesc("Primera");
    FreeImage_CreateICCProfile(b, perfil.data(), perfil.size());
    const QString buena = prueba::Guardar(b, FIF_TIFF, QStringLiteral("primera.tif"));
    LeerInfoImagen(buena);
    CargarMuestra(buena, nullptr);
    ASSERT_TRUE(HayMuestra);
    const QString copia = RutaPerfilICCTemp();
    const Pixeles antes = PixelesMuestra;

    QByteArray png = Valido(kFormatos[0]);
    for (int o : {16, 20}) prueba::PonerU32(png, o, 0x7FFFFFFF);
    prueba::PonerU32(png, 29, Crc32(png.mid(12, 17)));
    prueba::EscribirArchivo(prueba::Ruta(QStringLiteral("m_enorme.png")), png);
    prueba::EscribirArchivo(prueba::Ruta(QStringLiteral("m_vacia.tif")), QByteArray());
    prueba::EscribirArchivo(prueba::Ruta(QStringLiteral("m_rara.qqq")), png);
    for (const char *nombre : {"m_enorme.png", "m_vacia.tif", "m_rara.qqq"}) {
        const QString r = prueba::Ruta(QLatin1String(nombre));
        LeerInfoImagen(r);
        CargarMuestra(r, nullptr);
    }
    ASSERT_EQ(cajas.llamadas.size(), 3);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Error al cargar la muestra"));
    EXPECT_EQ(cajas.llamadas[1].texto, QStringLiteral("Error al cargar la muestra"));
    EXPECT_EQ(cajas.llamadas[2].texto, QStringLiteral("Formato no reconocido"));
    EXPECT_EQ(AnchoMuestra, 4);
    EXPECT_EQ(PixelesMuestra, antes);
    EXPECT_EQ(DescripcionPerfilICC(), QStringLiteral("Primera"));
    EXPECT_EQ(RutaPerfilICCTemp(), copia);
    EXPECT_EQ(prueba::Temporales(QStringLiteral("zolv_icc_")), QStringList{QFileInfo(copia).fileName()});
}
