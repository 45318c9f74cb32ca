#pragma once
// Helpers for the curve engine tests.

#include "fuzz/arnes_curvas.h"

#include <numeric>
#include <ostream>
#include <utility>
#include <vector>

using Puntos = std::vector<std::pair<int, int>>;
using Tabla256 = std::array<uint8_t, 256>;
using V = std::vector<int>;

inline void PonerPuntos(int ch, const Puntos &p)
{
    modEngine::NumPuntos[ch] = static_cast<int16_t>(p.size());
    for (size_t k = 0; k < p.size(); ++k)
        modEngine::PuntoX[ch][k] = int16_t(p[k].first), modEngine::PuntoY[ch][k] = int16_t(p[k].second);
}

inline Puntos DelCanal(int ch)
{
    Puntos p;
    using namespace modEngine;
    for (int k = 0; k < NumPuntos[ch]; ++k) p.emplace_back(PuntoX[ch][k], PuntoY[ch][k]);
    return p;
}

// The channel's table before levels, in the given mode (0 Hermite, 1 spline).
inline Tabla256 Tabla(int ch, int modo)
{
    modEngine::ModoInterpolacion = static_cast<int16_t>(modo);
    Tabla256 t{};
    modEngine::ConstruirLUTCanal(static_cast<int16_t>(ch), t.data());
    return t;
}

inline Tabla256 Copia(const uint8_t *t)
{
    Tabla256 c;
    std::memcpy(c.data(), t, 256);
    return c;
}

inline Tabla256 Identidad()
{
    Tabla256 c;
    std::iota(c.begin(), c.end(), 0);
    return c;
}

// Big-endian 16-bit words, as in an ACV file.
inline QByteArray U16(std::initializer_list<int> valores)
{
    QByteArray b;
    for (int v : valores) b.append(char((v >> 8) & 0xFF)).append(char(v & 0xFF));
    return b;
}

// One AMP line: 256 values (i + desplazamiento) mod 256.
inline QByteArray LineaAMP(int desplazamiento = 0, const char *sep = " ")
{
    QByteArray l;
    for (int i = 0; i < 256; ++i) l += (i ? sep : "") + QByteArray::number((i + desplazamiento) % 256);
    return l;
}

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
