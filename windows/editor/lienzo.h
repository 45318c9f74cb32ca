#pragma once
// The curve editor's drawings, GUI-free: the curve canvas, the level sliders,
// the grey ramp, the output histograms carried through the tables, and the
// mapping of canvas pixels back to curve values. Everything reads the shared
// curve state of curves/curvas.h; surfaces are the picture boxes' own.

#include <QString>

#include <cstdint>
#include <optional>

class Superficie;

namespace LienzoCurva {

// Plot area margin on every side of the canvas, in pixels.
constexpr int32_t Margen = 6;

constexpr uint32_t ColorFondo = 0x141414;
constexpr uint32_t ColorBarras = 0x404040;
constexpr uint32_t ColorRejilla = 0x303030;
constexpr uint32_t ColorDiagonal = 0x505050;
constexpr uint32_t ColorBanda = 0x505050;
constexpr uint32_t Blanco = 0xFFFFFF;

// Canvas position of curve value v (0..255) on a canvas w or h pixels wide.
int32_t XDeValor(double v, int32_t ancho);
int32_t YDeValor(double v, int32_t alto);

// Colour of the curve of a channel (0 master, 1 red, 2 green, 3 blue).
uint32_t ColorCanal(int32_t canal);

// Canvas pixel -> curve input through the current channel's input levels.
int32_t PixelACurvaX(int32_t px, int32_t ancho);
// Canvas pixel -> 255 - curve output through the current channel's output
// levels (the form the point editing takes).
int32_t PixelACurvaY(int32_t py, int32_t alto);
// The same with the levels given.
int32_t PixelACurvaX(int32_t px, int32_t ancho, int32_t negro, int32_t blanco);
int32_t PixelACurvaY(int32_t py, int32_t alto, int32_t negro, int32_t blanco);

// Centre of point k of the current channel on the canvas, through its levels.
void CentroPunto(int32_t k, int32_t ancho, int32_t alto, int32_t &x, int32_t &y);

// Background histogram (nullptr: none), grid, diagonal, the current
// channel's own curve (its points and levels) and its points.
void DibujarCurva(Superficie &s, const int32_t *histFondo);

// One level slider: the band between the handles and two outlined triangles.
void DibujarSlider(Superficie &s, int32_t bajo, int32_t alto);
// Handle positions on a slider w pixels wide: level / 255 x (w - 1).
int32_t PosicionAsa(int32_t nivel, int32_t ancho);

// The black-to-white ramp under the output histogram (not cleared first).
void DibujarRampa(Superficie &s);

// The sample's histograms as the processed image would have them: each
// channel's counts moved through its table, the luma counts through all three.
struct HistogramasSalida {
    int32_t rojo[256] = {};
    int32_t verde[256] = {};
    int32_t azul[256] = {};
    int32_t luma[256] = {};
};
// hist: the sample's [1] red, [2] green, [3] blue, [4] luma; nullptr (no
// sample) leaves every count zero.
HistogramasSalida CalcularHistogramasSalida(const int32_t (*hist)[256], const uint8_t *lutR,
                                            const uint8_t *lutG, const uint8_t *lutB);
// The same through the whole curve, as output pixels take it.
HistogramasSalida CalcularHistogramasSalida(const int32_t (*hist)[256]);
// Luma bin of a grey level carried through the three tables.
int32_t BinLuma(int32_t r, int32_t g, int32_t b);

// The figures under the output histogram for the histogram channel shown (0
// RGB, 1 red, 2 green, 3 blue, 4 luminance, 5 colours). They describe the
// sample as loaded (hist as above), not the curve's output; with no sample
// (nullptr), the output counts h. None when the counts are empty or the
// channel unknown.
struct Estadisticas {
    double media = 0, desviacion = 0;
    int32_t mediana = 0;
};
std::optional<Estadisticas> EstadisticasSalida(int32_t canalHist, const HistogramasSalida &h,
                                               const int32_t (*hist)[256]);

// True when the whole curve (each colour after the master, levels
// included) maps every level to itself: output would equal input.
bool EsCurvaIdentidad();

// Channel name for history lines, the same in both languages.
QString NombreCanal(int32_t canal);

} // namespace LienzoCurva
