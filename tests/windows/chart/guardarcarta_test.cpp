// Chart save: the format table, the resolution, failures that leave the
// target as it was, and the files' bytes (MD5 prefixes) in every format.

#include "windows/chart/guardarcarta.h"

#include "platform/picturebox.h"
#include "support/sistema.h"
#include "windows/chart/dibujo.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QCryptographicHash>
#include <QTemporaryDir>

#include <cmath>

using namespace CartaGrises;

TEST(GuardarCarta, TablaDeFormatosYResolucion)
{
    const char *casos[][3] = {{"JPEG (*.jpg)", "*.jpg;*.jpeg", "jpg"}, {"PNG (*.png)", "*.png", "png"},
                              {"BMP (*.bmp)", "*.bmp", "bmp"},          {"GIF (*.gif)", "*.gif", "gif"},
                              {"TIFF (*.tif)", "*.tif;*.tiff", "tif"}};
    for (int i = -1; i < 5; ++i) { // a negative index is JPEG
        const FormatoCarta &f = FormatoDeIndice(i);
        const auto &c = casos[std::max(i, 0)];
        EXPECT_EQ(QStringList({f.descripcion, f.patrones, f.extension}), QStringList({c[0], c[1], c[2]})) << i;
    }
    EXPECT_EQ(PuntosPorMetro(300), 11811);
    for (int r = 72; r <= 1200; ++r) ASSERT_EQ(static_cast<int>(std::nearbyint(PuntosPorMetro(r) * 0.0254)), r);
}

TEST(GuardarCarta, FalloDejaElDestinoComoEstaba)
{
    QTemporaryDir dir;
    QImage img(40, 30, QImage::Format_BGR888);
    img.fill(Qt::gray);
    // A missing folder, a target that cannot be replaced (a folder of that
    // name), no picture at all.
    ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("c.png"))));
    for (auto [nombre, imagen] : {std::pair{"no/hay/c.png", img}, {"c.png", img}, {"x.png", QImage()}}) {
        QString error;
        EXPECT_FALSE(GuardarImagenCarta(imagen, dir.filePath(QString::fromLatin1(nombre)), 1, 72, &error)) << nombre;
        EXPECT_FALSE(error.isEmpty()) << nombre;
    }
    // The folder stays, and no temporary is left.
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("c.png"))).isDir() && QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(HuellasCarta, CadaFormatoEnAmbosModos)
{
    const struct { int ppp; Opciones o; const char *huellas[kNumFormatos]; } casos[] = {
        {72, {true, true, true, QStringLiteral("ZOLV Carta")}, {"607d2d9c4fc7b419", "4110a8dd78c0656b", "a2094cfe4bb882f4", "affae6869eb0305d", "88a4a4a6798cd495"}},
        {72, {false, false, true, QStringLiteral("Positivo")}, {"9455167c10f7bd64", "6844d927c4ffa054", "5b8aebe86d2c137c", "769015690e923f7c", "e4999ba45d0f472c"}},
        {300, {true, true, true, QStringLiteral("ZOLV Carta de grises")}, {"bd1c030ee86565af", "211fe96d70fb221e", "309d953a3ac4f13d", "65b4975ad8a47128", "86daaf84265b892e"}},
    };
    QTemporaryDir dir;
    Superficie s;
    for (const auto &c : casos) {
        ASSERT_TRUE(RenderizarCompleta(s, GeometriaDe(c.ppp), c.o));
        ASSERT_EQ(s.Imagen().format(), QImage::Format_BGR888);
        const QImage antes = s.Imagen().copy();
        for (int f = 0; f < kNumFormatos; ++f) {
            SCOPED_TRACE(QStringLiteral("%1 ppp, %2").arg(c.ppp).arg(FormatoDeIndice(f).extension).toStdString());
            const QString r = dir.filePath(QStringLiteral("c.") + FormatoDeIndice(f).extension);
            ASSERT_TRUE(GuardarImagenCarta(s.Imagen(), r, f, c.ppp, nullptr));
            EXPECT_EQ(QCryptographicHash::hash(Leer(r), QCryptographicHash::Md5).toHex().left(16).toStdString(), c.huellas[f]);
        }
        // Written from its own memory, turned and folded in place: and back.
        EXPECT_TRUE(s.Imagen() == antes);
    }
}

TEST(HuellasCarta, ColorYCopiasCompartidas)
{
    // A picture that is not neutral cannot be folded: GIF takes its red
    // channel from a copy, whichever two channels differ in one pixel. A
    // picture someone else holds is not touched.
    for (const QRgb otro : {qRgb(10, 20, 30), qRgb(10, 10, 30), qRgb(10, 30, 30), qRgb(10, 30, 10)}) {
        QImage img(3, 2, QImage::Format_BGR888);
        img.fill(QColor(200, 200, 200));
        img.setPixel(1, 0, otro);
        const QImage otra = img;
        QTemporaryDir dir;
        for (const char *ext : {"gif", "bmp"}) {
            const QString r = dir.filePath(QStringLiteral("c.") + QLatin1String(ext));
            ASSERT_TRUE(GuardarImagenCarta(img, r, ext[0] == 'g' ? 3 : 2, 300, nullptr));
            const QImage leida(r);
            EXPECT_EQ(leida.pixel(1, 0), ext[0] == 'g' ? qRgb(10, 10, 10) : otro) << ext << " " << std::hex << otro;
            EXPECT_EQ(leida.pixel(2, 1), qRgb(200, 200, 200)) << ext;
        }
        EXPECT_TRUE(img == otra && img.pixel(1, 0) == otro);
    }
}
