// Fit rectangle, stride, resolution, and loading the scan and the sample in
// every pixel format with their views, progress texts and profile copy.

#include "support/imagen.h"

#include "imaging/bloque.h"
#include "imaging/cargar.h"
#include "imaging/fitrect.h"
#include "platform/colorref.h"
#include "platform/memoria.h"
#include "platform/picturebox.h"
#include "support/scripted.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace modImage;

TEST(RectanguloAjustado, RedondeoPorParesYMargenesTruncados)
{
    const struct { int32_t bw, bh, iw, ih; QRect r; } casos[] = {
        {400, 300, 1000, 500, {0, 50, 400, 200}},  {401, 300, 2, 1, {0, 50, 401, 200}}, // 200.5 -> 200
        {300, 300, 100, 50, {0, 75, 300, 150}},    {3, 10, 6, 5, {0, 4, 3, 2}},          // 1.5 -> 2, 2.5 -> 2
        {10, 5, 5, 10, {4, 0, 2, 5}},              {101, 50, 50, 50, {25, 0, 50, 50}},   // odd margin truncated
        {640, 480, 4961, 7016, {150, 0, 339, 480}}, {0, 300, 100, 50, {}}, {400, 0, 100, 50, {}},
        {-5, 300, 100, 50, {}},                    {400, 300, 0, 50, {}},
    };
    for (const auto &c : casos) {
        int32_t l = -9, t = -9, w = -9, h = -9;
        CalcularRectanguloAjustado(c.bw, c.bh, c.iw, c.ih, l, t, w, h);
        EXPECT_EQ(QList<int>({l, t, w, h}), QList<int>({c.r.x(), c.r.y(), c.r.width(), c.r.height()})) << c.bw << " " << c.iw;
    }
}

TEST(Buffer, PasoCopiaYResolucion)
{
    EXPECT_EQ(PasoDeAncho(715827882), 2147483648LL); // no 32-bit wrap
    for (auto [ancho, paso] : {std::pair{1, 4}, std::pair{4, 12}, std::pair{5, 16}}) {
        ASSERT_EQ(PasoDeAncho(ancho), paso);
        Pixeles px(size_t(paso) * 3); // bitmap and back, padding included
        for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 7 + 1);
        modFreeImage::Bitmap b(BufferABitmap(px, ancho, 3, paso));
        ASSERT_TRUE(b);
        const uint8_t *bits = FreeImage_GetBits(b.get());
        Bloque vuelta;
        int32_t p2 = 0;
        ASSERT_TRUE(Bloque24Bits(std::move(b), vuelta, p2));
        EXPECT_EQ(vuelta, px);
        EXPECT_EQ((std::pair{p2, vuelta.data()}), (std::pair{paso, bits})); // the bitmap itself is kept
    }
    modFreeImage::Bitmap b(FreeImage_Allocate(2, 2, 24));
    double x = -1, y = -1;
    FreeImage_SetDotsPerMeterX(b.get(), 3780), FreeImage_SetDotsPerMeterY(b.get(), 11811);
    modFreeImage::Resolucion(b.get(), x, y);
    EXPECT_NEAR(x, 96.012, 1e-9);
    EXPECT_NEAR(y, 299.9994, 1e-9);
    FreeImage_SetDotsPerMeterY(b.get(), 0); // one axis unknown: both unknown
    modFreeImage::Resolucion(b.get(), x, y);
    EXPECT_EQ(x + y, 0);
}

namespace {
uint32_t Patron(int x, int y) { return uint32_t(10 + 40 * x) << 16 | uint32_t(5 + 30 * y) << 8 | uint32_t(7 * x + 3 * y); }
uint32_t Gris(int v) { return uint32_t(v) * 0x010101u; }
uint16_t Gris16(int x, int y, int) { return uint16_t(x * 9000 + y * 1000 + 0xAB); }
uint16_t Rgb16(int x, int y, int c) { return uint16_t((c + 1) * 0x1000 + x * 0x2100 + y * 0x0300); }
uint32_t Rgb16Alto(int x, int y) { return uint32_t(Rgb16(x, y, 0) >> 8) << 16 | uint32_t(Rgb16(x, y, 1) & 0xFF00) | Rgb16(x, y, 2) >> 8; }
// A bitmap of 16-bit samples, f(x, y, channel).
FIBITMAP *Hondo(FREE_IMAGE_TYPE tipo, int canales, uint16_t (*f)(int, int, int))
{
    FIBITMAP *b = FreeImage_AllocateT(tipo, 5, 3, 16 * canales);
    for (int y = 0; y < 3; ++y)
        for (int i = 0; i < 5 * canales; ++i) reinterpret_cast<uint16_t *>(FreeImage_GetScanLine(b, 2 - y))[i] = f(i / canales, y, i % canales);
    return b;
}
// A one-row bitmap from raw bytes, with a grey palette up to 8 bits.
FIBITMAP *Fila(int bits, int w, QByteArray bytes)
{
    FIBITMAP *b = FreeImage_Allocate(w, 1, bits);
    std::copy(bytes.begin(), bytes.end(), FreeImage_GetScanLine(b, 0));
    for (int i = 0, n = bits <= 8 ? 1 << bits : 0; i < n; ++i)
        FreeImage_GetPalette(b)[i] = RGBQUAD{BYTE(i * 255 / (n - 1)), BYTE(i * 255 / (n - 1)), BYTE(i * 255 / (n - 1)), 0};
    return b;
}
} // namespace

TEST(CargaEscaneo, CadaFormatoDePixelConSusValores)
{
    struct Caso { QString nombre; FIBITMAP *b; FREE_IMAGE_FORMAT fif; int flags, w, h; std::function<uint32_t(int, int)> px; int tol = 0; };
    std::vector<Caso> casos;
    using T = std::tuple<FREE_IMAGE_FORMAT, const char *, int>;
    // 24-bit lossless; widths 1, 4 and 5 cover every amount of row padding.
    for (auto [fif, ext, flags] : {T{FIF_BMP, ".bmp", 0}, T{FIF_PNG, ".png", 0}, T{FIF_TIFF, ".tif", 0},
                                   T{FIF_TIFF, ".tiff", TIFF_LZW}, T{FIF_WEBP, ".webp", WEBP_LOSSLESS}})
        for (int w : {1, 4, 5}) casos.push_back({QString::number(w) + ext, prueba::Color24(w, 3, Patron), fif, flags, w, 3, Patron});
    modFreeImage::Bitmap rgb(prueba::Color24(5, 2, Patron));
    FIBITMAP *rgba = FreeImage_ConvertTo32Bits(rgb.get()); // alpha dropped
    for (int x = 0; x < 5; ++x) FreeImage_GetScanLine(rgba, 0)[4 * x + FI_RGBA_ALPHA] = BYTE(x * 50);
    casos.push_back({"rgba.png", rgba, FIF_PNG, 0, 5, 2, Patron});
    casos.push_back({"g8.png", Fila(8, 3, "\x11\x4D\x89"), FIF_PNG, 0, 3, 1, [](int x, int) { return Gris(17 + 60 * x); }});
    FIBITMAP *pal = Fila(8, 2, QByteArray("\x01\x00", 2));
    FreeImage_GetPalette(pal)[0] = RGBQUAD{1, 2, 3, 0}; // blue, green, red
    FreeImage_GetPalette(pal)[1] = RGBQUAD{200, 100, 50, 0};
    casos.push_back({"pal.bmp", pal, FIF_BMP, 0, 2, 1, [](int x, int) { return x ? 0x030201u : 0x3264C8u; }});
    casos.push_back({"b1.bmp", Fila(1, 9, QByteArray("\x80\x00", 2)), FIF_BMP, 0, 9, 1, [](int x, int) { return x ? 0u : 0xFFFFFFu; }});
    // 16-bit samples, the usual scanner output: the high byte.
    for (auto [fif, ext] : {std::pair{FIF_TIFF, ".tif"}, std::pair{FIF_PNG, ".png"}}) {
        casos.push_back({"g16" + QString(ext), Hondo(FIT_UINT16, 1, Gris16), fif, 0, 5, 3, [](int x, int y) { return Gris(Gris16(x, y, 0) >> 8); }});
        casos.push_back({"r48" + QString(ext), Hondo(FIT_RGB16, 3, Rgb16), fif, 0, 5, 3, Rgb16Alto});
        casos.push_back({"r64" + QString(ext), Hondo(FIT_RGBA16, 4, Rgb16), fif, 0, 5, 3, Rgb16Alto});
    }
    // CMYK: paper white, full black, full cyan. JPEG: a flat grey within 2.
    casos.push_back({"cmyk.tif", Fila(32, 3, QByteArray("\0\0\0\0\0\0\0\xFF\xFF\0\0\0", 12)), FIF_TIFF, TIFF_CMYK, 3, 1,
                     [](int x, int) { return std::array{0xFFFFFFu, 0u, 0x00FFFFu}[x]; }});
    casos.push_back({"gris.jpg", prueba::Color24(16, 8, [](int, int) { return Gris(128); }), FIF_JPEG, 100, 16, 8, [](int, int) { return Gris(128); }, 2});

    CajasGuionadas cajas;
    for (Caso &c : casos) {
        SCOPED_TRACE(c.nombre.toStdString());
        const QString r = prueba::Guardar(c.b, c.fif, c.nombre, c.flags);
        HayEscaneo = false;
        ASSERT_TRUE(!r.isEmpty() && CargarImagenEscaneo(r, nullptr));
        ASSERT_EQ(QList<int64_t>({AnchoEscaneo, AltoEscaneo, PasoEscaneo}), QList<int64_t>({c.w, c.h, PasoDeAncho(c.w)}));
        ASSERT_EQ(PixelesEscaneo.size(), size_t(PasoEscaneo) * c.h);
        for (int i = 0; i < c.w * c.h * 3; ++i)
            ASSERT_NEAR(int(prueba::Pixel(PixelesEscaneo, AltoEscaneo, PasoEscaneo, i / 3 % c.w, i / 3 / c.w) >> (i % 3 * 8) & 0xFF),
                        int(c.px(i / 3 % c.w, i / 3 / c.w) >> (i % 3 * 8) & 0xFF), c.tol) << "pixel " << i / 3;
    }
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST(CargaEscaneo, VistaAjustadaSobreNegroYProgreso)
{
    CajasGuionadas cajas;
    {
        ProgresoGrabado oculta(false); // a hidden window gets nothing
        CargarImagenEscaneo(prueba::Guardar(prueba::Color24(3, 3, Patron), FIF_BMP, "a.bmp"), nullptr);
        EXPECT_TRUE(oculta.informes.isEmpty());
    }
    ProgresoGrabado progreso;
    // 20 x 10 red with a white top row, in a 40 x 30 green box: s = 2, 40 x 20 at top 5.
    PictureBox pic;
    pic.S().Redimensionar(40, 30);
    pic.S().BackColor = ColorRef::RGB(0, 255, 0);
    pic.S().Cls();
    CargarImagenEscaneo(prueba::Guardar(prueba::Color24(20, 10, [](int, int y) { return y ? 0xFF0000u : 0xFFFFFFu; }), FIF_PNG, "rojo.png"), &pic);
    EXPECT_EQ(progreso.informes, (Informes{{10, "Cargando imagen..."}, {40, "Mostrando imagen..."}, {70, "Preparando..."}, {100, "Listo."}}));
    const uint32_t blanco = ColorRef::RGB(255, 255, 255), rojo = ColorRef::RGB(255, 0, 0);
    EXPECT_EQ(QList<uint32_t>({pic.S().Point(0, 4), pic.S().Point(0, 5), pic.S().Point(39, 6), pic.S().Point(20, 7), pic.S().Point(39, 25)}),
              QList<uint32_t>({0, blanco, blanco, rojo, 0}));
    int32_t l, t, w, h;
    RectanguloVistaEscaneo(40, 30, l, t, w, h);
    EXPECT_EQ(QRect(l, t, w, h), QRect(0, 5, 40, 20));
    // A 10 x 10 box: s = 0.5, the first row averages white and red.
    Superficie otra(10, 10);
    PintarEscaneo(otra);
    EXPECT_EQ(QList<uint32_t>({otra.Point(5, 1), otra.Point(5, 2), otra.Point(5, 6), otra.Point(5, 7)}),
              QList<uint32_t>({0, ColorRef::RGB(255, 128, 128), rojo, 0}));
    EXPECT_TRUE(prueba::Temporales("zolv_icc_").isEmpty()); // the scan's profile is never read
}

TEST(CargaMuestra, BuffersResolucionPerfilYSuCopia)
{
    CajasGuionadas cajas;
    ProgresoGrabado progreso;
    FIBITMAP *b = prueba::Color24(5, 3, Patron);
    FreeImage_SetDotsPerMeterX(b, 3780), FreeImage_SetDotsPerMeterY(b, 3780);
    const QByteArray perfil = prueba::PerfilDesc("  Mi perfil de prueba \0basura", 29);
    prueba::Incrustar(b, perfil);
    const QString r = prueba::Guardar(b, FIF_TIFF, "muestra.tif");
    LeerInfoImagen(r);
    EXPECT_EQ(DescripcionPerfilICC(), QStringLiteral("Mi perfil de prueba"));
    CargarMuestra(r, nullptr);
    EXPECT_EQ(progreso.informes, (Informes{{10, "Cargando imagen de muestra..."}, {30, "Preparando..."}, {50, "Mostrando imagen..."}, {100, "Listo."}}));
    ASSERT_TRUE(HayMuestra);
    const QString copia = RutaPerfilICCTemp(); // one copy, with the exact bytes
    EXPECT_EQ((std::tuple{AnchoMuestra, AltoMuestra, PasoMuestra, RutaMuestra, DescripcionPerfilOrigen(), Leer(copia)}),
              (std::tuple{5, 3, 16, r, QStringLiteral("Mi perfil de prueba"), perfil}));
    EXPECT_EQ(prueba::Pixel(PixelesMuestra, 3, 16, 4, 2), Patron(4, 2));
    EXPECT_NEAR(DpiX(), 96.012, 1e-9);
    EXPECT_NEAR(DpiY(), 96.012, 1e-9);
    EXPECT_TRUE(prueba::Temporales("zolv_icc_") == QStringList{QFileInfo(copia).fileName()} && copia.endsWith(".icc"));

    // A JPEG with no profile and no density: the old copy goes, nothing replaces it.
    FIBITMAP *j = prueba::Color24(8, 8, [](int, int) { return 0x404040u; });
    FreeImage_SetDotsPerMeterX(j, 0), FreeImage_SetDotsPerMeterY(j, 0);
    const QString r2 = prueba::Guardar(j, FIF_JPEG, "sin.jpg");
    LeerInfoImagen(r2);
    CargarMuestra(r2, nullptr);
    ASSERT_EQ(AnchoMuestra, 8);
    EXPECT_EQ((std::tuple{DescripcionPerfilICC(), RutaPerfilICCTemp(), DpiX() + DpiY()}),
              (std::tuple{QStringLiteral("Sin perfil ICC"), QString(), 0.0}));
    EXPECT_TRUE(prueba::Temporales("zolv_icc_").isEmpty() && cajas.llamadas.isEmpty());
}

TEST(CargaMuestra, DosLecturasDeInformacionYUnaCargaFallidaDejanLaMuestraComoEstaba)
{
    // The sample: 4 x 2 at 300 x 600 dpi with its profile. Then another
    // file's information twice (its header reads; its load finds no memory):
    // the second read drops the first read's copy, the failed load puts back
    // the sample's size, profile, copy and both resolutions, and drops the
    // second read's copy.
    CajasGuionadas cajas;
    FIBITMAP *b = prueba::Color24(4, 2, Patron);
    FreeImage_SetDotsPerMeterX(b, 11811), FreeImage_SetDotsPerMeterY(b, 23622);
    prueba::Incrustar(b, prueba::PerfilDesc("Propio"));
    const QString propia = prueba::Guardar(b, FIF_TIFF, "propia.tif");
    LeerInfoImagen(propia);
    ASSERT_TRUE(CargarMuestra(propia, nullptr));
    const QString copia = RutaPerfilICCTemp();
    FIBITMAP *o = prueba::Color24(40, 30, Patron);
    FreeImage_SetDotsPerMeterX(o, 3780), FreeImage_SetDotsPerMeterY(o, 3780);
    prueba::Incrustar(o, prueba::PerfilDesc("Ajeno"));
    const QString ajena = prueba::Guardar(o, FIF_TIFF, "ajena.tif");
    Memoria::FijarDisponible(1000);
    for (int i = 0; i < 2; ++i) {
        LeerInfoImagen(ajena);
        ASSERT_EQ((std::tuple{AnchoMuestra, DescripcionPerfilICC(), prueba::Temporales("zolv_icc_").size()}),
                  (std::tuple{40, QStringLiteral("Ajeno"), size_t(2)}));
    }
    EXPECT_FALSE(CargarMuestra(ajena, nullptr));
    Memoria::FijarDisponible(-1);
    EXPECT_EQ((std::tuple{AnchoMuestra, AltoMuestra, DescripcionPerfilICC(), DescripcionPerfilOrigen(), RutaPerfilICCTemp()}),
              (std::tuple{4, 2, QStringLiteral("Propio"), QStringLiteral("Propio"), copia}));
    EXPECT_NEAR(DpiX(), 299.9994, 1e-9);
    EXPECT_NEAR(DpiY(), 599.9988, 1e-9);
    EXPECT_EQ(prueba::Temporales("zolv_icc_"), QStringList{QFileInfo(copia).fileName()});
    EXPECT_EQ(cajas.llamadas.size(), 1);
}
