#include "imaging/histograma.h"

#include "platform/numbers.h"
#include "platform/picturebox.h"

#include <algorithm>
#include <cmath>

namespace modHistograma {

namespace {

int32_t MayorDe(Histograma h, int a, int b)
{
    int32_t m = 0;
    for (int i = a; i <= b; ++i) m = std::max(m, h[static_cast<size_t>(i)]);
    return m;
}

int32_t Pico(Histograma h)
{
    int32_t m = 1;
    for (int32_t v : h) m = std::max(m, v);
    return m;
}

int Barra(int32_t m, int32_t pico, int alto)
{
    if (m <= 0) return 0;
    return Numeros::CInt(Numeros::CLng(static_cast<double>(m) / pico * alto));
}

} // namespace

void BinesDeColumna(int x, int w, int &a, int &b)
{
    a = Numeros::CInt(Numeros::CLng(static_cast<double>(x) / w * 256));
    b = Numeros::CInt(Numeros::CLng(static_cast<double>(x + 1) / w * 256)) - 1;
    a = std::min(a, 255);
    b = std::min(b, 255);
    if (b < a) b = a;
}

void DibujarHistograma(Superficie &pic, Histograma hist, uint32_t color)
{
    const int w = Numeros::CInt(pic.ScaleWidth());
    const int h = Numeros::CInt(pic.ScaleHeight());
    pic.BackColor = 0;
    pic.Cls();
    const int32_t pico = Pico(hist);
    pic.DrawWidth = 1;
    pic.ForeColor = color & 0xFFFFFFu;
    for (int x = 0; x < w; ++x) {
        int a = 0, b = 0;
        BinesDeColumna(x, w, a, b);
        const int barra = std::min(Barra(MayorDe(hist, a, b), pico, h), h);
        if (barra > 0) pic.Line(x, h - barra, x, h, pic.ForeColor);
    }
}

void DibujarHistograma(PictureBox *pic, Histograma hist, uint32_t color)
{
    if (!pic) return;
    DibujarHistograma(pic->S(), hist, color);
    pic->Refresh();
}

void DibujarHistogramaRGB(Superficie &pic, Histograma rojo, Histograma verde, Histograma azul)
{
    // Additive mix by which bars reach a pixel: bit 0 red, 1 green, 2 blue.
    static constexpr uint32_t kMezcla[8] = {0,        0xFF,     0xFF00,   0x00FFFF,
                                            0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    const int w = Numeros::CInt(pic.ScaleWidth());
    const int h = Numeros::CInt(pic.ScaleHeight());
    pic.BackColor = 0;
    pic.Cls();
    const int32_t pico = std::max({Pico(rojo), Pico(verde), Pico(azul)});
    pic.DrawWidth = 1;
    for (int x = 0; x < w; ++x) {
        int a = 0, b = 0;
        BinesDeColumna(x, w, a, b);
        const int hr = Barra(MayorDe(rojo, a, b), pico, h);
        const int hg = Barra(MayorDe(verde, a, b), pico, h);
        const int hb = Barra(MayorDe(azul, a, b), pico, h);
        const int tope = std::max({hr, hg, hb});
        for (int y = 0; y < tope; ++y) {
            const int cual = (y < hr ? 1 : 0) | (y < hg ? 2 : 0) | (y < hb ? 4 : 0);
            pic.PSet(x, h - 1 - y, kMezcla[cual]);
        }
    }
}

void DibujarHistogramaRGB(PictureBox *pic, Histograma rojo, Histograma verde, Histograma azul)
{
    if (!pic) return;
    DibujarHistogramaRGB(pic->S(), rojo, verde, azul);
    pic->Refresh();
}

void EstadisticasHistograma(Histograma hist, int32_t total, double &media, double &desviacion,
                            int32_t &mediana)
{
    media = 0;
    desviacion = 0;
    mediana = 0;
    if (total == 0) return;
    double suma = 0;
    for (int i = 0; i < 256; ++i) suma += static_cast<double>(i) * hist[static_cast<size_t>(i)];
    media = suma / total;
    double cuadrados = 0;
    for (int i = 0; i < 256; ++i) {
        const double d = i - media;
        cuadrados += d * d * hist[static_cast<size_t>(i)];
    }
    desviacion = std::sqrt(cuadrados / total);
    const int64_t mitad = total / 2;
    int64_t acumulado = 0;
    for (int i = 0; i < 256; ++i) {
        acumulado += hist[static_cast<size_t>(i)];
        if (acumulado >= mitad) {
            mediana = i;
            return;
        }
    }
    mediana = 255;
}

} // namespace modHistograma
