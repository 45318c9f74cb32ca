#pragma once
// Helpers for the curve engine tests: put points into a channel, read tables.

#include "curves/curvas.h"

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

inline void PonerPuntos(int ch, std::initializer_list<std::pair<int, int>> puntos)
{
    int k = 0;
    for (const auto &[x, y] : puntos) {
        modEngine::PuntoX[ch][k] = static_cast<int16_t>(x);
        modEngine::PuntoY[ch][k] = static_cast<int16_t>(y);
        ++k;
    }
    modEngine::NumPuntos[ch] = static_cast<int16_t>(k);
}

// The channel's table before levels, in the given mode.
inline std::array<uint8_t, 256> Tabla(int ch, int modo)
{
    modEngine::ModoInterpolacion = static_cast<int16_t>(modo);
    std::array<uint8_t, 256> t{};
    modEngine::ConstruirLUTCanal(static_cast<int16_t>(ch), t.data());
    return t;
}

inline std::array<uint8_t, 256> Copia(const uint8_t *t)
{
    std::array<uint8_t, 256> c{};
    for (int i = 0; i < 256; ++i) c[i] = t[i];
    return c;
}

inline std::array<uint8_t, 256> Identidad()
{
    std::array<uint8_t, 256> c{};
    for (int i = 0; i < 256; ++i) c[i] = static_cast<uint8_t>(i);
    return c;
}

inline std::vector<int> Entradas(const std::array<uint8_t, 256> &t, std::initializer_list<int> indices)
{
    std::vector<int> v;
    for (int i : indices) v.push_back(t[i]);
    return v;
}

#include "curves/deshacer.h"

#include <cstring>

// Everything a rejected curve file must leave as it was.
struct FotoCurvas {
    modEngine::EstadoCurvas estado;
    std::array<uint8_t, 256> r, g, b;
    int16_t canal, sel, modo, numDeshacer;
    int32_t version;

    static FotoCurvas Tomar()
    {
        using namespace modEngine;
        return {TomarEstado(), Copia(LutR), Copia(LutG), Copia(LutB), CanalActual, PuntoSel,
                ModoInterpolacion, NumeroDeshacer(), VersionCurva};
    }
    bool MismasCurvas(const FotoCurvas &o) const
    {
        return std::memcmp(&estado, &o.estado, sizeof estado) == 0 && r == o.r && g == o.g &&
               b == o.b && canal == o.canal && sel == o.sel && modo == o.modo;
    }
};

#include <QString>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
