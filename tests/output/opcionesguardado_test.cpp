// Save options without the window: flags, identifiers, names, folders, and
// what the image library writes with those flags.

#include "output/opcionesguardado.h"

#include <gtest/gtest.h>

#include <FreeImage.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdlib>
#include <vector>

using namespace GuardarOpciones;

namespace {

Opciones Con(Formato f)
{
    Opciones o;
    o.formato = f;
    return o;
}

Opciones Tiff(int compresion, bool predictor, bool bigEndian)
{
    Opciones o = Con(Formato::TIFF);
    o.compresionTiff = compresion;
    o.tiffPredictor = predictor;
    o.tiffBigEndian = bigEndian;
    return o;
}

} // namespace

TEST(SaveFlags, Tiff)
{
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffLZW, true, true)), 0x34000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffLZW, true, true)), TIFF_LZW | 0x10000 | 0x20000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffLZW, false, false)), TIFF_LZW);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffLZW, true, false)), TIFF_LZW | 0x10000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffZIP, true, true)), TIFF_DEFLATE | 0x30000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffZIP, false, true)), 0x20200);
    // PackBits and JPEG take no predictor; "no compression" takes neither box.
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffPackBits, true, false)), TIFF_PACKBITS);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffPackBits, true, true)), TIFF_PACKBITS | 0x20000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffJPEG, true, true)), TIFF_JPEG | 0x20000);
    EXPECT_EQ(CalcularSaveFlag(Tiff(TiffSinCompresion, true, true)), TIFF_NONE);
    EXPECT_EQ(CalcularSaveFlag(Tiff(-1, true, true)), 0);

    EXPECT_FALSE(PredictorAplicable(TiffSinCompresion));
    EXPECT_TRUE(PredictorAplicable(TiffLZW));
    EXPECT_TRUE(PredictorAplicable(TiffZIP));
    EXPECT_FALSE(PredictorAplicable(TiffPackBits));
    EXPECT_FALSE(PredictorAplicable(TiffJPEG));
    EXPECT_FALSE(PredictorAplicable(-1));
}

TEST(SaveFlags, JpegPngWebpBmp)
{
    Opciones j = Con(Formato::JPEG);
    EXPECT_EQ(CalcularSaveFlag(j), 92); // the design defaults
    j.jpegProgresivo = true;
    EXPECT_EQ(CalcularSaveFlag(j), 0x205C);
    EXPECT_EQ(CalcularSaveFlag(j), 92 | JPEG_PROGRESSIVE);
    j.calidadJpeg = 1;
    j.jpegProgresivo = false;
    EXPECT_EQ(CalcularSaveFlag(j), 1);
    j.calidadJpeg = 100;
    EXPECT_EQ(CalcularSaveFlag(j), 100);

    Opciones p = Con(Formato::PNG);
    EXPECT_EQ(CalcularSaveFlag(p), 6);
    EXPECT_EQ(CalcularSaveFlag(p), PNG_Z_DEFAULT_COMPRESSION);
    p.compresionPng = 0;
    EXPECT_EQ(CalcularSaveFlag(p), 0x0100);
    EXPECT_EQ(CalcularSaveFlag(p), PNG_Z_NO_COMPRESSION);
    p.compresionPng = 1;
    EXPECT_EQ(CalcularSaveFlag(p), PNG_Z_BEST_SPEED);
    p.compresionPng = 9;
    EXPECT_EQ(CalcularSaveFlag(p), PNG_Z_BEST_COMPRESSION);

    Opciones w = Con(Formato::WEBP);
    EXPECT_EQ(CalcularSaveFlag(w), 90);
    w.calidadWebp = 37;
    EXPECT_EQ(CalcularSaveFlag(w), 37);
    w.webpLossless = true;
    EXPECT_EQ(CalcularSaveFlag(w), 0x0100);
    EXPECT_EQ(CalcularSaveFlag(w), WEBP_LOSSLESS);

    // Options of other formats never leak into BMP.
    Opciones b = Tiff(TiffLZW, true, true);
    b.formato = Formato::BMP;
    b.jpegProgresivo = b.webpLossless = true;
    EXPECT_EQ(CalcularSaveFlag(b), 0);
    b.formato = Formato::Ninguno;
    EXPECT_EQ(CalcularSaveFlag(b), 0);
}

TEST(Formatos, IdentificadoresExtensionesYFiltros)
{
    struct Caso {
        Formato f;
        int id;
        int fif;
        const char *ext, *desc, *patron;
    };
    const Caso casos[] = {
        {Formato::JPEG, 2, FIF_JPEG, ".jpg", "JPEG", "*.jpg"},
        {Formato::PNG, 13, FIF_PNG, ".png", "PNG", "*.png"},
        {Formato::TIFF, 18, FIF_TIFF, ".tif", "TIFF", "*.tif"},
        {Formato::WEBP, 35, FIF_WEBP, ".webp", "WebP", "*.webp"},
        {Formato::BMP, 0, FIF_BMP, ".bmp", "BMP", "*.bmp"},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.desc);
        EXPECT_EQ(IdFormato(c.f), c.id);
        EXPECT_EQ(IdFormato(c.f), c.fif);
        EXPECT_EQ(Extension(c.f), QString::fromLatin1(c.ext));
        EXPECT_EQ(Descripcion(c.f), QString::fromLatin1(c.desc));
        EXPECT_EQ(Patron(c.f), QString::fromLatin1(c.patron));
        // The source extension that selects each format, in any case.
        EXPECT_EQ(FormatoPorExtension(QString::fromLatin1(c.ext).toUpper()), c.f);
    }
    EXPECT_EQ(IdFormato(Formato::Ninguno), 0);
    EXPECT_EQ(FormatoPorExtension(QStringLiteral(".jpeg")), Formato::JPEG);
    EXPECT_EQ(FormatoPorExtension(QStringLiteral(".TIFF")), Formato::TIFF);
    EXPECT_EQ(FormatoPorExtension(QStringLiteral(".gif")), Formato::JPEG);
    EXPECT_EQ(FormatoPorExtension(QString()), Formato::JPEG);
    EXPECT_EQ(FormatoPorExtension(QStringLiteral("png")), Formato::JPEG); // no dot
}

TEST(Rutas, FuncionesDeTexto)
{
    EXPECT_EQ(CarpetaDe(QStringLiteral("D:\\fotos\\retrato.TIFF")), QStringLiteral("D:\\fotos"));
    EXPECT_EQ(CarpetaDe(QStringLiteral("/home/a\\b/c.jpg")), QStringLiteral("/home/a\\b"));
    EXPECT_EQ(CarpetaDe(QStringLiteral("c.jpg")), QString());
    EXPECT_EQ(CarpetaDe(QStringLiteral("/c.jpg")), QString());
    EXPECT_EQ(NombreArchivoDe(QStringLiteral("D:\\fotos\\retrato.TIFF")), QStringLiteral("retrato.TIFF"));
    EXPECT_EQ(NombreArchivoDe(QStringLiteral("/x/y/")), QString());
    EXPECT_EQ(NombreArchivoDe(QStringLiteral("solo")), QStringLiteral("solo"));
    EXPECT_EQ(ExtensionDe(QStringLiteral("/x/a.TiFF")), QStringLiteral(".tiff"));
    EXPECT_EQ(ExtensionDe(QStringLiteral("/x.d/a")), QStringLiteral(".d/a")); // separators do not stop it
    EXPECT_EQ(ExtensionDe(QStringLiteral("a")), QString());
    EXPECT_EQ(ExtensionDe(QStringLiteral("a.")), QStringLiteral("."));
    EXPECT_EQ(QuitarExtension(QStringLiteral("a.tar.gz")), QStringLiteral("a.tar"));
    EXPECT_EQ(QuitarExtension(QStringLiteral("a")), QStringLiteral("a"));
    EXPECT_EQ(QuitarExtension(QStringLiteral(".bashrc")), QString());
}

TEST(Nombres, DesdeElOrigenYConLaExtensionDelFormato)
{
    // The source's extension is lower-cased; the format's click then swaps it.
    const QString n = NombreInicial(QStringLiteral("D:\\fotos\\retrato.TIFF"));
    EXPECT_EQ(n, QStringLiteral("retrato _ curva aplicada.tiff"));
    EXPECT_EQ(CambiarExtension(n, Extension(Formato::TIFF)), QStringLiteral("retrato _ curva aplicada.tif"));
    EXPECT_EQ(NombreInicial(QStringLiteral("/f/foto.gif")), QStringLiteral("foto _ curva aplicada.gif"));
    EXPECT_EQ(NombreInicial(QStringLiteral("/mis.fotos/foto")), QStringLiteral("foto _ curva aplicada"));

    const QString vacio = NombreInicial(QString());
    EXPECT_EQ(vacio, QStringLiteral(" _ curva aplicada"));
    EXPECT_EQ(NombreConExtension(vacio, Formato::JPEG), QStringLiteral("_ curva aplicada.jpg"));

    EXPECT_EQ(NombreConExtension(QStringLiteral("prueba.png"), Formato::JPEG), QStringLiteral("prueba.jpg"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("foto _ curva aplicada.gif"), Formato::JPEG),
              QStringLiteral("foto _ curva aplicada.jpg"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("FOTO.JPG"), Formato::JPEG), QStringLiteral("FOTO.JPG"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("  sin extension  "), Formato::WEBP),
              QStringLiteral("sin extension.webp"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("a.tar.gz"), Formato::TIFF), QStringLiteral("a.tar.tif"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("x.tiff"), Formato::TIFF), QStringLiteral("x.tif"));
    EXPECT_EQ(NombreConExtension(QStringLiteral("x.bmp"), Formato::BMP), QStringLiteral("x.bmp"));
}

TEST(Carpetas, DesdeElOrigen)
{
    EXPECT_EQ(CarpetaInicial(QStringLiteral("/datos/fotos/retrato.tif")), QStringLiteral("/datos/fotos"));
    EXPECT_EQ(CarpetaInicial(QStringLiteral("D:\\fotos\\retrato.TIFF")), QStringLiteral("D:\\fotos"));
    // A file in the root keeps an empty folder: the target is "/" + name.
    EXPECT_EQ(CarpetaInicial(QStringLiteral("/retrato.tif")), QString());
    // A bare name is taken relative to the working folder, never the root.
    EXPECT_EQ(CarpetaInicial(QStringLiteral("retrato.tif")), QDir::currentPath());
}

TEST(Carpetas, SinOrigenImagenesOInicio)
{
    QTemporaryDir casa;
    ASSERT_TRUE(casa.isValid());
    qputenv("HOME", QFile::encodeName(casa.path()));
    EXPECT_EQ(CarpetaInicial(QString()), casa.path());
    ASSERT_TRUE(QDir(casa.path()).mkdir(QStringLiteral("Pictures")));
    EXPECT_EQ(CarpetaInicial(QString()), casa.path() + QStringLiteral("/Pictures"));
}

// What the image library writes with the flags, read back from the file.
namespace {

class Guardado : public ::testing::Test {
protected:
    static constexpr int W = 61, H = 23; // odd width: padded rows

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        bmp = FreeImage_Allocate(W, H, 24, 0, 0, 0);
        ASSERT_NE(bmp, nullptr);
        for (int y = 0; y < H; ++y) {
            BYTE *fila = FreeImage_GetScanLine(bmp, y);
            for (int x = 0; x < W; ++x) {
                // Smooth ramps: compressible, and kind to lossy coders.
                fila[x * 3 + FI_RGBA_RED] = static_cast<BYTE>(x * 4);
                fila[x * 3 + FI_RGBA_GREEN] = static_cast<BYTE>(y * 10);
                fila[x * 3 + FI_RGBA_BLUE] = static_cast<BYTE>(128 + (x + y) % 17);
            }
        }
    }
    void TearDown() override
    {
        if (bmp) FreeImage_Unload(bmp);
    }

    // Saves with the options' identifier and flags; returns the file's bytes
    // and checks that its pixels come back within the tolerance.
    QByteArray GuardarYLeer(const Opciones &o, const char *nombre, int tolerancia)
    {
        const QString ruta = dir.filePath(QString::fromLatin1(nombre));
        const QByteArray r = QFile::encodeName(ruta);
        const auto fif = static_cast<FREE_IMAGE_FORMAT>(IdFormato(o.formato));
        EXPECT_TRUE(FreeImage_Save(fif, bmp, r.constData(), CalcularSaveFlag(o)));
        EXPECT_EQ(FreeImage_GetFileType(r.constData(), 0), fif);
        FIBITMAP *leido = FreeImage_Load(fif, r.constData(), 0);
        EXPECT_NE(leido, nullptr);
        if (!leido) return {};
        EXPECT_EQ(FreeImage_GetBPP(leido), 24u);
        EXPECT_EQ(static_cast<int>(FreeImage_GetWidth(leido)), W);
        EXPECT_EQ(static_cast<int>(FreeImage_GetHeight(leido)), H);
        int peor = 0;
        for (int y = 0; y < H; ++y) {
            const BYTE *a = FreeImage_GetScanLine(bmp, y), *b = FreeImage_GetScanLine(leido, y);
            for (int i = 0; i < W * 3; ++i) peor = std::max(peor, std::abs(a[i] - b[i]));
        }
        EXPECT_LE(peor, tolerancia) << nombre;
        FreeImage_Unload(leido);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    // A tag of the first directory of a TIFF file, in either byte order.
    static int TagTiff(const QByteArray &d, int tag)
    {
        if (d.size() < 8) return -1;
        const bool ii = d.startsWith("II");
        auto u16 = [&](qsizetype o) {
            const auto *p = reinterpret_cast<const uchar *>(d.constData() + o);
            return ii ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
        };
        auto u32 = [&](qsizetype o) {
            const auto *p = reinterpret_cast<const uchar *>(d.constData() + o);
            return ii ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
        };
        const qsizetype ifd = u32(4);
        if (ifd + 2 > d.size()) return -1;
        const int n = u16(ifd);
        for (int i = 0; i < n && ifd + 2 + 12 * (i + 1) <= d.size(); ++i) {
            const qsizetype e = ifd + 2 + 12 * i;
            if (u16(e) == tag) return u16(e + 2) == 3 ? u16(e + 8) : static_cast<int>(u32(e + 8));
        }
        return -1;
    }

    QTemporaryDir dir;
    FIBITMAP *bmp = nullptr;
};

} // namespace

TEST_F(Guardado, TiffCadaCompresionSeLeeIgual)
{
    // Compression tag values: 1 none, 5 LZW, 7 JPEG, 8 / 32946 Deflate, 32773 PackBits.
    const QByteArray lzw = GuardarYLeer(Tiff(TiffLZW, true, true), "lzw.tif", 0);
    EXPECT_EQ(TagTiff(lzw, 259), 5);
    // The extra predictor and byte-order bits must not turn LZW into another coder.
    EXPECT_EQ(TagTiff(GuardarYLeer(Tiff(TiffLZW, false, false), "lzw0.tif", 0), 259), 5);
    const int zip = TagTiff(GuardarYLeer(Tiff(TiffZIP, true, true), "zip.tif", 0), 259);
    EXPECT_TRUE(zip == 8 || zip == 32946) << zip;
    EXPECT_EQ(TagTiff(GuardarYLeer(Tiff(TiffPackBits, false, true), "pb.tif", 0), 259), 32773);
    EXPECT_EQ(TagTiff(GuardarYLeer(Tiff(TiffSinCompresion, true, true), "none.tif", 0), 259), 1);
    EXPECT_EQ(TagTiff(GuardarYLeer(Tiff(TiffJPEG, false, true), "jpeg.tif", 24), 259), 7);
}

TEST_F(Guardado, PngNivelesJpegProgresivoWebpSinPerdidaBmp)
{
    Opciones p = Con(Formato::PNG);
    p.compresionPng = 0;
    const QByteArray crudo = GuardarYLeer(p, "n0.png", 0);
    p.compresionPng = 6;
    const QByteArray comprimido = GuardarYLeer(p, "n6.png", 0);
    // Level 0 stores the rows: at least the raw pixel bytes.
    EXPECT_GE(crudo.size(), W * H * 3);
    EXPECT_LT(comprimido.size(), crudo.size() / 2);

    Opciones j = Con(Formato::JPEG);
    j.jpegProgresivo = true;
    EXPECT_TRUE(GuardarYLeer(j, "p.jpg", 24).contains(QByteArray("\xFF\xC2", 2))); // progressive frame
    j.jpegProgresivo = false;
    EXPECT_FALSE(GuardarYLeer(j, "b.jpg", 24).contains(QByteArray("\xFF\xC2", 2)));

    Opciones w = Con(Formato::WEBP);
    w.webpLossless = true;
    w.calidadWebp = 1;
    EXPECT_TRUE(GuardarYLeer(w, "l.webp", 0).contains("VP8L"));
    w.webpLossless = false;
    w.calidadWebp = 90;
    EXPECT_FALSE(GuardarYLeer(w, "q.webp", 40).contains("VP8L"));

    const QByteArray bmpFile = GuardarYLeer(Con(Formato::BMP), "a.bmp", 0);
    EXPECT_TRUE(bmpFile.startsWith("BM"));
}
