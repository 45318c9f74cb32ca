// The reader of what the IPP Everywhere printer receives: PWG raster pages
// decoded to the byte (repeated rows, runs, literal pixels, the white fill,
// black ink turned into grey levels).

#include "support/raster.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace {

QByteArray Palabra(uint32_t v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

// A PWG page header: resolution, sheet in points, pixels, bits a pixel,
// colour space.
QByteArray CabeceraPWG(int ppp, QSize puntos, QSize px, int bits, int espacio)
{
    QByteArray h(1796, '\0');
    const auto poner = [&](int pos, uint32_t v) { h.replace(pos, 4, Palabra(v)); };
    poner(276, ppp), poner(280, ppp), poner(352, puntos.width()), poner(356, puntos.height());
    poner(372, px.width()), poner(376, px.height()), poner(384, 8), poner(388, bits);
    poner(392, px.width() * bits / 8), poner(400, espacio);
    return h;
}

QByteArray Bytes(std::initializer_list<int> v)
{
    QByteArray b;
    for (int x : v) b.append(char(x));
    return b;
}

QList<int> Grises(const QImage &im)
{
    QList<int> r;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x) r << qGray(im.pixel(x, y));
    return r;
}

// Page 1, sGray 5 x 3: a row standing twice (a run of two, three literal
// pixels), then one pixel and the white fill. Page 2, black ink 2 x 1.
const QByteArray kPWG = "RaS2" + CabeceraPWG(300, {12, 7}, {5, 3}, 8, 18) +
                        Bytes({1, 0x01, 0x10, 0xFE, 0x20, 0x30, 0x40, 0, 0x00, 0x00, 0x80}) +
                        CabeceraPWG(600, {595, 842}, {2, 1}, 8, 3) + Bytes({0, 0x00, 0xFF, 0x80});

} // namespace

TEST(Raster, PaginasPWGAlByte)
{
    QString error;
    const QList<Raster::Pagina> pwg = Raster::Leer(kPWG, &error);
    ASSERT_EQ(pwg.size(), 2) << error.toStdString();
    EXPECT_EQ((std::tuple{pwg[0].ppp, pwg[0].puntos, pwg[0].imagen.format()}),
              (std::tuple{QSize(300, 300), QSizeF(12, 7), QImage::Format_Grayscale8}));
    EXPECT_EQ(Grises(pwg[0].imagen), QList<int>({16, 16, 32, 48, 64, 16, 16, 32, 48, 64, 0, 255, 255, 255, 255}));
    EXPECT_EQ(Grises(pwg[1].imagen), QList<int>({0, 255})); // full ink is black, none is white
    EXPECT_EQ(Raster::Tinta(pwg[0].imagen), QRect(0, 0, 5, 3));
    EXPECT_EQ(Raster::Tinta(pwg[1].imagen), QRect(0, 0, 1, 1));

    // sRGB 24-bit, 2 x 2: two literal pixels, then a white row.
    const QList<Raster::Pagina> rgb =
        Raster::Leer("RaS2" + CabeceraPWG(600, {1, 1}, {2, 2}, 24, 19) + Bytes({0, 0xFF, 1, 2, 3, 4, 5, 6, 0, 0x80}), &error);
    ASSERT_EQ(rgb.size(), 1) << error.toStdString();
    EXPECT_EQ(rgb[0].imagen.format(), QImage::Format_RGB888);
    EXPECT_EQ((QList<QRgb>{rgb[0].imagen.pixel(0, 0), rgb[0].imagen.pixel(1, 0), rgb[0].imagen.pixel(1, 1)}),
              (QList<QRgb>{qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(255, 255, 255)}));
    EXPECT_EQ(Raster::Tinta(rgb[0].imagen), QRect(0, 0, 2, 1));
}
