// Chart save: every format reads back with its size, resolution and greys;
// a failed save leaves the target as it was.

#include "windows/chart/guardarcarta.h"

#include "platform/picturebox.h"
#include "windows/chart/dibujo.h"

#include <gtest/gtest.h>

#include <FreeImage.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace CartaGrises;

namespace {

struct Leida {
    FIBITMAP *dib = nullptr;
    explicit Leida(const QString &ruta)
    {
        const QByteArray r = QFile::encodeName(ruta);
        const FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(r.constData(), 0);
        if (fif != FIF_UNKNOWN) dib = FreeImage_Load(fif, r.constData(), 0);
    }
    ~Leida()
    {
        if (dib) FreeImage_Unload(dib);
    }
    int Ancho() const { return static_cast<int>(FreeImage_GetWidth(dib)); }
    int Alto() const { return static_cast<int>(FreeImage_GetHeight(dib)); }
    double Ppp() const { return FreeImage_GetDotsPerMeterX(dib) * 0.0254; }
    // Grey of a pixel, (x, y) from the top; red, green and blue must agree
    // within the tolerance.
    int Gris(int x, int y, int tol = 0) const
    {
        RGBQUAD c{};
        const unsigned fy = FreeImage_GetHeight(dib) - 1 - y;
        if (FreeImage_GetBPP(dib) == 8) {
            BYTE i = 0;
            FreeImage_GetPixelIndex(dib, x, fy, &i);
            c = FreeImage_GetPalette(dib)[i];
        } else {
            FreeImage_GetPixelColor(dib, x, fy, &c);
        }
        EXPECT_NEAR(c.rgbRed, c.rgbGreen, tol);
        EXPECT_NEAR(c.rgbRed, c.rgbBlue, tol);
        return c.rgbRed;
    }
};

QImage Carta(int ppp, bool negativo)
{
    Superficie s;
    Opciones o;
    o.negativo = negativo;
    o.titulo = QStringLiteral("Prueba");
    EXPECT_TRUE(RenderizarCompleta(s, GeometriaDe(ppp), o));
    return s.Imagen();
}

QByteArray Bytes(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(GuardarCarta, TablaDeFormatos)
{
    EXPECT_EQ(FormatoDeIndice(-1).descripcion, QStringLiteral("JPEG (*.jpg)"));
    EXPECT_EQ(FormatoDeIndice(0).patrones, QStringLiteral("*.jpg;*.jpeg"));
    EXPECT_EQ(FormatoDeIndice(1).descripcion, QStringLiteral("PNG (*.png)"));
    EXPECT_EQ(FormatoDeIndice(2).extension, QStringLiteral("bmp"));
    EXPECT_EQ(FormatoDeIndice(3).patrones, QStringLiteral("*.gif"));
    EXPECT_EQ(FormatoDeIndice(4).descripcion, QStringLiteral("TIFF (*.tif)"));
    EXPECT_EQ(FormatoDeIndice(4).patrones, QStringLiteral("*.tif;*.tiff"));
    EXPECT_EQ(FormatoDeIndice(4).extension, QStringLiteral("tif"));
    EXPECT_EQ(PuntosPorMetro(300), 11811);
    // Every resolution survives the trip through dots per metre.
    for (int r = 72; r <= 1200; ++r) ASSERT_EQ(static_cast<int>(std::nearbyint(PuntosPorMetro(r) * 0.0254)), r);
}

TEST(GuardarCarta, JpegACalidad75)
{
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("q.jpg"));
    ASSERT_TRUE(GuardarImagenCarta(Carta(72, false), ruta, 0, 300, nullptr));
    // The luminance quantisation table is the standard one at scale 50 %.
    const QByteArray b = Bytes(ruta);
    const int dqt = b.indexOf(QByteArray("\xFF\xDB", 2));
    ASSERT_GE(dqt, 0);
    const int esperado[] = {8, 6, 6, 7, 6, 5, 8, 7};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(static_cast<unsigned char>(b[dqt + 5 + i]), esperado[i]) << i;
    Leida l(ruta);
    EXPECT_NEAR(l.Ppp(), 300, 0.01);
}

TEST(GuardarCarta, FalloDejaElDestinoComoEstaba)
{
    QTemporaryDir dir;
    const QImage img = Carta(72, false);
    QString error;
    // A folder that does not exist.
    EXPECT_FALSE(GuardarImagenCarta(img, dir.filePath(QStringLiteral("no/hay/c.png")), 1, 72, &error));
    EXPECT_FALSE(error.isEmpty());
    // A target that cannot be replaced (a folder of that name): it stays, and
    // no temporary file is left beside it.
    const QString carpeta = dir.filePath(QStringLiteral("c.png"));
    ASSERT_TRUE(QDir().mkdir(carpeta));
    error.clear();
    EXPECT_FALSE(GuardarImagenCarta(img, carpeta, 1, 72, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(carpeta).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    // No picture at all.
    EXPECT_FALSE(GuardarImagenCarta(QImage(), dir.filePath(QStringLiteral("x.png")), 1, 72, &error));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("x.png"))));

    // An existing file is replaced whole on success.
    const QString ruta = dir.filePath(QStringLiteral("d.bmp"));
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("viejo");
    }
    ASSERT_TRUE(GuardarImagenCarta(img, ruta, 2, 72, &error));
    Leida l(ruta);
    ASSERT_TRUE(l.dib);
    EXPECT_EQ(l.Ancho(), 422);
    EXPECT_EQ(l.Alto(), 426);
    EXPECT_NEAR(l.Ppp(), 72, 0.01);
    const Rect r = RectParche(GeometriaDe(72), 50);
    EXPECT_EQ(l.Gris((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2), 128);
}
