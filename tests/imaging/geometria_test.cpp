// Fit rectangle, stride, fitted views and the progress report.

#include "imagenes.h"

#include "imaging/fitrect.h"
#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"

#include <gtest/gtest.h>

using namespace modImage;

namespace {
struct Rect {
    int32_t l, t, w, h;
    bool operator==(const Rect &o) const { return l == o.l && t == o.t && w == o.w && h == o.h; }
};
std::ostream &operator<<(std::ostream &os, const Rect &r)
{
    return os << r.w << "x" << r.h << "@" << r.l << "," << r.t;
}
Rect Ajustar(int32_t bw, int32_t bh, int32_t iw, int32_t ih)
{
    Rect r{-9, -9, -9, -9};
    CalcularRectanguloAjustado(bw, bh, iw, ih, r.l, r.t, r.w, r.h);
    return r;
}
} // namespace

TEST(RectanguloAjustado, EscalaRedondeoPorParesYCentrado)
{
    EXPECT_EQ(Ajustar(400, 300, 1000, 500), (Rect{0, 50, 400, 200}));
    // s = 200.5: the height 200.5 goes to the even 200.
    EXPECT_EQ(Ajustar(401, 300, 2, 1), (Rect{0, 50, 401, 200}));
    // Smaller images are enlarged.
    EXPECT_EQ(Ajustar(300, 300, 100, 50), (Rect{0, 75, 300, 150}));
    // 3 x 0.5 = 1.5 -> 2 and 5 x 0.5 = 2.5 -> 2: halves go to even both ways.
    EXPECT_EQ(Ajustar(3, 10, 6, 5), (Rect{0, 4, 3, 2}));
    EXPECT_EQ(Ajustar(10, 5, 5, 10), (Rect{4, 0, 2, 5}));
    // Odd margins: the half is truncated.
    EXPECT_EQ(Ajustar(101, 50, 50, 50), (Rect{25, 0, 50, 50}));
    // A 600 ppi A4 scan in a typical box.
    EXPECT_EQ(Ajustar(640, 480, 4961, 7016), (Rect{150, 0, 339, 480}));
}

TEST(RectanguloAjustado, CajaOImagenVaciaDaRectanguloVacio)
{
    EXPECT_EQ(Ajustar(0, 300, 100, 50), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(Ajustar(400, 0, 100, 50), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(Ajustar(-5, 300, 100, 50), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(Ajustar(400, 300, 0, 50), (Rect{0, 0, 0, 0}));
}

TEST(Buffer, PasoYCopiaConBitmap)
{
    EXPECT_EQ(PasoDeAncho(1), 4);
    EXPECT_EQ(PasoDeAncho(4), 12);
    EXPECT_EQ(PasoDeAncho(5), 16);
    EXPECT_EQ(PasoDeAncho(715827882), 2147483648LL); // no 32-bit wrap

    // Buffer -> bitmap -> buffer keeps every byte, padding included.
    for (int ancho : {1, 4, 5}) {
        const int alto = 3;
        const int32_t paso = int32_t(PasoDeAncho(ancho));
        Pixeles px(size_t(paso) * alto);
        for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 7 + 1);
        FIBITMAP *b = BufferABitmap(px, ancho, alto, paso);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(int(FreeImage_GetPitch(b)), paso);
        Pixeles vuelta;
        int32_t p2 = 0;
        ASSERT_TRUE(CopiarBitmap(b, vuelta, p2));
        EXPECT_EQ(p2, paso);
        EXPECT_EQ(vuelta, px);
        FreeImage_Unload(b);
    }
    // A buffer shorter than its declared size is refused.
    EXPECT_EQ(BufferABitmap(Pixeles(10), 4, 3, 12), nullptr);
}

TEST(Buffer, ResolucionDesdePuntosPorMetro)
{
    FIBITMAP *b = FreeImage_Allocate(2, 2, 24);
    double x = -1, y = -1;
    FreeImage_SetDotsPerMeterX(b, 3780);
    FreeImage_SetDotsPerMeterY(b, 11811);
    modFreeImage::Resolucion(b, x, y);
    EXPECT_NEAR(x, 96.012, 1e-9);
    EXPECT_NEAR(y, 299.9994, 1e-9);
    // One axis unknown: both unknown.
    FreeImage_SetDotsPerMeterY(b, 0);
    modFreeImage::Resolucion(b, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    FreeImage_Unload(b);
}

TEST(VistaAjustada, PromediaAlReducirYRepiteAlAmpliar)
{
    // 4 x 2 picture: top row 0, 100, 200, 250 grey; bottom row all 50.
    const int ancho = 4, alto = 2;
    const int32_t paso = int32_t(PasoDeAncho(ancho));
    Pixeles px(size_t(paso) * alto, 0);
    const int arriba[4] = {0, 100, 200, 250};
    for (int x = 0; x < 4; ++x)
        for (int k = 0; k < 3; ++k) {
            px[size_t(paso) * 1 + 3 * x + k] = uint8_t(arriba[x]); // buffer row 1 = top
            px[3 * x + k] = 50;
        }
    const QImage mitad = ImagenAjustada(px, ancho, alto, paso, 2, 1);
    ASSERT_EQ(mitad.size(), QSize(2, 1));
    EXPECT_EQ(qGray(mitad.pixel(0, 0)), (0 + 100 + 50 + 50 + 2) / 4);
    EXPECT_EQ(qGray(mitad.pixel(1, 0)), (200 + 250 + 50 + 50 + 2) / 4);

    const QImage doble = ImagenAjustada(px, ancho, alto, paso, 8, 4);
    ASSERT_EQ(doble.size(), QSize(8, 4));
    EXPECT_EQ(qGray(doble.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(doble.pixel(3, 1)), 100);
    EXPECT_EQ(qGray(doble.pixel(7, 1)), 250);
    EXPECT_EQ(qGray(doble.pixel(7, 2)), 50);

    // Colour order: blue byte first in the buffer, red in the picture.
    Pixeles uno = {10, 20, 30, 0};
    EXPECT_EQ(ImagenAjustada(uno, 1, 1, 4, 1, 1).pixel(0, 0), qRgb(30, 20, 10));
    EXPECT_TRUE(ImagenAjustada(uno, 1, 1, 4, 0, 1).isNull());
    EXPECT_TRUE(ImagenAjustada(uno, 2, 1, 8, 1, 1).isNull()); // buffer too short
}

TEST(Progreso, SoloConVentanaVisible)
{
    {
        prueba::ProgresoGrabado oculta(false);
        ActualizarProgreso(40, QStringLiteral("Mostrando imagen..."));
        EXPECT_TRUE(oculta.informes.isEmpty());
    }
    prueba::ProgresoGrabado visible;
    ActualizarProgreso(140, QStringLiteral("Listo."));
    ASSERT_EQ(visible.informes.size(), 1);
    EXPECT_EQ(visible.informes[0].first, QStringLiteral("Listo."));
    EXPECT_EQ(visible.informes[0].second, 140); // the window clamps, not the engine
}
