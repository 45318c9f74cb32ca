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
    return Con(Formato::TIFF, [=](Opciones &o) {
        o.compresionTiff = compresion;
        o.tiffPredictor = predictor;
        o.tiffBigEndian = bigEndian;
    });
}
} // namespace

TEST(SaveFlags, CombinacionesDeCadaFormato)
{
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffLZW, true, true)), 0x34000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffLZW, false, false)), TIFF_LZW);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffZIP, true, true)), TIFF_DEFLATE | 0x30000);
    // PackBits and JPEG take no predictor; "no compression" takes neither box.
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffPackBits, true, false)), TIFF_PACKBITS);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffPackBits, true, true)), TIFF_PACKBITS | 0x20000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffJPEG, true, true)), TIFF_JPEG | 0x20000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffSinCompresion, true, true)), TIFF_NONE);
    EXPECT_EQ(CalcularSaveFlag(Tiff(-1, true, true)), 0);

    EXPECT_EQ(CalcularSaveFlag(Con(Formato::JPEG)), 92);
    EXPECT_EQ(CalcularSaveFlag(Con(Formato::JPEG, [](Opciones &o) { o.jpegProgresivo = true; })), 0x205C);
    EXPECT_EQ(0x205C, 92 | JPEG_PROGRESSIVE);
    EXPECT_EQ(CalcularSaveFlag(Con(Formato::PNG)), PNG_Z_DEFAULT_COMPRESSION);
    EXPECT_EQ(CalcularSaveFlag(Con(Formato::PNG, [](Opciones &o) { o.compresionPng = 0; })), PNG_Z_NO_COMPRESSION);
    EXPECT_EQ(CalcularSaveFlag(Con(Formato::PNG, [](Opciones &o) { o.compresionPng = 9; })), PNG_Z_BEST_COMPRESSION);
    EXPECT_EQ(CalcularSaveFlag(Con(Formato::WEBP)), 90);
    EXPECT_EQ(CalcularSaveFlag(Con(Formato::WEBP, [](Opciones &o) { o.webpLossless = true, o.calidadWebp = 37; })),
              WEBP_LOSSLESS);
    // Options of other formats never leak into BMP.
    EXPECT_EQ(CalcularSaveFlag(Con(Formato::BMP, [](Opciones &o) { o.jpegProgresivo = o.webpLossless = true; })), 0);
}

TEST(Formatos, IdentificadoresExtensionesYEleccionPorOrigen)
{
    const std::tuple<Formato, int, int, const char *, const char *> casos[] = {
        {Formato::JPEG, 2, FIF_JPEG, ".jpg", "JPEG"},  {Formato::PNG, 13, FIF_PNG, ".png", "PNG"},
        {Formato::TIFF, 18, FIF_TIFF, ".tif", "TIFF"}, {Formato::WEBP, 35, FIF_WEBP, ".webp", "WebP"},
        {Formato::BMP, 0, FIF_BMP, ".bmp", "BMP"}};
    for (const auto &[f, id, fif, ext, desc] : casos) {
        EXPECT_EQ(IdFormato(f), id);
        EXPECT_EQ(fif, id);
        EXPECT_EQ(Extension(f), QString::fromLatin1(ext));
        EXPECT_EQ(Patron(f), QStringLiteral("*") + QString::fromLatin1(ext));
        EXPECT_EQ(Descripcion(f), QString::fromLatin1(desc));
        EXPECT_EQ(FormatoPorExtension(QString::fromLatin1(ext).toUpper()), f);
    }
    EXPECT_EQ(FormatoPorExtension(QStringLiteral(".jpeg")), Formato::JPEG);
    EXPECT_EQ(FormatoPorExtension(QStringLiteral(".Tiff")), Formato::TIFF);
    EXPECT_EQ(FormatoPorExtension(QStringLiteral(".gif")), Formato::JPEG);
    EXPECT_EQ(FormatoPorExtension(QString()), Formato::JPEG);
}

TEST(Nombres, RutasNombreInicialYExtensionForzada)
{
    const QString win = QStringLiteral("D:\\fotos\\retrato.TIFF");
    EXPECT_EQ(CarpetaDe(win), QStringLiteral("D:\\fotos"));
    EXPECT_EQ(CarpetaDe(QStringLiteral("/a\\b/c.jpg")), QStringLiteral("/a\\b"));
    EXPECT_EQ(NombreArchivoDe(QStringLiteral("solo")), QStringLiteral("solo"));
    EXPECT_EQ(ExtensionDe(QStringLiteral("/x.d/a")), QStringLiteral(".d/a")); // separators do not stop it
    EXPECT_EQ(QuitarExtension(QStringLiteral("a.tar.gz")), QStringLiteral("a.tar"));

    // The source's extension is lower-cased; the format's click then swaps it.
    const QString n = NombreInicial(win);
    EXPECT_EQ(n, QStringLiteral("retrato _ curva aplicada.tiff"));
    EXPECT_EQ(CambiarExtension(n, QStringLiteral(".tif")), QStringLiteral("retrato _ curva aplicada.tif"));
    EXPECT_EQ(NombreInicial(QStringLiteral("/mis.fotos/foto")), QStringLiteral("foto _ curva aplicada"));
    EXPECT_EQ(NombreInicial(QString()), QStringLiteral(" _ curva aplicada"));

    EXPECT_EQ(NombreConExtension(QStringLiteral(" _ curva aplicada"), Formato::JPEG),
              QStringLiteral("_ curva aplicada.jpg"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("prueba.png"), Formato::JPEG), QStringLiteral("prueba.jpg"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("FOTO.JPG"), Formato::JPEG), QStringLiteral("FOTO.JPG"));
    EXPECT_EQ(NombreConExtension(QStringLiteral(" sin extension "), Formato::WEBP), QStringLiteral("sin extension.webp"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("x.tiff"), Formato::TIFF), QStringLiteral("x.tif"));
}

TEST(Carpetas, DelOrigenOImagenesOInicio)
{
    EXPECT_EQ(CarpetaInicial(QStringLiteral("/datos/fotos/retrato.tif")), QStringLiteral("/datos/fotos"));
    EXPECT_EQ(CarpetaInicial(QStringLiteral("/retrato.tif")), QString()); // target "/" + name
    // A bare name is taken relative to the working folder, never the root.
    EXPECT_EQ(CarpetaInicial(QStringLiteral("retrato.tif")), QDir::currentPath());

    QTemporaryDir casa;
    ASSERT_TRUE(casa.isValid());
    qputenv("HOME", QFile::encodeName(casa.path()));
    EXPECT_EQ(CarpetaInicial(QString()), casa.path());
    ASSERT_TRUE(QDir(casa.path()).mkdir(QStringLiteral("Pictures")));
    EXPECT_EQ(CarpetaInicial(QString()), casa.path() + QStringLiteral("/Pictures"));
}

// What the image library writes with these flags, read back from the file.
namespace {
constexpr int W = 61, H = 23; // odd width: padded rows

struct Guardado {
    QByteArray bytes;
    int peorDiferencia = 999;
};

Guardado GuardarYLeer(const Opciones &o, const QString &ruta)
{
    FIBITMAP *bmp = FreeImage_Allocate(W, H, 24, 0, 0, 0);
    for (int y = 0; y < H; ++y) {
        BYTE *fila = FreeImage_GetScanLine(bmp, y);
        for (int x = 0; x < W * 3; x += 3) // smooth ramps, kind to lossy coders
            fila[x] = BYTE(x), fila[x + 1] = BYTE(y * 10), fila[x + 2] = BYTE(128 + (x + y) % 17);
    }
    const QByteArray r = QFile::encodeName(ruta);
    const auto fif = FREE_IMAGE_FORMAT(IdFormato(o.formato));
    Guardado g;
    if (FreeImage_Save(fif, bmp, r.constData(), CalcularSaveFlag(o))) {
        if (FIBITMAP *leido = FreeImage_Load(fif, r.constData(), 0)) {
            if (FreeImage_GetBPP(leido) == 24 && FreeImage_GetWidth(leido) == W && FreeImage_GetHeight(leido) == H) {
                g.peorDiferencia = 0;
                for (int y = 0; y < H; ++y)
                    for (int i = 0; i < W * 3; ++i)
                        g.peorDiferencia = std::max(g.peorDiferencia, std::abs(FreeImage_GetScanLine(bmp, y)[i] -
                                                                               FreeImage_GetScanLine(leido, y)[i]));
            }
            FreeImage_Unload(leido);
        }
        QFile f(ruta);
        if (f.open(QIODevice::ReadOnly)) g.bytes = f.readAll();
    }
    FreeImage_Unload(bmp);
    return g;
}

// The compression tag of a TIFF file's first directory, in either byte order.
int TagCompresion(const QByteArray &d)
{
    const bool ii = d.startsWith("II");
    auto u = [&](qsizetype o, int n) -> quint32 {
        if (o + n > d.size()) return 0;
        const auto *p = reinterpret_cast<const uchar *>(d.constData() + o);
        if (n == 2) return ii ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
        return ii ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
    };
    const quint32 ifd = u(4, 4);
    for (quint32 i = 0, n = u(ifd, 2); i < n; ++i)
        if (u(ifd + 2 + 12 * i, 2) == 259) return int(u(ifd + 2 + 12 * i + 8, 2));
    return -1;
}
} // namespace

TEST(Guardado, CadaFormatoYOpcionSeLeeDeVuelta)
{
    QTemporaryDir dir;
    auto en = [&](const char *n) { return dir.filePath(QString::fromLatin1(n)); };

    // TIFF compression tags: 1 none, 5 LZW, 7 JPEG, 8 or 32946 Deflate, 32773 PackBits.
    // The predictor and byte-order bits must not turn LZW into another coder.
    Guardado t = GuardarYLeer(Tiff(TiffLZW, true, true), en("lzw.tif"));
    EXPECT_EQ(t.peorDiferencia, 0);
    EXPECT_EQ(TagCompresion(t.bytes), 5);
    t = GuardarYLeer(Tiff(TiffZIP, true, true), en("zip.tif"));
    EXPECT_EQ(t.peorDiferencia, 0);
    EXPECT_TRUE(TagCompresion(t.bytes) == 8 || TagCompresion(t.bytes) == 32946);
    EXPECT_EQ(TagCompresion(GuardarYLeer(Tiff(TiffPackBits, false, true), en("pb.tif")).bytes), 32773);
    EXPECT_EQ(TagCompresion(GuardarYLeer(Tiff(TiffSinCompresion, true, true), en("n.tif")).bytes), 1);
    t = GuardarYLeer(Tiff(TiffJPEG, false, true), en("j.tif"));
    EXPECT_EQ(TagCompresion(t.bytes), 7);
    EXPECT_LE(t.peorDiferencia, 24);

    // PNG level 0 stores the rows: at least the raw pixel bytes.
    const Guardado p0 = GuardarYLeer(Con(Formato::PNG, [](Opciones &o) { o.compresionPng = 0; }), en("0.png"));
    const Guardado p6 = GuardarYLeer(Con(Formato::PNG), en("6.png"));
    EXPECT_EQ(p0.peorDiferencia + p6.peorDiferencia, 0);
    EXPECT_GE(p0.bytes.size(), W * H * 3);
    EXPECT_LT(p6.bytes.size(), p0.bytes.size() / 2);

    const QByteArray sof2("\xFF\xC2", 2); // progressive frame marker
    const Guardado jp = GuardarYLeer(Con(Formato::JPEG, [](Opciones &o) { o.jpegProgresivo = true; }), en("p.jpg"));
    EXPECT_TRUE(jp.bytes.contains(sof2));
    EXPECT_LE(jp.peorDiferencia, 24);
    EXPECT_FALSE(GuardarYLeer(Con(Formato::JPEG), en("b.jpg")).bytes.contains(sof2));

    const Guardado wl = GuardarYLeer(
        Con(Formato::WEBP, [](Opciones &o) { o.webpLossless = true, o.calidadWebp = 1; }), en("l.webp"));
    EXPECT_EQ(wl.peorDiferencia, 0);
    EXPECT_TRUE(wl.bytes.contains("VP8L"));
    const Guardado wq = GuardarYLeer(Con(Formato::WEBP), en("q.webp"));
    EXPECT_FALSE(wq.bytes.contains("VP8L"));
    EXPECT_LE(wq.peorDiferencia, 40);

    const Guardado b = GuardarYLeer(Con(Formato::BMP), en("a.bmp"));
    EXPECT_EQ(b.peorDiferencia, 0);
    EXPECT_TRUE(b.bytes.startsWith("BM"));
}
