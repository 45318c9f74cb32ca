#include "windows/editor/edicion.h"

#include "platform/numbers.h"
#include "platform/picturebox.h"
#include "windows/editor/lienzo.h"

#include <cstdlib>

namespace EdicionNiveles {

int16_t AsaPulsada(int32_t x, int32_t ancho, int32_t negro, int32_t blanco)
{
    if (ancho < 2) return Ninguna;
    const int32_t pN = LienzoCurva::PosicionAsa(negro, ancho);
    const int32_t pB = LienzoCurva::PosicionAsa(blanco, ancho);
    if (x > pB) return Blanca;
    if (x < pN) return Negra;
    return std::abs(x - pN) > std::abs(x - pB) ? Blanca : Negra;
}

int32_t NivelArrastrado(int32_t x, int32_t ancho, int16_t asa, int32_t negro, int32_t blanco)
{
    if (ancho < 2 || (asa != Negra && asa != Blanca)) return -1;
    int64_t v = Numeros::DivEntera(static_cast<double>(int64_t{x} * 255), ancho - 1);
    if (v < 0) v = 0;
    if (v > 255) v = 255;
    if (asa == Blanca && v < negro) v = negro;
    if (asa == Negra && v > blanco) v = blanco;
    return static_cast<int32_t>(v);
}

} // namespace EdicionNiveles

namespace SaltoHistorial {

int32_t Pasos(int32_t indice, int32_t lineas, int32_t instantaneas)
{
    if (indice < 0) return -1;
    int32_t k = lineas - (indice + 1);
    if (k <= 0) return -1;
    if (k > instantaneas) k = instantaneas;
    return k < 0 ? 0 : k;
}

} // namespace SaltoHistorial

namespace CursorHistograma {

int32_t Posicion(int32_t x, int32_t ancho)
{
    if (ancho <= 0) return -1;
    int32_t bin = Numeros::CLng(static_cast<double>(x) / ancho * 255.0);
    if (bin < 0) bin = 0;
    if (bin > 255) bin = 255;
    return Numeros::CLng(bin / 255.0 * (ancho - 1));
}

void Invertir(Superficie &s, int32_t x)
{
    if (x < 0 || x >= s.ScaleWidth()) return;
    for (int32_t y = 0; y < s.ScaleHeight() - 1; ++y) s.PSet(x, y, s.Point(x, y) ^ 0xFFFFFFu);
}

} // namespace CursorHistograma
