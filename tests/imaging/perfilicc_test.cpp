// Description of the embedded profile, its hostile variants, and its copy;
// a PNG's profile, read from its iCCP chunk.

#include "support/imagen.h"

#include "imaging/cargar.h"
#include "imaging/perfilicc.h"
#include "imaging/perfilpng.h"
#include "support/scripted.h"

#include <QColorSpace>
#include <gtest/gtest.h>
#include <zlib.h>

using namespace modICC;
using prueba::U32;

TEST(PerfilICC, DescripcionesYTablasHostiles)
{
    const QByteArray d("\x00\x01\x02\x03\x7F\xFF\xFF\xFF\x80", 9);
    EXPECT_EQ(LeerU32BE(d, 0), 0x00010203);
    EXPECT_EQ(LeerU32BE(d, 4), 0x7FFFFFFF);
    for (int o : {5, 6, -1}) EXPECT_EQ(LeerU32BE(d, o), std::nullopt) << o; // not signed 32-bit, past the end, before

    const QByteArray bueno = prueba::PerfilDesc("Bueno"), v4 = prueba::PerfilMluc("Cuatro");
    // Three tags: 'wtpt' (never followed), then two 'desc': the first one counts.
    QByteArray tres = U32(U32(U32(U32(U32({}, 0, 3), 4, 0x77747074), 8, 0x7FFFFFFF), 16, 0x64657363), 20, 168);
    tres = U32(U32(U32(U32(tres, 28, 0x64657363), 32, 184), 36, 16), 40, 0x64657363);
    tres = U32(U32(U32(tres, 48, 4), 52, 0x556E6F00), 56, 0x64657363); // "Uno"
    tres = U32(U32(tres, 64, 4), 68, 0x446F7300);                       // "Dos"
    const struct { const char *caso; QByteArray datos; QString esperado; } casos[] = {
        {"v2, text before the 0 byte, trimmed", prueba::PerfilDesc(QByteArray("  sRGB IEC61966-2.1 \0xyz", 24)), "sRGB IEC61966-2.1"},
        {"Latin-1", prueba::PerfilDesc("Papel \xE1spero"), "Papel áspero"},
        {"v4, non-ASCII dropped", prueba::PerfilMluc("Perfil ñandú v4"), "Perfil and v4"},
        {"count longer than the data", prueba::PerfilDesc("Corto", 1000), "Corto"},
        {"only spaces", prueba::PerfilDesc("    "), ""},
        {"another type", prueba::PerfilDesc("Texto").replace(144, 4, "text"), ""},
        {"first desc tag", prueba::PerfilICC(tres), "Uno"},
        {"offset of an earlier tag not a signed value", prueba::PerfilICC(U32(tres, 8, 0x80000000)), ""},
        {"tag count 0", U32(bueno, 128, 0), ""},
        {"tag count above 200", U32(bueno, 128, 201), ""},
        {"table past the data", U32(bueno, 128, 0x7FFFFFFF), ""},
        {"tag count negative", U32(bueno, 128, 0xFFFFFFFF), ""},
        {"tag offset far outside", U32(bueno, 136, 0x7FFFFFF0), ""},
        {"tag offset negative", U32(bueno, 136, 0x80000000), ""},
        {"type fits, count does not", U32(bueno, 136, uint32_t(bueno.size() - 8)), ""},
        {"huge count stops at the end", U32(bueno, 152, 0x7FFFFFFF), "Bueno"},
        {"count not a signed value", U32(bueno, 152, 0x80000000), ""},
        {"cut in the table", bueno.left(131), ""},
        {"no profile", QByteArray(), ""},
        {"mluc length beyond", U32(v4, 164, 0x7FFFFFFE), "Cuatro"},
        {"mluc text offset outside", U32(v4, 168, 0x7FFFFFF0), ""},
        {"mluc no records", U32(v4, 152, 0), ""},
        {"mluc header cut", v4.left(172), ""},
    };
    for (const auto &c : casos) {
        EXPECT_EQ(LeerDescripcionICC(c.datos), c.esperado) << c.caso;
        // On a bitmap, "none" and "no readable text" have their own words.
        modFreeImage::Bitmap b(FreeImage_Allocate(1, 1, 24));
        if (!c.datos.isEmpty()) prueba::Incrustar(b.get(), c.datos);
        const QString e = c.datos.isEmpty() ? "Sin perfil ICC" : c.esperado.isEmpty() ? "Perfil ICC embebido" : c.esperado;
        EXPECT_EQ(DescripcionPerfilEmbebido(b.get()), e) << c.caso;
    }
    EXPECT_EQ(DescripcionPerfilEmbebido(nullptr), "Sin perfil ICC");
    // Every prefix and every single-byte corruption stays within the data.
    for (int n = 0; n <= bueno.size(); ++n) (void)LeerDescripcionICC(bueno.left(n));
    for (int i = 128; i < v4.size(); ++i) (void)LeerDescripcionICC(QByteArray(v4).replace(i, 1, QByteArray(1, char(v4[i] ^ 0xC3))));
}

TEST(PerfilICC, CopiasTemporalesConNombrePropio)
{
    modFreeImage::Bitmap b(FreeImage_Allocate(1, 1, 24));
    EXPECT_EQ(GuardarPerfilEmbebidoTemp(b.get()) + GuardarPerfilEmbebidoTemp(nullptr), QString());
    const QByteArray p = prueba::PerfilDesc("Copia");
    prueba::Incrustar(b.get(), p);
    // Two copies in the same millisecond still get their own names.
    const QString a = GuardarPerfilEmbebidoTemp(b.get()), c = GuardarPerfilEmbebidoTemp(b.get());
    EXPECT_NE(a, c);
    EXPECT_EQ(Leer(a) + Leer(c), p + p);
    QFile::remove(a), QFile::remove(c);
}

TEST(PerfilICC, SoloUnPerfilRGBCompletoSeCopiaAlGuardar)
{
    const QByteArray rgb = U32(U32(prueba::PerfilDesc("Uno").leftJustified(160, '\0'), 16, 0x52474220), 0, 160);
    // Cut to its declared size; grey, CMYK, a size beyond the file: none.
    const QString ruta = prueba::Ruta(QStringLiteral("perfil.icc"));
    for (const auto &[bytes, esperado] : QList<QPair<QByteArray, QByteArray>>{
             {rgb + "cola", rgb}, {U32(rgb, 16, 0x47524159), {}}, {U32(rgb, 16, 0x434D594B), {}}, {U32(rgb, 0, 400), {}}})
        EXPECT_EQ(PerfilRGBDeArchivo(Poner(ruta, bytes)), esperado);
    QFile::remove(ruta);
    EXPECT_TRUE(PerfilRGBDeArchivo(ruta).isEmpty());
}

namespace {
// A PNG chunk: length, type, data, CRC.
QByteArray Trozo(const QByteArray &tipo, const QByteArray &datos)
{
    const QByteArray cuerpo = tipo + datos;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(cuerpo.constData()), uInt(cuerpo.size()));
    return U32({}, 0, uint32_t(datos.size())) + cuerpo + U32({}, 0, uint32_t(crc));
}
// An iCCP chunk's data: the name, its 0 byte, the method, the zlib stream.
QByteArray Iccp(const QByteArray &nombre, const QByteArray &perfil, char metodo = 0)
{
    return nombre + '\0' + metodo + qCompress(perfil).mid(4);
}
} // namespace

TEST(PerfilPNG, ElTrozoICCPDaElPerfilYUnoRotoSeIgnora)
{
    const QByteArray perfil = QColorSpace(QColorSpace::Primaries::AdobeRgb, 2.2f).iccProfile(), otro = prueba::PerfilDesc("Otro");
    // A PNG with no profile: signature, IHDR, then the chunks of each case.
    const QByteArray png = Leer(prueba::Guardar(prueba::Color24(4, 3, prueba::Ruido), FIF_PNG, QStringLiteral("sin.png")));
    const qsizetype idat = png.indexOf("IDAT") - 4;
    auto con = [&](const QByteArray &antes, const QByteArray &despues = {}) {
        return png.left(33) + antes + png.mid(33, idat - 33) + png.mid(idat, png.size() - 12 - idat) + despues + png.right(12);
    };
    const QByteArray bueno = Trozo("iCCP", Iccp("Perfil", perfil));
    QByteArray crcMalo = bueno, roto = bueno;
    crcMalo[crcMalo.size() - 1] = char(crcMalo.back() ^ 1);
    roto = Trozo("iCCP", Iccp("Perfil", perfil).left(30) + QByteArray(40, 'x'));
    const struct { const char *caso; QByteArray bytes, esperado; } casos[] = {
        {"the chunk", con(bueno), perfil},
        {"after a text chunk", con(Trozo("tEXt", QByteArray("Title\0Prueba", 12)) + bueno), perfil},
        {"the first of two", con(Trozo("iCCP", Iccp("Otro", otro)) + bueno), otro},
        {"a name of 79 bytes", con(Trozo("iCCP", Iccp(QByteArray(79, 'n'), perfil))), perfil},
        {"a name of 80 bytes", con(Trozo("iCCP", Iccp(QByteArray(80, 'n'), perfil))), {}},
        {"no name", con(Trozo("iCCP", Iccp({}, perfil))), {}},
        {"method 1", con(Trozo("iCCP", Iccp("Perfil", perfil, 1))), {}},
        {"a wrong CRC", con(crcMalo), {}},
        {"a broken stream", con(roto), {}},
        {"a cut stream", con(Trozo("iCCP", Iccp("Perfil", perfil).chopped(6))), {}},
        {"after the image data", con({}, bueno), {}},
        {"none", png, {}},
    };
    // The profile copy's bytes; none without a copy.
    const auto copia = [] { return modImage::RutaPerfilICCTemp().isEmpty() ? QByteArray() : Leer(modImage::RutaPerfilICCTemp()); };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.caso);
        const QString r = Poner(prueba::Ruta(QStringLiteral("iccp.png")), c.bytes);
        CajasGuionadas cajas;
        modImage::LeerInfoImagen(r);
        const QByteArray info = copia();
        ASSERT_TRUE(modImage::CargarMuestra(r, nullptr)) << cajas.llamadas.value(0).texto.toStdString();
        EXPECT_EQ((std::pair{info, copia()}), (std::pair{c.esperado, c.esperado}));
        EXPECT_EQ(modImage::DescripcionPerfilICC(),
                  c.esperado.isEmpty() ? "Sin perfil ICC" : c.esperado == otro ? "Otro" : "Adobe RGB");
    }
    modImage::BorrarPerfilICCTemporal();
}

TEST(PerfilPNG, NoSeInflaMasDe64MiB)
{
    const QByteArray justo(64 << 20, 'a');
    EXPECT_EQ(InflarPerfilPNG(Iccp("Perfil", justo)).size(), justo.size());
    EXPECT_TRUE(InflarPerfilPNG(Iccp("Perfil", justo + 'a')).isEmpty());
    EXPECT_EQ(InflarPerfilPNG(Iccp("P", "corto")), "corto");
    EXPECT_TRUE(InflarPerfilPNG(Iccp("P", "corto") + "cola").startsWith("corto")); // what follows the stream is not read
    EXPECT_TRUE(InflarPerfilPNG(QByteArray("P")).isEmpty());
}
