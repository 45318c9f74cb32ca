#pragma once
// Drawing and summarising 256-bin histograms (bin = level) in a picture box:
// one histogram as bars in one colour, or red, green and blue overlaid with
// additive colours; and mean, standard deviation and median.

#include <cstdint>
#include <span>

class PictureBox;
class Superficie;

namespace modHistograma {

using Histograma = std::span<const int32_t, 256>;

// First and last bin shown by column x of a box w pixels wide.
void BinesDeColumna(int x, int w, int &a, int &b);

// Clears the box to black and draws the bars in colour (0x00BBGGRR; the high
// byte is dropped), scaled so that the largest count fills the height.
void DibujarHistograma(Superficie &pic, Histograma hist, uint32_t color);
void DibujarHistograma(PictureBox *pic, Histograma hist, uint32_t color);

// Clears the box to black and draws the three overlaid on one common scale.
void DibujarHistogramaRGB(Superficie &pic, Histograma rojo, Histograma verde, Histograma azul);
void DibujarHistogramaRGB(PictureBox *pic, Histograma rojo, Histograma verde, Histograma azul);

// Mean, population standard deviation and median (the first level at which
// the running count reaches total \ 2). A total of 0 gives zeros.
void EstadisticasHistograma(Histograma hist, int32_t total, double &media, double &desviacion,
                            int32_t &mediana);

} // namespace modHistograma
