// Save options without the window: flags, identifiers, names, folders, and
// what the image library writes with those flags.

#include "output/opcionesguardado.h"

#include <gtest/gtest.h>

#include <FreeImage.h>

#include <QDir>
#include <QFile>
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
    EXPECT_EQ(0x205C, 92 | JPEG_PROGRESSIVE);
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
    EXPECT_EQ(std::vector({IdFormato(Formato::JPEG), IdFormato(Formato::PNG), IdFormato(Formato::TIFF), IdFormato(Formato::WEBP)}),
              std::vector({2, 13, 18, 35}));
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
// Saves a 61 x 23 smooth ramp (padded rows, kind to lossy coders) with the
// options; the file's bytes and the largest difference read back (999: unreadable).
std::pair<QByteArray, int> GuardarYLeer(const Opciones &o, const QString &ruta)
{
    const int W = 61, H = 23;
    FIBITMAP *bmp = FreeImage_Allocate(W, H, 24);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W * 3; x += 3)
            FreeImage_GetScanLine(bmp, y)[x] = BYTE(x), FreeImage_GetScanLine(bmp, y)[x + 1] = BYTE(y * 10),
                                 FreeImage_GetScanLine(bmp, y)[x + 2] = BYTE(128 + (x + y) % 17);
    const QByteArray r = QFile::encodeName(ruta);
    const auto fif = FREE_IMAGE_FORMAT(IdFormato(o.formato));
    int peor = 999;
    if (FreeImage_Save(fif, bmp, r.constData(), CalcularSaveFlag(o)))
        if (FIBITMAP *leido = FreeImage_Load(fif, r.constData(), 0)) {
            if (FreeImage_GetBPP(leido) == 24 && FreeImage_GetWidth(leido) == W && FreeImage_GetHeight(leido) == H)
                for (int y = 0, i = peor = 0; y < H; ++y)
                    for (i = 0; i < W * 3; ++i) peor = std::max(peor, std::abs(FreeImage_GetScanLine(bmp, y)[i] - FreeImage_GetScanLine(leido, y)[i]));
            FreeImage_Unload(leido);
        }
    FreeImage_Unload(bmp);
    QFile f(ruta);
    return {f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), peor};
}

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

TEST(Guardado, CadaFormatoYOpcionSeLeeDeVuelta)
{
    QTemporaryDir dir;
    // TIFF compression tags: 1 none, 5 LZW, 7 JPEG, 8 or 32946 Deflate, 32773 PackBits;
    // the predictor and byte-order bits must not turn LZW into another coder.
    // PNG level 0 stores at least the raw bytes; SOF2 marks a progressive JPEG; VP8L a lossless WebP.
    const struct { const char *nombre; Opciones o; int tolerancia; std::function<bool(const QByteArray &)> bytes; } casos[] = {
        {"lzw.tif", Tiff(TiffLZW, true, true), 0, [](const QByteArray &b) { return TagCompresion(b) == 5; }},
        {"zip.tif", Tiff(TiffZIP, true, true), 0, [](const QByteArray &b) { return TagCompresion(b) == 8 || TagCompresion(b) == 32946; }},
        {"pb.tif", Tiff(TiffPackBits, false, true), 0, [](const QByteArray &b) { return TagCompresion(b) == 32773; }},
        {"n.tif", Tiff(TiffSinCompresion, true, true), 0, [](const QByteArray &b) { return TagCompresion(b) == 1; }},
        {"j.tif", Tiff(TiffJPEG, false, true), 24, [](const QByteArray &b) { return TagCompresion(b) == 7; }},
        {"0.png", Con(Formato::PNG, [](Opciones &o) { o.compresionPng = 0; }), 0, [](const QByteArray &b) { return b.size() >= 61 * 23 * 3; }},
        {"6.png", Con(Formato::PNG), 0, [](const QByteArray &b) { return b.size() < 61 * 23 * 3 / 2; }},
        {"p.jpg", Con(Formato::JPEG, [](Opciones &o) { o.jpegProgresivo = true; }), 24, [](const QByteArray &b) { return b.contains("\xFF\xC2"); }},
        {"b.jpg", Con(Formato::JPEG), 24, [](const QByteArray &b) { return !b.contains("\xFF\xC2"); }},
        {"l.webp", Con(Formato::WEBP, [](Opciones &o) { o.webpLossless = true, o.calidadWebp = 1; }), 0, [](const QByteArray &b) { return b.contains("VP8L"); }},
        {"q.webp", Con(Formato::WEBP), 40, [](const QByteArray &b) { return !b.contains("VP8L"); }},
        {"a.bmp", Con(Formato::BMP), 0, [](const QByteArray &b) { return b.startsWith("BM"); }},
    };
    for (const auto &c : casos) {
        const auto [bytes, peor] = GuardarYLeer(c.o, dir.filePath(c.nombre));
        EXPECT_LE(peor, c.tolerancia) << c.nombre;
        EXPECT_TRUE(c.bytes(bytes)) << c.nombre;
    }
}
