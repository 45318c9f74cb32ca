// The preview buffer: geometry in the box, nearest-neighbour columns and
// rows, drawing with margins, and when a redraw with the curve is skipped.

#include "ayuda_imagen.h"

#include "platform/colorref.h"
#include "platform/picturebox.h"

#include <gtest/gtest.h>

using namespace modImage;

namespace {

class Vista : public ::testing::Test {
protected:
    void SetUp() override { EstadoInicial(); }
    void TearDown() override { EstadoInicial(); }
};

// Sample whose pixel (x, y) holds b = x, g = y, r = 200.
Pixeles Coordenadas(int w, int h)
{
    return HacerBuffer(w, h, [](int x, int y, uint8_t *p) {
        p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = 200;
    });
}

// Preview pixel (x, y from the top) as (b, g, r).
std::array<int, 3> PixelVista(int x, int y)
{
    const uint8_t *p = PixelesVista.data() + static_cast<int64_t>(AltoVista - 1 - y) * PasoVista + 3 * x;
    return {p[0], p[1], p[2]};
}

// Paints the box in a marker colour, so a later drawing shows.
void Marcar(Superficie &s) { s.Imagen().fill(QColor(1, 2, 3)); }
bool Marcada(const Superficie &s) { return s.Point(s.ScaleWidth() / 2, s.ScaleHeight() / 2) == 0x030201u; }

} // namespace

TEST_F(Vista, MuestraPequenaEnLaCajaDelEditor)
{
    PonerMuestra(100, 100, Coordenadas(100, 100));
    Superficie caja(440, 376);
    ConstruirVistaPrevia(caja);
    EXPECT_EQ(AnchoVista, 376);
    EXPECT_EQ(AltoVista, 376);
    EXPECT_EQ(XVista, 32);
    EXPECT_EQ(YVista, 0);
    EXPECT_EQ(PasoVista, 1128);
    EXPECT_EQ(VersionVista, -1);
    // Enlarged: the nearest sample index, the last ones capped at 99.
    EXPECT_EQ(PixelVista(0, 0), (std::array<int, 3>{0, 0, 200}));
    EXPECT_EQ(PixelVista(2, 0)[0], 1);     // 0.53 -> 1
    EXPECT_EQ(PixelVista(94, 0)[0], 25);   // exactly 25
    EXPECT_EQ(PixelVista(374, 0)[0], 99);  // 99.47
    EXPECT_EQ(PixelVista(375, 375), (std::array<int, 3>{99, 99, 200})); // 99.73 -> 100, capped

    // Without options the view shows the preview's own pixels, margins black.
    DibujarVistaOriginal(caja);
    EXPECT_EQ(caja.Point(31, 100), 0u);
    EXPECT_EQ(caja.Point(408, 100), 0u);
    EXPECT_EQ(caja.Point(439, 375), 0u);
    for (int y = 0; y < 376; y += 15)
        for (int x = 0; x < 376; x += 13) {
            const auto p = PixelVista(x, y);
            ASSERT_EQ(caja.Point(32 + x, y), static_cast<uint32_t>(p[2] | p[1] << 8 | p[0] << 16));
        }
}

TEST_F(Vista, VecinoMasProximoConEmpatesAlPar)
{
    // 2 x 2 enlarged to 8 x 8: column x takes round(x / 4), ties to even,
    // capped at 1: 0 0 0 1 1 1 1 1.
    PonerMuestra(2, 2, Coordenadas(2, 2));
    Superficie caja(8, 8);
    ConstruirVistaPrevia(caja);
    ASSERT_EQ(AnchoVista, 8);
    const int esperado[8] = {0, 0, 0, 1, 1, 1, 1, 1};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(PixelVista(x, 0)[0], esperado[x]) << x;
        EXPECT_EQ(PixelVista(0, x)[1], esperado[x]) << x;
    }
}

TEST_F(Vista, VistaDeUnPixelDeAncho)
{
    // 3 x 1000 in 440 x 376: s = 0.376, width round(1.128) = 1.
    PonerMuestra(3, 1000, BufferAleatorio(3, 1000, 5));
    Superficie caja(440, 376);
    ConstruirVistaPrevia(caja);
    ASSERT_EQ(AnchoVista, 1);
    EXPECT_EQ(AltoVista, 376);
    EXPECT_EQ(XVista, 219);
    EXPECT_EQ(PasoVista, 4);
    for (int y = 0; y < AltoVista; ++y) ASSERT_EQ(PixelesVista[static_cast<size_t>(4 * y + 3)], 0);
    // Drawing the view with the curve leaves the fourth bytes alone as well.
    DibujarVistaConCurva(caja);
    EXPECT_EQ(caja.Point(218, 0), 0u);

    // An empty fit (1 x 1000 gives width 0) keeps the previous preview.
    PonerMuestra(1, 1000, BufferAleatorio(1, 1000, 6));
    ConstruirVistaPrevia(caja);
    EXPECT_EQ(AnchoVista, 1);
    EXPECT_EQ(VersionVista, 0); // the drawing above stays cached
}

TEST_F(Vista, CacheDeLaVistaConCurva)
{
    PonerMuestra(50, 40, Coordenadas(50, 40));
    Superficie caja(100, 80);
    ConstruirVistaPrevia(caja);
    modEngine::VersionCurva = 6;

    DibujarVistaConCurva(caja);
    EXPECT_FALSE(Marcada(caja));
    EXPECT_EQ(VersionVista, 6);
    Marcar(caja);
    DibujarVistaConCurva(caja); // nothing changed: nothing drawn
    EXPECT_TRUE(Marcada(caja));

    InvertirHorizontal = true; // set the flip: draws
    DibujarVistaConCurva(caja);
    EXPECT_FALSE(Marcada(caja));
    EXPECT_EQ(VistaInvertirHorizontal, -1);
    Marcar(caja);
    InvertirHorizontal = false; // cleared again: draws too
    DibujarVistaConCurva(caja);
    EXPECT_FALSE(Marcada(caja));
    Marcar(caja);
    InvertirTonos = true; // toggled and back between two calls: no draw
    InvertirTonos = false;
    DibujarVistaConCurva(caja);
    EXPECT_TRUE(Marcada(caja));

    modEngine::VersionCurva = 7; // the curve changed
    DibujarVistaConCurva(caja);
    EXPECT_FALSE(Marcada(caja));

    // The view without the curve invalidates: coming back always draws.
    DibujarVistaOriginal(caja);
    EXPECT_EQ(VersionVista, -1);
    Marcar(caja);
    DibujarVistaConCurva(caja);
    EXPECT_FALSE(Marcada(caja));

    // A reset brings the counter back to a value drawn before, with other
    // tables: the box must show the new ones.
    modEngine::VersionCurva = 7;
    for (auto &v : modEngine::LutR) v = 0;
    Marcar(caja);
    DibujarVistaConCurva(caja);
    EXPECT_FALSE(Marcada(caja));
    EXPECT_EQ(caja.Point(50, 40) & 0xFF, 0u); // red through the zero table
    Marcar(caja);
    InvalidarCachePreview();
    DibujarVistaConCurva(caja);
    EXPECT_FALSE(Marcada(caja));
}

TEST_F(Vista, VistaConCurvaAplicaTablasInversionYEspejo)
{
    PonerMuestra(4, 4, Coordenadas(4, 4));
    Superficie caja(4, 4);
    ConstruirVistaPrevia(caja);
    for (auto &v : modEngine::LutR) v = 100;
    InvertirTonos = true;
    InvertirHorizontal = true;
    DibujarVistaConCurva(caja);
    // Top-left of the box shows the sample's top-right pixel, inverted.
    EXPECT_EQ(caja.Point(0, 0), ColorRef::RGB(155, 255, 255 - 3));
    // Without the curve: inversion and flip only.
    DibujarVistaOriginal(caja);
    EXPECT_EQ(caja.Point(0, 1), ColorRef::RGB(55, 254, 252));
    EXPECT_EQ(PixelVista(3, 1), (std::array<int, 3>{3, 1, 200})); // the preview itself unchanged
}

TEST_F(Vista, SinMuestraNadaCambia)
{
    Superficie caja(40, 30);
    Marcar(caja);
    ConstruirVistaPrevia(caja);
    DibujarVistaConCurva(caja);
    DibujarVistaOriginal(caja);
    EXPECT_EQ(AnchoVista, 0);
    EXPECT_TRUE(Marcada(caja));
    EXPECT_EQ(caja.Point(0, 0), 0x030201u);

    // With a sample but before the first build, drawing does nothing either.
    PonerMuestra(4, 4, Coordenadas(4, 4));
    DibujarVistaConCurva(caja);
    EXPECT_TRUE(Marcada(caja));
}

TEST_F(Vista, HistogramasDeLaVista)
{
    ProgresoGrabado prog;
    PonerMuestra(100, 50, HacerBuffer(100, 50, [](int x, int, uint8_t *p) {
        p[0] = 0, p[1] = 0, p[2] = x < 50 ? 255 : 0;
    }));
    Superficie caja(50, 50);
    ConstruirVistaPrevia(caja); // 50 x 25: every other column
    CalcularHistogramasVista();
    EXPECT_EQ(prog.informes, (QList<QPair<int, QString>>{{80, QStringLiteral("Calculando histograma...")},
                                                          {100, QStringLiteral("Listo.")}}));
    EXPECT_EQ(HistMuestra[1][255], 25 * 25);
    EXPECT_EQ(HistMuestra[1][0], 25 * 25);
    EXPECT_EQ(HistMuestra[4][54], 25 * 25);
    EXPECT_EQ(HistMuestra[2][0], 50 * 25);
}

TEST_F(Vista, CajaDeLaVentana)
{
    // The same operations through a picture box on screen.
    PonerMuestra(100, 100, Coordenadas(100, 100));
    PictureBox pic;
    pic.resize(440, 376);
    pic.show();
    ASSERT_EQ(pic.ScaleWidth(), 440);
    ConstruirVistaPrevia(&pic);
    EXPECT_EQ(XVista, 32);
    InvertirTonos = true;
    DibujarVistaConCurva(&pic);
    EXPECT_EQ(pic.S().Point(32, 0), ColorRef::RGB(55, 255, 255));
    EXPECT_EQ(pic.S().Point(0, 0), 0u);
    DibujarVistaOriginal(&pic);
    EXPECT_EQ(pic.S().Point(32, 0), ColorRef::RGB(55, 255, 255));
    ConstruirVistaPrevia(nullptr);
    DibujarVistaConCurva(nullptr);
    EXPECT_EQ(AnchoVista, 376);
}
