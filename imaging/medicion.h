#pragma once
// Patch measurement over the chart scan (PixelesEscaneo).
//
//   modImage::MedirParche(x1, y1, x2, y2, r, g, b, metodo) -> (r + g + b) / 3
//       inclusive rectangle in picture coordinates (y from the top), clipped
//       to the scan; metodo 0 mean, 2 trimmed mean (10 % off each end), any
//       other value the median. 128 everywhere without a scan; channels 128
//       and result -1 when nothing is left after clipping.
//   modImage::MediaRectangulo(...)          the mean alone, same rules.
//   modImage::MedianaHistograma(h, n)       median of n samples (x.5 possible).
//   modImage::ValorEnRangoHistograma(h, k)  value at rank k (1-based).
//   modImage::MediaRecortadaHistograma(h, n, f)  mean of ranks k+1..n-k,
//       k = trunc(n * f).

#include <cstdint>

namespace modImage {

using Histograma = int32_t[256];

double MedirParche(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double &rojo, double &verde,
                   double &azul, int16_t metodo);
double MediaRectangulo(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double &rojo, double &verde,
                       double &azul);
double MedianaHistograma(const Histograma &h, int64_t n);
int32_t ValorEnRangoHistograma(const Histograma &h, int64_t k);
double MediaRecortadaHistograma(const Histograma &h, int64_t n, double fraccion);

} // namespace modImage
