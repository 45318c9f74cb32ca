// Save options without the window: flags, identifiers, names, folders, and
// what the image library writes with those flags.

#include "output/opcionesguardado.h"

#include "support/imagen.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtEndian>
#include <functional>

using namespace GuardarOpciones;

namespace {
Opciones Con(Formato f, std::function<void(Opciones &)> cambiar = {})
{
    Opciones o;
    o.formato = f;
    if (cambiar) cambiar(o);
    return o;
}
Opciones Tiff(int compresion, bool predictor, bool bigEndian)
{
    return Con(Formato::TIFF, [=](Opciones &o) { o.compresionTiff = compresion, o.tiffPredictor = predictor, o.tiffBigEndian = bigEndian; });
}
} // namespace

TEST(SaveFlags, CombinacionesDeCadaFormato)
{
    // PackBits and JPEG take no predictor; "no compression" takes neither box;
    // other formats' options never leak into BMP.
    const std::pair<Opciones, int> casos[] = {
        {Tiff(TiffLZW, true, true), 0x34000}, {Tiff(TiffLZW, false, false), TIFF_LZW},
        {Tiff(TiffZIP, true, true), TIFF_DEFLATE | 0x30000}, {Tiff(TiffPackBits, true, false), TIFF_PACKBITS},
        {Tiff(TiffPackBits, true, true), TIFF_PACKBITS | 0x20000}, {Tiff(TiffJPEG, true, true), TIFF_JPEG | 0x20000},
        {Tiff(TiffSinCompresion, true, true), TIFF_NONE}, {Tiff(-1, true, true), 0},
        {Con(Formato::JPEG), 92}, {Con(Formato::JPEG, [](Opciones &o) { o.jpegProgresivo = true; }), 0x205C},
        {Con(Formato::PNG), PNG_Z_DEFAULT_COMPRESSION}, {Con(Formato::PNG, [](Opciones &o) { o.compresionPng = 0; }), PNG_Z_NO_COMPRESSION},
        {Con(Formato::PNG, [](Opciones &o) { o.compresionPng = 9; }), PNG_Z_BEST_COMPRESSION}, {Con(Formato::WEBP), 90},
        {Con(Formato::WEBP, [](Opciones &o) { o.webpLossless = true, o.calidadWebp = 37; }), WEBP_LOSSLESS},
        {Con(Formato::BMP, [](Opciones &o) { o.jpegProgresivo = o.webpLossless = true; }), 0},
    };
    for (const auto &[o, flag] : casos) EXPECT_EQ(CalcularSaveFlag(o), flag) << Extension(o.formato).toStdString() << " " << o.compresionTiff;
}

TEST(Formatos, IdentificadoresExtensionesYFormatoDelOrigen)
{
    const std::tuple<Formato, int, QString, QString> casos[] = {
        {Formato::JPEG, FIF_JPEG, ".jpg", "JPEG"}, {Formato::PNG, FIF_PNG, ".png", "PNG"}, {Formato::TIFF, FIF_TIFF, ".tif", "TIFF"},
        {Formato::WEBP, FIF_WEBP, ".webp", "WebP"}, {Formato::BMP, FIF_BMP, ".bmp", "BMP"}};
    for (const auto &[f, id, ext, desc] : casos) {
        EXPECT_EQ(std::tuple(IdFormato(f), Extension(f), Patron(f), Descripcion(f)), std::tuple(id, ext, "*" + ext, desc));
        EXPECT_EQ(FormatoPorExtension(ext.toUpper()), f);
    }
    for (auto [ext, f] : {std::pair{".jpeg", Formato::JPEG}, {".Tiff", Formato::TIFF}, {".gif", Formato::JPEG}, {"", Formato::JPEG}})
        EXPECT_EQ(FormatoPorExtension(ext), f) << ext;
}

TEST(Nombres, RutasNombreInicialYExtensionForzada)
{
    const QString win = "/fotos/retrato.TIFF";
    const std::pair<QString, QString> casos[] = {
        {CarpetaDe(win), "/fotos"}, {CarpetaDe("/a\\b/c.jpg"), "/a\\b"}, {NombreArchivoDe("solo"), "solo"},
        {NombreArchivoDe("/u/mi\\foto.jpg"), "mi\\foto.jpg"}, // a backslash is part of the name
        {ExtensionDe("/x.d/a"), ".d/a"}, // separators do not stop it
        {QuitarExtension("a.tar.gz"), "a.tar"},
        // The source's extension lower-cased; the format's click then swaps it.
        {NombreInicial(win), "retrato _ curva aplicada.tiff"},
        {CambiarExtension(NombreInicial(win), ".tif"), "retrato _ curva aplicada.tif"},
        {NombreInicial("/mis.fotos/foto"), "foto _ curva aplicada"}, {NombreInicial(""), " _ curva aplicada"},
        {NombreConExtension(" _ curva aplicada", Formato::JPEG), "_ curva aplicada.jpg"},
        {NombreConExtension("prueba.png", Formato::JPEG), "prueba.jpg"}, {NombreConExtension("FOTO.JPG", Formato::JPEG), "FOTO.JPG"},
        {NombreConExtension(" sin extension ", Formato::WEBP), "sin extension.webp"}, {NombreConExtension("x.tiff", Formato::TIFF), "x.tif"},
        {CarpetaInicial("/datos/fotos/retrato.tif"), "/datos/fotos"}, {CarpetaInicial("/retrato.tif"), ""}, // target "/" + name
        {CarpetaInicial("retrato.tif"), QDir::currentPath()}, // relative to the working folder, never the root
    };
    for (const auto &[obtenido, esperado] : casos) EXPECT_EQ(obtenido, esperado);
    // No source: Pictures in the home folder when it exists, else home.
    QTemporaryDir casa;
    qputenv("HOME", QFile::encodeName(casa.path()));
    EXPECT_EQ(CarpetaInicial(QString()), casa.path());
    ASSERT_TRUE(QDir(casa.path()).mkdir("Pictures"));
    EXPECT_EQ(CarpetaInicial(QString()), casa.path() + "/Pictures");
}

namespace {
// The compression tag of a TIFF file's first directory, in either byte order.
int TagCompresion(const QByteArray &d)
{
    auto u = [&](qsizetype o, int n) -> quint32 {
        if (o + n > d.size()) return 0;
        const auto *p = reinterpret_cast<const uchar *>(d.constData() + o);
        const bool ii = d.startsWith("II");
        if (n == 2) return ii ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
        return ii ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
    };
    for (quint32 i = 0, ifd = u(4, 4), n = u(ifd, 2); i < n; ++i)
        if (u(ifd + 2 + 12 * i, 2) == 259) return int(u(ifd + 2 + 12 * i + 8, 2));
    return -1;
}
} // namespace

TEST(Guardado, CadaCompresionTiffSeLeeDeVuelta)
{
    // The predictor and byte-order bits beside FreeImage's own must not turn a coder into another
    // (tags: 1 none, 5 LZW, 7 JPEG, 8 or 32946 Deflate, 32773 PackBits); other formats' files are the save's fingerprints'.
    const struct { const char *nombre; Opciones o; int tolerancia; QList<int> tags; } casos[] = {
        {"lzw.tif", Tiff(TiffLZW, true, true), 0, {5}},           {"zip.tif", Tiff(TiffZIP, true, true), 0, {8, 32946}},
        {"pb.tif", Tiff(TiffPackBits, false, true), 0, {32773}},  {"n.tif", Tiff(TiffSinCompresion, true, true), 0, {1}},
        {"j.tif", Tiff(TiffJPEG, false, true), 24, {7}},
    };
    // A 61 x 23 smooth ramp (padded rows, kind to lossy coders).
    const int W = 61, H = 23;
    const modFreeImage::Bitmap bmp(prueba::Color24(W, H, [](int x, int y) { return uint32_t(128 + (x + y) % 17) << 16 | uint32_t(y * 10) << 8 | uint32_t(3 * x); }));
    for (const auto &c : casos) {
        const QString ruta = prueba::Ruta(QString::fromLatin1(c.nombre));
        ASSERT_TRUE(FreeImage_Save(FIF_TIFF, bmp.get(), QFile::encodeName(ruta).constData(), CalcularSaveFlag(c.o))) << c.nombre;
        const modFreeImage::Bitmap leido(FreeImage_Load(FIF_TIFF, QFile::encodeName(ruta).constData(), 0));
        ASSERT_TRUE(leido && FreeImage_GetBPP(leido.get()) == 24 && FreeImage_GetWidth(leido.get()) == W && FreeImage_GetHeight(leido.get()) == H) << c.nombre;
        int peor = 0;
        for (int y = 0; y < H; ++y)
            for (int i = 0; i < W * 3; ++i) peor = std::max(peor, std::abs(FreeImage_GetScanLine(bmp.get(), y)[i] - FreeImage_GetScanLine(leido.get(), y)[i]));
        EXPECT_LE(peor, c.tolerancia) << c.nombre;
        EXPECT_TRUE(c.tags.contains(TagCompresion(Leer(ruta)))) << c.nombre;
    }
}
