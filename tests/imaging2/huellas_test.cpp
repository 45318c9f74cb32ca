// Bytes that must not change when the engine's memory handling does: what a
// load keeps for every input pixel format, and every file a save writes, as
// MD5 prefixes of images generated here. Sizes above a megapixel take the
// threaded paths.

#include "support/imagen.h"

#include "imaging/cargar.h"
#include "imaging/guardar.h"
#include "support/scripted.h"

#include <QCryptographicHash>

using namespace modImage;

namespace {

template <class B> std::string Huella(const B &b)
{
    return QCryptographicHash::hash(QByteArrayView(b.data(), qsizetype(b.size())), QCryptographicHash::Md5).toHex().left(16).toStdString();
}

uint32_t Mezcla(uint32_t x)
{
    x ^= x >> 16, x *= 0x7FEB352Du, x ^= x >> 15, x *= 0x846CA68Bu;
    return x ^ (x >> 16);
}

// Every byte of every row from one mixing function; 8 bits get a grey ramp,
// 4 bits a tinted palette.
FIBITMAP *Generar(FREE_IMAGE_TYPE tipo, int bpp, int w, int h)
{
    FIBITMAP *b = FreeImage_AllocateT(tipo, w, h, bpp);
    for (int y = 0; y < h; ++y) {
        uint8_t *f = FreeImage_GetScanLine(b, y);
        for (unsigned i = 0; i < FreeImage_GetLine(b); ++i) f[i] = uint8_t(Mezcla(uint32_t(y * 65537 + int(i))));
    }
    if (bpp <= 8)
        for (int i = 0; i < (1 << bpp); ++i) FreeImage_GetPalette(b)[i] = bpp == 8 ? RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0}
                                                  : RGBQUAD{BYTE(i * 7), BYTE(i * 3), BYTE(255 - i), 0};
    return b;
}

using Huellas = Motor;

} // namespace

TEST_F(Huellas, LoQueGuardaCadaCarga)
{
    const struct { const char *nombre; FREE_IMAGE_TYPE tipo; int bpp, w, h; FREE_IMAGE_FORMAT fif; const char *huella; } casos[] = {
        {"rgb24.tif", FIT_BITMAP, 24, 1031, 1029, FIF_TIFF, "2396e283681b868f"}, {"gris16.tif", FIT_UINT16, 16, 1031, 1029, FIF_TIFF, "e3364f9c8b98514e"},
        {"rgb48.tif", FIT_RGB16, 48, 53, 7, FIF_TIFF, "33d5221398a9b221"},       {"rgba64.png", FIT_RGBA16, 64, 53, 7, FIF_PNG, "554a7e0922ad0a4b"},
        {"rgba32.png", FIT_BITMAP, 32, 53, 7, FIF_PNG, "d0887b2319cfcb1b"},      {"gris8.png", FIT_BITMAP, 8, 53, 7, FIF_PNG, "418e60b55db7e115"},
        {"paleta4.bmp", FIT_BITMAP, 4, 53, 7, FIF_BMP, "3653fe0dfc848240"},      {"gris16.png", FIT_UINT16, 16, 53, 7, FIF_PNG, "c85ec51375212e19"},
    };
    CajasGuionadas cajas;
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        const QString r = prueba::Guardar(Generar(c.tipo, c.bpp, c.w, c.h), c.fif, c.nombre);
        ASSERT_TRUE(CargarMuestra(r, nullptr));
        ASSERT_TRUE(CargarImagenEscaneo(r, nullptr));
        EXPECT_EQ(Huella(PixelesMuestra), c.huella);
        EXPECT_EQ(PixelesMuestraOriginal.data(), PixelesMuestra.data()); // one block, two names
        EXPECT_EQ(Huella(PixelesEscaneo), c.huella);
    }
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST_F(Huellas, CadaFicheroQueEscribeElGuardado)
{
    const struct { const char *ext; int fif, flags; } formatos[] = {
        {"bmp", FIF_BMP, 0},          {"png", FIF_PNG, 0},           {"png", FIF_PNG, PNG_Z_NO_COMPRESSION},
        {"jpg", FIF_JPEG, 75},        {"jpg", FIF_JPEG, 90 | JPEG_PROGRESSIVE},
        {"tif", FIF_TIFF, TIFF_NONE}, {"tif", FIF_TIFF, TIFF_LZW},   {"tif", FIF_TIFF, TIFF_DEFLATE},
        {"tif", FIF_TIFF, TIFF_PACKBITS}, {"tif", FIF_TIFF, TIFF_JPEG}, {"webp", FIF_WEBP, WEBP_LOSSLESS},
        {"webp", FIF_WEBP, 80}};
    // One size after another: a second save of a size may reuse what the
    // first one allocated, a new size may not. Sample 1 is mirrored, sample 2
    // inverted.
    const struct { int w, h; } muestras[] = {{1031, 1029}, {37, 23}, {1031, 1029}};
    const struct { int muestra, formato; const char *huella; } casos[] = {
        {0, 0, "5d657c59850b2386"},  {0, 5, "d9bbf2b551634d20"},  {1, 0, "69986f87a0fd3b1b"},  {1, 1, "46b4cde51573baf7"},
        {1, 2, "6d7fa29a294292d1"},  {1, 3, "5de41c0b46dc4ec9"},  {1, 4, "ad6843a700f9f887"},  {1, 5, "79db638b5f563b90"},
        {1, 6, "154782642306b3b0"},  {1, 7, "8d5b76484fc08847"},  {1, 8, "6170f4895f911858"},  {1, 9, "8bb6a690b8327621"},
        {1, 10, "6d09447c28a3efaf"}, {1, 11, "9754525e84beb697"}, {2, 0, "6f5f6ff2c932d575"}, {2, 5, "4f20addcd7e811ae"},
    };
    // A curve through the engine's state: red raised, green halved, blue's
    // input range cut, under a master curve with a darker black.
    modEngine::FijarNivel(1, 2, 40), modEngine::FijarNivel(2, 3, 127), modEngine::FijarNivel(3, 0, 30);
    modEngine::FijarNivel(0, 2, 12);
    int actual = -1;
    CajasGuionadas cajas;
    for (const auto &c : casos) {
        if (c.muestra != actual) {
            actual = c.muestra;
            const auto &m = muestras[actual];
            PonerMuestra(m.w, m.h, Aleatorio(m.w, m.h, unsigned(actual + 1)));
            InvertirHorizontal = actual == 1;
            InvertirTonos = actual == 2;
        }
        const auto &fo = formatos[c.formato];
        SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(c.muestra).arg(fo.ext).arg(fo.flags).toStdString());
        const QString r = prueba::Ruta(QStringLiteral("s%1_%2.%3").arg(c.muestra).arg(c.formato).arg(fo.ext));
        ASSERT_TRUE(GuardarImagenProcesada(r, fo.fif, fo.flags));
        EXPECT_EQ(Huella(Leer(r)), c.huella);
    }
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}
