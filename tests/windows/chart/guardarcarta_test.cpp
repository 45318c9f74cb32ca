// Chart save: the format table, the resolution written, and failures that
// leave the target as it was. Reading every format back, and replacing a
// file, are the window journeys'; the bytes (JPEG at quality 75), the
// fingerprints'.

#include "windows/chart/guardarcarta.h"

#include <gtest/gtest.h>

#include <QDir>
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
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("c.png"))).isDir());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()); // no temporary left
}
