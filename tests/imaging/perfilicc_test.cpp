// Description of the embedded profile and its hostile variants.

#include "imagenes.h"

#include "imaging/perfilicc.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace modICC;
using prueba::PonerU32;

namespace {
// The description a bitmap carrying these profile bytes gets.
QString DeBitmap(QByteArray perfil)
{
    FIBITMAP *b = FreeImage_Allocate(1, 1, 24);
    if (!perfil.isEmpty()) FreeImage_CreateICCProfile(b, perfil.data(), perfil.size());
    const QString d = DescripcionPerfilEmbebido(b);
    FreeImage_Unload(b);
    return d;
}
} // namespace

TEST(PerfilICC, LeerU32BE)
{
    const QByteArray d("\x00\x01\x02\x03\x7F\xFF\xFF\xFF\x80", 9);
    EXPECT_EQ(LeerU32BE(d, 0), 0x00010203);
    EXPECT_EQ(LeerU32BE(d, 4), 0x7FFFFFFF);
    EXPECT_EQ(LeerU32BE(d, 5), std::nullopt); // first byte 0xFF: not a signed 32-bit value
    EXPECT_EQ(LeerU32BE(d, 6), std::nullopt); // runs past the end
    EXPECT_EQ(LeerU32BE(d, -1), std::nullopt);
}

TEST(PerfilICC, DescripcionesYTextosDeReserva)
{
    EXPECT_EQ(DescripcionPerfilEmbebido(nullptr), QStringLiteral("Sin perfil ICC"));
    EXPECT_EQ(DeBitmap(QByteArray()), QStringLiteral("Sin perfil ICC"));
    // Version 2 'desc': the text before the 0 byte, spaces trimmed.
    EXPECT_EQ(DeBitmap(prueba::PerfilDesc(QByteArray("  sRGB IEC61966-2.1 \0xyz", 24))),
              QStringLiteral("sRGB IEC61966-2.1"));
    // Bytes above 0x7F map one to one (Latin-1).
    EXPECT_EQ(DeBitmap(prueba::PerfilDesc("Papel \xE1spero")), QStringLiteral("Papel áspero"));
    // Version 4 'mluc': non-ASCII units dropped.
    EXPECT_EQ(DeBitmap(prueba::PerfilMluc(QStringLiteral("Perfil ñandú v4"))), QStringLiteral("Perfil and v4"));
    // A count longer than the data: what there is.
    EXPECT_EQ(DeBitmap(prueba::PerfilDesc("Corto", 1000)), QStringLiteral("Corto"));
    // Only spaces, another type, no text: the generic text.
    EXPECT_EQ(DeBitmap(prueba::PerfilDesc("    ")), QStringLiteral("Perfil ICC embebido"));
    QByteArray otroTipo = prueba::PerfilDesc("Texto");
    otroTipo.replace(144, 4, "text");
    EXPECT_EQ(DeBitmap(otroTipo), QStringLiteral("Perfil ICC embebido"));
}

TEST(PerfilICC, TablasHostiles)
{
    const QByteArray bueno = prueba::PerfilDesc("Bueno");
    ASSERT_EQ(LeerDescripcionICC(bueno), QStringLiteral("Bueno"));
    auto con = [&](int offset, uint32_t v) {
        QByteArray d = bueno;
        PonerU32(d, offset, v);
        return LeerDescripcionICC(d);
    };
    EXPECT_EQ(con(128, 0), QString());          // tag count 0
    EXPECT_EQ(con(128, 201), QString());        // above 200
    EXPECT_EQ(con(128, 0x7FFFFFFF), QString()); // the table runs past the data: empty, no read outside
    EXPECT_EQ(con(128, 0xFFFFFFFF), QString()); // negative
    EXPECT_EQ(con(136, 0x7FFFFFF0), QString()); // tag offset far outside
    EXPECT_EQ(con(136, 0x80000000), QString()); // tag offset negative as signed
    EXPECT_EQ(con(136, uint32_t(bueno.size() - 8)), QString()); // type fits, count does not
    EXPECT_EQ(con(152, 0x7FFFFFFF), QStringLiteral("Bueno"));   // huge count stops at the end
    EXPECT_EQ(con(152, 0x80000000), QString());                // count not a signed value
    EXPECT_EQ(LeerDescripcionICC(bueno.left(131)), QString());
    EXPECT_EQ(LeerDescripcionICC(QByteArray()), QString());
    EXPECT_EQ(DeBitmap(bueno.left(131)), QStringLiteral("Perfil ICC embebido"));

    // 'mluc' with lengths and offsets that point outside.
    const QByteArray v4 = prueba::PerfilMluc(QStringLiteral("Cuatro"));
    ASSERT_EQ(LeerDescripcionICC(v4), QStringLiteral("Cuatro"));
    auto v4con = [&](int offset, uint32_t v) {
        QByteArray d = v4;
        PonerU32(d, offset, v);
        return LeerDescripcionICC(d);
    };
    EXPECT_EQ(v4con(144 + 20, 0x7FFFFFFE), QStringLiteral("Cuatro")); // length beyond: up to the end
    EXPECT_EQ(v4con(144 + 24, 0x7FFFFFF0), QString());               // text offset outside
    EXPECT_EQ(v4con(144 + 8, 0), QString());                         // no records
    EXPECT_EQ(LeerDescripcionICC(v4.left(144 + 28)), QString());      // header cut

    // The walk stops at the first 'desc' tag and skips others before it.
    QByteArray dos;
    PonerU32(dos, 0, 3);
    PonerU32(dos, 4, 0x77747074); // 'wtpt'
    PonerU32(dos, 8, 0x7FFFFFFF); // never followed
    PonerU32(dos, 16, 0x64657363);
    PonerU32(dos, 20, 128 + 4 + 36);
    PonerU32(dos, 28, 0x64657363);
    PonerU32(dos, 32, 128 + 4 + 36 + 16);
    PonerU32(dos, 36, 16);
    QByteArray datos;
    PonerU32(datos, 0, 0x64657363);
    PonerU32(datos, 8, 4);
    datos.append("Uno\0", 4);
    PonerU32(datos, 16, 0x64657363);
    PonerU32(datos, 24, 4);
    datos.append("Dos\0", 4);
    dos.append(datos);
    EXPECT_EQ(LeerDescripcionICC(prueba::PerfilICC(dos)), QStringLiteral("Uno"));

    // Every prefix and every single-byte corruption stays within the data.
    for (int n = 0; n <= bueno.size(); ++n) (void)LeerDescripcionICC(bueno.left(n));
    for (int i = 128; i < v4.size(); ++i) {
        QByteArray d = v4;
        d[i] = char(d[i] ^ 0xC3);
        (void)LeerDescripcionICC(d);
    }
}

TEST(PerfilICC, CopiaTemporal)
{
    FIBITMAP *b = FreeImage_Allocate(1, 1, 24);
    EXPECT_EQ(GuardarPerfilEmbebidoTemp(b), QString());
    EXPECT_EQ(GuardarPerfilEmbebidoTemp(nullptr), QString());
    QByteArray p = prueba::PerfilDesc("Copia");
    FreeImage_CreateICCProfile(b, p.data(), p.size());
    const QString a = GuardarPerfilEmbebidoTemp(b);
    const QString c = GuardarPerfilEmbebidoTemp(b);
    // Two copies in the same millisecond still get their own names.
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(c.isEmpty());
    EXPECT_NE(a, c);
    EXPECT_EQ(prueba::LeerArchivo(a), p);
    EXPECT_EQ(prueba::LeerArchivo(c), p);
    FreeImage_Unload(b);
}
