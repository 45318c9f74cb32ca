// The preview buffer: geometry in the box, nearest-neighbour columns and
// rows, drawing with margins, and when a redraw with the curve is skipped.

#include "support/imagen.h"

#include "platform/colorref.h"
#include "platform/picturebox.h"

using namespace modImage;
using Vista = Motor;

namespace {
// Sample pixel (x, y) holds b = x, g = y, r = 200.
Pixeles Coordenadas(int w, int h)
{
    return Buffer(w, h, [](int x, int y, uint8_t *p) { p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = 200; });
}
// Preview pixel (x, y from the top) as 0x00BBGGRR.
uint32_t PixelVista(int x, int y)
{
    const uint8_t *p = PixelesVista.data() + int64_t(AltoVista - 1 - y) * PasoVista + 3 * x;
    return ColorRef::RGB(p[2], p[1], p[0]);
}
// A marker colour in the box shows whether a later call drew.
void Marcar(Superficie &s) { s.Imagen().fill(QColor(1, 2, 3)); }
bool Marcada(const Superficie &s) { return s.Point(s.ScaleWidth() / 2, s.ScaleHeight() / 2) == 0x030201u; }
} // namespace

TEST_F(Vista, GeometriaYVecinoMasProximo)
{
    PonerMuestra(100, 100, Coordenadas(100, 100));
    Superficie caja(440, 376);
    ConstruirVistaPrevia(caja);
    EXPECT_EQ(QList<int>({AnchoVista, AltoVista, XVista, YVista, PasoVista, VersionVista}), QList<int>({376, 376, 32, 0, 1128, -1}));
    // Column x takes sample round(x * 100 / 376), capped at 99.
    const std::pair<int, int> columnas[] = {{0, 0}, {2, 1}, {94, 25}, {374, 99}, {375, 99}}; // 0.53, 25, 99.47, 99.73
    for (auto [x, b] : columnas) EXPECT_EQ(PixelVista(x, 375), ColorRef::RGB(200, 99, b)) << x;
    // Without options the box shows the preview's pixels, margins black.
    DibujarVistaOriginal(caja);
    EXPECT_EQ(QList<uint32_t>({caja.Point(31, 100), caja.Point(408, 100), caja.Point(439, 375)}), QList<uint32_t>({0, 0, 0}));
    for (int y = 0; y < 376; y += 15)
        for (int x = 0; x < 376; x += 13) ASSERT_EQ(caja.Point(32 + x, y), PixelVista(x, y));

    // 2 x 2 to 8 x 8: x / 4 with ties to even, capped: 0 0 0 1 1 1 1 1, rows alike.
    PonerMuestra(2, 2, Coordenadas(2, 2));
    Superficie ocho(8, 8);
    ConstruirVistaPrevia(ocho);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(PixelVista(i, i), ColorRef::RGB(200, i > 2, i > 2)) << i;

    // 3 x 1000: width round(1.128) = 1, the fourth byte of each row zero, even after drawing.
    PonerMuestra(3, 1000, Aleatorio(3, 1000, 5));
    ConstruirVistaPrevia(caja);
    EXPECT_EQ(QList<int>({AnchoVista, AltoVista, XVista, PasoVista}), QList<int>({1, 376, 219, 4}));
    DibujarVistaConCurva(caja);
    for (int y = 0; y < AltoVista; ++y) ASSERT_EQ(PixelesVista[size_t(4 * y + 3)], 0);
    EXPECT_EQ(caja.Point(218, 0), 0u);
    // An empty fit (1 x 1000 gives width 0) keeps the previous preview and its cache.
    PonerMuestra(1, 1000, Aleatorio(1, 1000, 6));
    ConstruirVistaPrevia(caja);
    EXPECT_EQ((std::pair{AnchoVista, VersionVista}), (std::pair{1, 0}));
}

TEST_F(Vista, CacheDeLaVistaConCurva)
{
    PonerMuestra(50, 40, Coordenadas(50, 40));
    Superficie caja(100, 80);
    ConstruirVistaPrevia(caja);
    modEngine::VersionCurva = 6;
    // Each step changes the state (or not) and says whether the box is drawn.
    const struct { const char *paso; std::function<void()> cambio; bool dibuja; } pasos[] = {
        {"first", [] {}, true},
        {"nothing changed", [] {}, false},
        {"flip set", [] { InvertirHorizontal = true; }, true},
        {"flip cleared", [] { InvertirHorizontal = false; }, true},
        {"inversion toggled and back", [] { InvertirTonos = true, InvertirTonos = false; }, false},
        {"curve changed", [] { modEngine::VersionCurva = 7; }, true},
        {"view without the curve between", [&] { DibujarVistaOriginal(caja); }, true},
        // A channel not being edited changes without the counter (as after a
        // reset, which brings the counter back to a value drawn before).
        {"same counter, new red curve", [] { modEngine::FijarNivel(1, 3, 0); }, true},
        {"cache invalidated", [] { InvalidarCachePreview(); }, true},
    };
    for (const auto &p : pasos) {
        p.cambio();
        Marcar(caja);
        DibujarVistaConCurva(caja);
        EXPECT_EQ(!Marcada(caja), p.dibuja) << p.paso;
    }
    EXPECT_EQ((std::pair{VersionVista, caja.Point(50, 40) & 0xFF}), (std::pair{7, 0u})); // red through its zero output
}

TEST_F(Vista, TablasInversionYEspejoSinTocarLaVista)
{
    PonerMuestra(4, 4, Coordenadas(4, 4));
    Superficie caja(4, 4);
    ConstruirVistaPrevia(caja);
    modEngine::FijarNivel(1, 2, 100), modEngine::FijarNivel(1, 3, 100); // red always 100
    InvertirTonos = InvertirHorizontal = true;
    DibujarVistaConCurva(caja); // top-left shows the top-right pixel, inverted
    EXPECT_EQ((std::pair{caja.Point(0, 0), int(VistaInvertirHorizontal)}), (std::pair{ColorRef::RGB(155, 255, 252), -1}));
    DibujarVistaOriginal(caja); // inversion and flip only; the preview's own pixels untouched
    EXPECT_EQ((std::pair{caja.Point(0, 1), PixelVista(3, 1)}), (std::pair{ColorRef::RGB(55, 254, 252), ColorRef::RGB(200, 1, 3)}));
}

TEST_F(Vista, SinMuestraOSinVistaNadaCambia)
{
    Superficie caja(40, 30);
    Marcar(caja);
    ConstruirVistaPrevia(caja);
    DibujarVistaConCurva(caja);
    DibujarVistaOriginal(caja);
    EXPECT_TRUE(AnchoVista == 0 && Marcada(caja));
    PonerMuestra(4, 4, Coordenadas(4, 4)); // a sample, but no preview built yet
    DibujarVistaConCurva(caja);
    EXPECT_TRUE(Marcada(caja));
}

TEST_F(Vista, HistogramasDeLaVista)
{
    ProgresoGrabado prog;
    PonerMuestra(100, 50, Buffer(100, 50, [](int x, int, uint8_t *p) { p[2] = x < 50 ? 255 : 0; }));
    Superficie caja(50, 50);
    ConstruirVistaPrevia(caja); // 50 x 25: every other column
    CalcularHistogramasVista();
    EXPECT_EQ(prog.informes, (Informes{{80, "Calculando histograma..."}, {100, "Listo."}}));
    EXPECT_EQ(QList<int>({HistMuestra[1][255], HistMuestra[1][0], HistMuestra[4][54], HistMuestra[2][0]}),
              QList<int>({625, 625, 625, 1250}));
}
