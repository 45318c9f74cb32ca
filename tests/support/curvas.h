#pragma once
// The curve state as tests write and read it: points of a channel, tables,
// and the big-endian words of an ACV file.

#include "curves/curvas.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <utility>
#include <vector>

using Puntos = std::vector<std::pair<int, int>>;
using Tabla256 = std::array<uint8_t, 256>;

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
