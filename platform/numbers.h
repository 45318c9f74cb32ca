#pragma once
// The one place for the program's number rules: conversions to integer round
// to nearest with ties to even, the integer division rounds its operands first
// and truncates the quotient, and byte results are clamped to 0..255.
// Never use std::round, lround or qRound in this program.

#include <cmath>
#include <cstdint>
#include <QString>

namespace Numeros {

// Nearest integer, ties to even, as a double (the rounding without a width).
inline double Redondear(double x) { return std::nearbyint(x); }

// 32-bit conversion with ties to even. Values outside the range saturate,
// where the original platform raised an overflow.
inline int32_t CLng(double x)
{
    const double r = std::nearbyint(x);
    if (!(r == r)) return 0;
    if (r >= 2147483647.0) return INT32_MAX;
    if (r <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(r);
}

// 16-bit conversion with ties to even, saturating.
inline int16_t CInt(double x)
{
    const double r = std::nearbyint(x);
    if (!(r == r)) return 0;
    if (r >= 32767.0) return INT16_MAX;
    if (r <= -32768.0) return INT16_MIN;
    return static_cast<int16_t>(r);
}

// Integer division "a \ b": both operands rounded to integers (ties to even),
// then the quotient truncated toward zero. Division by zero gives 0.
inline int64_t DivEntera(double a, double b)
{
    const int64_t ia = static_cast<int64_t>(std::nearbyint(a));
    const int64_t ib = static_cast<int64_t>(std::nearbyint(b));
    if (ib == 0) return 0;
    return ia / ib;
}

// Clamp to a byte.
inline uint8_t LimitarByte(int64_t v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}
inline uint8_t LimitarByte(double v)
{
    if (!(v == v)) return 0;
    return LimitarByte(static_cast<int64_t>(v < 0 ? 0.0 : (v > 255 ? 255.0 : std::nearbyint(v))));
}

// The platform's Val: reads the longest leading number of a text. Leading
// blanks are skipped (blanks inside the digits too), '.' is the only decimal
// separator whatever the locale, an optional sign and exponent are accepted,
// "&H"/"&O" prefixes read hexadecimal/octal. Anything unreadable gives 0.
double Val(const QString &text);

} // namespace Numeros
