#pragma once
// Colour references as the drawing code writes them: 0x00BBGGRR.
// The one place where they become Qt colours.

#include <cstdint>
#include <QColor>

namespace ColorRef {

constexpr uint32_t RGB(int r, int g, int b)
{
    return static_cast<uint32_t>(r & 0xFF) | (static_cast<uint32_t>(g & 0xFF) << 8) |
           (static_cast<uint32_t>(b & 0xFF) << 16);
}
constexpr uint32_t Gris(int g) { return RGB(g, g, g); }

constexpr int Rojo(uint32_t c) { return static_cast<int>(c & 0xFF); }
constexpr int Verde(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int Azul(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }

inline QColor AQColor(uint32_t c) { return QColor(Rojo(c), Verde(c), Azul(c)); }
inline uint32_t DeQColor(const QColor &q) { return RGB(q.red(), q.green(), q.blue()); }
inline uint32_t DeQRgb(unsigned int argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

} // namespace ColorRef
