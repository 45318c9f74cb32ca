// Loading the scan and the sample in every pixel format, their views, the
// progress texts, resolution and the profile copy.

#include "imagenes.h"

#include "imaging/cargar.h"
#include "imaging/modimage.h"
#include "platform/colorref.h"
#include "platform/picturebox.h"
#include "support/scripted.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace modImage;
using prueba::BGR;

namespace {
// Distinct values everywhere: red follows x, green y, blue both.
uint32_t Patron(int x, int y) { return (uint32_t(10 + 40 * x) << 16) | (uint32_t(5 + 30 * y) << 8) | uint32_t(7 * x + 3 * y); }
BGR PatronBGR(int x, int y)
{
    const uint32_t c = Patron(x, y);
    return {int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16)};
}

void EsperarPatron(int ancho, int alto)
{
    ASSERT_TRUE(HayEscaneo);
    ASSERT_EQ(AnchoEscaneo, ancho);
    ASSERT_EQ(AltoEscaneo, alto);
    ASSERT_EQ(PasoEscaneo, PasoDeAncho(ancho));
    ASSERT_EQ(PixelesEscaneo.size(), size_t(PasoEscaneo) * alto);
    for (int y = 0; y < alto; ++y)
        for (int x = 0; x < ancho; ++x) ASSERT_EQ(prueba::PixelEscaneo(x, y), PatronBGR(x, y)) << x << "," << y;
}

// A 16-bit-per-sample bitmap of the given type with value f(x, y, channel).
FIBITMAP *Hondo(FREE_IMAGE_TYPE tipo, int canales, int ancho, int alto,
                const std::function<uint16_t(int, int, int)> &f)
{
    FIBITMAP *b = FreeImage_AllocateT(tipo, ancho, alto, 16 * canales);
    for (int y = 0; y < alto; ++y) {
        auto *fila = reinterpret_cast<uint16_t *>(FreeImage_GetScanLine(b, alto - 1 - y));
        for (int x = 0; x < ancho; ++x)
            for (int c = 0; c < canales; ++c) fila[canales * x + c] = f(x, y, c);
    }
    return b;
}
} // namespace

TEST(CargaEscaneo, FormatosSinPerdidaConservanLosPixeles)
{
    CajasGuionadas cajas;
    struct Caso {
        FREE_IMAGE_FORMAT fif;
        const char *nombre;
        int flags;
    };
    for (const Caso &c : {Caso{FIF_BMP, "p.bmp", 0}, Caso{FIF_PNG, "p.png", 0}, Caso{FIF_TIFF, "p.tif", 0},
                          Caso{FIF_TIFF, "p_lzw.tiff", TIFF_LZW}, Caso{FIF_WEBP, "p.webp", WEBP_LOSSLESS}}) {
        SCOPED_TRACE(c.nombre);
        // Widths 1, 4 and 5 cover every amount of row padding.
        for (int ancho : {1, 4, 5}) {
            const QString r = prueba::Guardar(prueba::Color24(ancho, 3, Patron), c.fif,
                                              QString::number(ancho) + QLatin1String(c.nombre), c.flags);
            ASSERT_FALSE(r.isEmpty());
            CargarImagenEscaneo(r, nullptr);
            EsperarPatron(ancho, 3);
        }
    }
    // 32-bit with alpha: colour kept, alpha dropped.
    FIBITMAP *b = FreeImage_Allocate(5, 2, 32);
    for (int y = 0; y < 2; ++y) {
        BYTE *f = FreeImage_GetScanLine(b, 1 - y);
        for (int x = 0; x < 5; ++x) {
            const uint32_t c = Patron(x, y);
            f[4 * x + FI_RGBA_RED] = c >> 16;
            f[4 * x + FI_RGBA_GREEN] = (c >> 8) & 0xFF;
            f[4 * x + FI_RGBA_BLUE] = c & 0xFF;
            f[4 * x + FI_RGBA_ALPHA] = BYTE(x * 50);
        }
    }
    CargarImagenEscaneo(prueba::Guardar(b, FIF_PNG, QStringLiteral("rgba.png")), nullptr);
    EsperarPatron(5, 2);
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST(CargaEscaneo, GrisPaletaYProfundidadesDe16Bits)
{
    CajasGuionadas cajas;
    // 16-bit greyscale TIFF and PNG, the usual scanner output: high byte.
    auto gris16 = [](int x, int y, int) { return uint16_t(x * 9000 + y * 1000 + 0xAB); };
    for (auto [fif, nombre] : {std::pair{FIF_TIFF, "g16.tif"}, std::pair{FIF_PNG, "g16.png"}}) {
        SCOPED_TRACE(nombre);
        CargarImagenEscaneo(prueba::Guardar(Hondo(FIT_UINT16, 1, 5, 3, gris16), fif, QLatin1String(nombre)),
                            nullptr);
        ASSERT_TRUE(HayEscaneo);
        ASSERT_EQ(AnchoEscaneo, 5);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                const int v = gris16(x, y, 0) >> 8;
                ASSERT_EQ(prueba::PixelEscaneo(x, y), (BGR{v, v, v})) << x << "," << y;
            }
    }
    // 48- and 64-bit RGB: the high byte of each channel.
    auto rgb16 = [](int x, int y, int c) { return uint16_t((c + 1) * 0x1000 + x * 0x2100 + y * 0x0300); };
    for (auto [tipo, canales, fif, nombre] :
         {std::tuple{FIT_RGB16, 3, FIF_TIFF, "r48.tif"}, std::tuple{FIT_RGB16, 3, FIF_PNG, "r48.png"},
          std::tuple{FIT_RGBA16, 4, FIF_TIFF, "r64.tif"}, std::tuple{FIT_RGBA16, 4, FIF_PNG, "r64.png"}}) {
        SCOPED_TRACE(nombre);
        CargarImagenEscaneo(prueba::Guardar(Hondo(tipo, canales, 4, 2, rgb16), fif, QLatin1String(nombre)),
                            nullptr);
        ASSERT_TRUE(HayEscaneo);
        ASSERT_EQ(AnchoEscaneo, 4);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                ASSERT_EQ(prueba::PixelEscaneo(x, y),
                          (BGR{rgb16(x, y, 2) >> 8, rgb16(x, y, 1) >> 8, rgb16(x, y, 0) >> 8}));
    }
    // 8-bit grey and an 8-bit palette, and 1-bit.
    FIBITMAP *g8 = FreeImage_Allocate(3, 2, 8);
    RGBQUAD *pal = FreeImage_GetPalette(g8);
    for (int i = 0; i < 256; ++i) pal[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) FreeImage_GetScanLine(g8, 1 - y)[x] = BYTE(60 * x + 17 * y);
    CargarImagenEscaneo(prueba::Guardar(g8, FIF_PNG, QStringLiteral("g8.png")), nullptr);
    ASSERT_TRUE(HayEscaneo);
    EXPECT_EQ(prueba::PixelEscaneo(2, 1), (BGR{137, 137, 137}));

    FIBITMAP *p8 = FreeImage_Allocate(2, 1, 8);
    pal = FreeImage_GetPalette(p8);
    pal[0] = RGBQUAD{1, 2, 3, 0};   // blue, green, red
    pal[1] = RGBQUAD{200, 100, 50, 0};
    FreeImage_GetScanLine(p8, 0)[0] = 1;
    FreeImage_GetScanLine(p8, 0)[1] = 0;
    CargarImagenEscaneo(prueba::Guardar(p8, FIF_BMP, QStringLiteral("pal.bmp")), nullptr);
    EXPECT_EQ(prueba::PixelEscaneo(0, 0), (BGR{200, 100, 50}));
    EXPECT_EQ(prueba::PixelEscaneo(1, 0), (BGR{1, 2, 3}));

    FIBITMAP *p1 = FreeImage_Allocate(9, 1, 1);
    pal = FreeImage_GetPalette(p1);
    pal[0] = RGBQUAD{0, 0, 0, 0};
    pal[1] = RGBQUAD{255, 255, 255, 0};
    FreeImage_GetScanLine(p1, 0)[0] = 0x80; // first pixel white
    CargarImagenEscaneo(prueba::Guardar(p1, FIF_BMP, QStringLiteral("b1.bmp")), nullptr);
    EXPECT_EQ(AnchoEscaneo, 9);
    EXPECT_EQ(prueba::PixelEscaneo(0, 0), (BGR{255, 255, 255}));
    EXPECT_EQ(prueba::PixelEscaneo(8, 0), (BGR{0, 0, 0}));
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST(CargaEscaneo, CMYKYJPEG)
{
    CajasGuionadas cajas;
    // CMYK TIFF: paper white, full black, full cyan.
    FIBITMAP *c = FreeImage_Allocate(3, 1, 32);
    BYTE *f = FreeImage_GetScanLine(c, 0);
    const BYTE cmyk[3][4] = {{0, 0, 0, 0}, {0, 0, 0, 255}, {255, 0, 0, 0}};
    for (int x = 0; x < 3; ++x)
        for (int k = 0; k < 4; ++k) f[4 * x + k] = cmyk[x][k];
    const QString r = prueba::Guardar(c, FIF_TIFF, QStringLiteral("cmyk.tif"), TIFF_CMYK);
    ASSERT_FALSE(r.isEmpty());
    CargarImagenEscaneo(r, nullptr);
    ASSERT_TRUE(HayEscaneo);
    EXPECT_EQ(prueba::PixelEscaneo(0, 0), (BGR{255, 255, 255}));
    EXPECT_EQ(prueba::PixelEscaneo(1, 0), (BGR{0, 0, 0}));
    EXPECT_EQ(prueba::PixelEscaneo(2, 0), (BGR{255, 255, 0}));

    // JPEG is lossy: a flat grey stays within a step or two.
    CargarImagenEscaneo(prueba::Guardar(prueba::Color24(16, 8, [](int, int) { return 0x808080u; }), FIF_JPEG,
                                        QStringLiteral("gris.jpg"), 100),
                        nullptr);
    ASSERT_EQ(AnchoEscaneo, 16);
    ASSERT_EQ(AltoEscaneo, 8);
    EXPECT_NEAR(prueba::PixelEscaneo(7, 3).g, 128, 2);
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST(CargaEscaneo, VistaAjustadaSobreNegroSinArchivosTemporales)
{
    CajasGuionadas cajas;
    // 20 x 10 red with a white top row.
    const QString r = prueba::Guardar(
        prueba::Color24(20, 10, [](int, int y) { return y == 0 ? 0xFFFFFFu : 0xFF0000u; }), FIF_PNG,
        QStringLiteral("rojo.png"));
    PictureBox pic;
    pic.S().Redimensionar(40, 30);
    pic.S().BackColor = ColorRef::RGB(0, 255, 0);
    pic.S().Cls();
    CargarImagenEscaneo(r, &pic);
    ASSERT_TRUE(HayEscaneo);
    // s = 2: 40 x 20 at top 5; above and below is black.
    const Superficie &s = pic.S();
    EXPECT_EQ(s.Point(0, 4), 0u);
    EXPECT_EQ(s.Point(39, 25), 0u);
    EXPECT_EQ(s.Point(0, 5), ColorRef::RGB(255, 255, 255));
    EXPECT_EQ(s.Point(39, 6), ColorRef::RGB(255, 255, 255));
    EXPECT_EQ(s.Point(20, 7), ColorRef::RGB(255, 0, 0));
    EXPECT_EQ(s.Point(39, 24), ColorRef::RGB(255, 0, 0));

    int32_t l, t, w, h;
    RectanguloVistaEscaneo(40, 30, l, t, w, h);
    EXPECT_EQ(QRect(l, t, w, h), QRect(0, 5, 40, 20));

    // A repaint into a new box size fits again.
    Superficie otra(10, 10);
    PintarEscaneo(otra);
    // s = 0.5: 10 x 5 at top 2; the first row averages white and red.
    EXPECT_EQ(otra.Point(5, 1), 0u);
    EXPECT_EQ(otra.Point(5, 2), ColorRef::RGB(255, 128, 128));
    EXPECT_EQ(otra.Point(5, 6), ColorRef::RGB(255, 0, 0));
    EXPECT_EQ(otra.Point(5, 7), 0u);

    EXPECT_TRUE(prueba::Temporales(QStringLiteral("fi_")).isEmpty());
    EXPECT_TRUE(prueba::Temporales(QStringLiteral("zolv_icc_")).isEmpty()); // the scan's profile is never read
}

TEST(CargaEscaneo, InformaDelProgresoConLosTextos)
{
    CajasGuionadas cajas;
    prueba::ProgresoGrabado progreso;
    CargarImagenEscaneo(prueba::Guardar(prueba::Color24(3, 3, Patron), FIF_BMP, QStringLiteral("a.bmp")), nullptr);
    const QList<QPair<QString, int>> esperado = {{QStringLiteral("Cargando imagen..."), 10},
                                                 {QStringLiteral("Mostrando imagen..."), 40},
                                                 {QStringLiteral("Preparando..."), 70},
                                                 {QStringLiteral("Listo."), 100}};
    EXPECT_EQ(progreso.informes, esperado);

    progreso.informes.clear();
    LeerInfoImagen(prueba::Ruta(QStringLiteral("a.bmp")));
    CargarMuestra(prueba::Ruta(QStringLiteral("a.bmp")), nullptr);
    const QList<QPair<QString, int>> muestra = {{QStringLiteral("Cargando imagen de muestra..."), 10},
                                                {QStringLiteral("Preparando..."), 30},
                                                {QStringLiteral("Mostrando imagen..."), 50},
                                                {QStringLiteral("Listo."), 100}};
    EXPECT_EQ(progreso.informes, muestra);
}

TEST(CargaMuestra, BuffersTamanoRutaResolucionYPerfil)
{
    CajasGuionadas cajas;
    FIBITMAP *b = prueba::Color24(5, 3, Patron);
    FreeImage_SetDotsPerMeterX(b, 3780);
    FreeImage_SetDotsPerMeterY(b, 3780);
    QByteArray perfil = prueba::PerfilDesc("  Mi perfil de prueba \0basura", 29);
    FreeImage_CreateICCProfile(b, perfil.data(), perfil.size());
    const QString r = prueba::Guardar(b, FIF_TIFF, QStringLiteral("muestra.tif"));

    LeerInfoImagen(r);
    EXPECT_EQ(AnchoMuestra, 5);
    EXPECT_EQ(DescripcionPerfilICC(), QStringLiteral("Mi perfil de prueba"));
    CargarMuestra(r, nullptr);
    ASSERT_TRUE(HayMuestra);
    EXPECT_EQ(AnchoMuestra, 5);
    EXPECT_EQ(AltoMuestra, 3);
    EXPECT_EQ(PasoMuestra, 16);
    EXPECT_EQ(RutaMuestra, r);
    ASSERT_EQ(PixelesMuestra.size(), size_t(16 * 3));
    EXPECT_EQ(PixelesMuestra, PixelesMuestraOriginal);
    EXPECT_EQ(prueba::Pixel(PixelesMuestra, 3, 16, 4, 2), PatronBGR(4, 2));
    EXPECT_NEAR(DpiX(), 96.012, 1e-9);
    EXPECT_NEAR(DpiY(), 96.012, 1e-9);
    EXPECT_EQ(DescripcionPerfilICC(), QStringLiteral("Mi perfil de prueba"));
    EXPECT_EQ(DescripcionPerfilOrigen(), DescripcionPerfilICC());

    // One profile copy survives the read and the load, with the exact bytes.
    const QString copia = RutaPerfilICCTemp();
    ASSERT_FALSE(copia.isEmpty());
    EXPECT_TRUE(QFileInfo(copia).fileName().startsWith(QStringLiteral("zolv_icc_")));
    EXPECT_TRUE(copia.endsWith(QStringLiteral(".icc")));
    EXPECT_EQ(prueba::LeerArchivo(copia), perfil);
    EXPECT_EQ(prueba::Temporales(QStringLiteral("zolv_icc_")).size(), 1);

    // A second sample without a profile and without resolution (JPEG with no
    // density): its predecessor's copy goes, nothing replaces it.
    FIBITMAP *j = prueba::Color24(8, 8, [](int, int) { return 0x404040u; });
    FreeImage_SetDotsPerMeterX(j, 0);
    FreeImage_SetDotsPerMeterY(j, 0);
    const QString r2 = prueba::Guardar(j, FIF_JPEG, QStringLiteral("sin.jpg"));
    LeerInfoImagen(r2);
    CargarMuestra(r2, nullptr);
    ASSERT_EQ(AnchoMuestra, 8);
    EXPECT_EQ(DescripcionPerfilICC(), QStringLiteral("Sin perfil ICC"));
    EXPECT_EQ(RutaPerfilICCTemp(), QString());
    EXPECT_EQ(DpiX(), 0);
    EXPECT_EQ(DpiY(), 0);
    EXPECT_FALSE(QFileInfo::exists(copia));
    EXPECT_TRUE(prueba::Temporales(QStringLiteral("zolv_icc_")).isEmpty());
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST(CargaMuestra, FalloTrasLeerInfoDejaLaMuestraAnteriorEntera)
{
    CajasGuionadas cajas;
    FIBITMAP *b = prueba::Color24(4, 2, Patron);
    QByteArray perfil = prueba::PerfilMluc(QStringLiteral("Anterior"));
    FreeImage_CreateICCProfile(b, perfil.data(), perfil.size());
    FreeImage_SetDotsPerMeterX(b, 11811);
    FreeImage_SetDotsPerMeterY(b, 11811);
    const QString buena = prueba::Guardar(b, FIF_TIFF, QStringLiteral("buena.tif"));
    LeerInfoImagen(buena);
    CargarMuestra(buena, nullptr);
    ASSERT_TRUE(HayMuestra);
    const QString copia = RutaPerfilICCTemp();
    const Pixeles antes = PixelesMuestra;

    // A PNG with a sound header (and a profile) whose pixel data is cut off.
    FIBITMAP *n = prueba::Color24(64, 64, [](int x, int y) { return uint32_t(x * 977 + y * 131) * 2654435761u; });
    QByteArray otro = prueba::PerfilDesc("Nuevo");
    FreeImage_CreateICCProfile(n, otro.data(), otro.size());
    const QString rota = prueba::Guardar(n, FIF_TIFF, QStringLiteral("rota.tif"));
    QByteArray d = prueba::LeerArchivo(rota);
    d.truncate(d.size() / 3);
    prueba::EscribirArchivo(rota, d);

    LeerInfoImagen(rota);
    CargarMuestra(rota, nullptr);
    if (cajas.llamadas.isEmpty()) GTEST_SKIP() << "the codec accepted the cut file";
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Error al cargar la muestra"));
    EXPECT_EQ(cajas.llamadas[0].estilo, 0);
    EXPECT_TRUE(cajas.llamadas[0].titulo.isEmpty());
    EXPECT_TRUE(HayMuestra);
    EXPECT_EQ(AnchoMuestra, 4);
    EXPECT_EQ(AltoMuestra, 2);
    EXPECT_EQ(PasoMuestra, 12);
    EXPECT_EQ(RutaMuestra, buena);
    EXPECT_EQ(PixelesMuestra, antes);
    EXPECT_EQ(DescripcionPerfilICC(), QStringLiteral("Anterior"));
    EXPECT_NEAR(DpiX(), 299.9994, 1e-9);
    EXPECT_EQ(RutaPerfilICCTemp(), copia);
    EXPECT_TRUE(QFileInfo::exists(copia));
    EXPECT_EQ(prueba::Temporales(QStringLiteral("zolv_icc_")).size(), 1);
}

TEST(CargaMuestra, SinConversionA24BitsNiEscaneoNiMuestraCambian)
{
    CajasGuionadas cajas;
    // Floating-point samples have no route to 24 bits.
    FIBITMAP *f = FreeImage_AllocateT(FIT_FLOAT, 3, 2, 32);
    QByteArray perfil = prueba::PerfilDesc("Flotante");
    FreeImage_CreateICCProfile(f, perfil.data(), perfil.size());
    const QString flotante = prueba::Guardar(f, FIF_TIFF, QStringLiteral("flotante.tif"));
    ASSERT_FALSE(flotante.isEmpty());

    const QString buena = prueba::Guardar(prueba::Color24(2, 2, Patron), FIF_PNG, QStringLiteral("b.png"));
    CargarImagenEscaneo(buena, nullptr);
    LeerInfoImagen(buena);
    CargarMuestra(buena, nullptr);
    ASSERT_TRUE(cajas.llamadas.isEmpty());

    CargarImagenEscaneo(flotante, nullptr);
    LeerInfoImagen(flotante);
    EXPECT_EQ(DescripcionPerfilICC(), QStringLiteral("Flotante"));
    CargarMuestra(flotante, nullptr);
    ASSERT_EQ(cajas.llamadas.size(), 2);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Error al convertir"));
    EXPECT_EQ(cajas.llamadas[1].texto, QStringLiteral("Error al convertir la muestra"));
    EXPECT_EQ(AnchoEscaneo, 2);
    EXPECT_EQ(AnchoMuestra, 2);
    EXPECT_EQ(DescripcionPerfilICC(), QStringLiteral("Sin perfil ICC"));
    // Both copies of the refused file's profile are gone.
    EXPECT_TRUE(prueba::Temporales(QStringLiteral("zolv_icc_")).isEmpty());
}
