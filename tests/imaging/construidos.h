#pragma once
// Image files written byte by byte, for the shapes FreeImage's writers never
// make: GIFs with a global colour table or a flat frame of any size, TIFFs
// of one uncompressed strip, each with any field changed, and BMPs with any
// info header; and an RGBA bitmap, for WebP's alpha.

#include "support/imagen.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <utility>

namespace construido {

inline QByteArray LE16(uint32_t v) { return QByteArray(1, char(v & 0xFF)) + char(v >> 8 & 0xFF); }
inline QByteArray LE32(uint32_t v) { return LE16(v & 0xFFFF) + LE16(v >> 16); }

// Data in GIF sub-blocks of up to 255 bytes, then the terminator.
inline QByteArray SubBloques(const QByteArray &bytes)
{
    QByteArray bloques;
    for (int i = 0; i < bytes.size(); i += 255) bloques += char(std::min<int>(255, int(bytes.size()) - i)) + bytes.mid(i, 255);
    return bloques + '\0';
}

// A flat frame's LZW data (every pixel 0), codes of the image's minimum size
// 'minimo': each code one pixel longer than the last until the table is
// full, then its longest one again; an end code when 'fin'. In sub-blocks,
// with their terminator.
inline QByteArray LzwPlano(int64_t pixeles, int minimo = 8, bool fin = true)
{
    const int limpiar = 1 << minimo;
    QByteArray bytes;
    uint32_t acumulado = 0;
    int enAcumulado = 0, bits = minimo + 1, siguiente = limpiar + 2;
    auto poner = [&](int codigo) {
        acumulado |= uint32_t(codigo) << enAcumulado;
        for (enAcumulado += bits; enAcumulado >= 8; enAcumulado -= 8, acumulado >>= 8) bytes += char(acumulado & 0xFF);
    };
    poner(limpiar);
    for (int64_t hechos = 0, largo = 1; hechos < pixeles; hechos += largo) {
        // Code limpiar + n is n pixels long; the one being defined may be sent.
        largo = hechos == 0 ? 1 : std::min<int64_t>(pixeles - hechos, std::min(siguiente, 4095) - limpiar);
        poner(largo == 1 ? 0 : limpiar + int(largo));
        if (hechos > 0 && siguiente < 4096 && ++siguiente == 1 << bits && bits < 12) ++bits;
    }
    if (fin) poner(limpiar + 1);
    if (enAcumulado > 0) bytes += char(acumulado & 0xFF);
    return SubBloques(bytes);
}

// A GIF of one w x h frame: a global table of 'colores' entries (0: none),
// the frame's data as given, then the trailer.
inline QByteArray Gif(int w, int h, const QByteArray &datos, int colores = 256, int minimo = 8)
{
    int k = 0;
    while (colores > 0 && (2 << k) < colores) ++k;
    QByteArray tabla;
    for (int i = 0; i < (colores > 0 ? 2 << k : 0); ++i) tabla += QByteArray(3, char(i * 255 / ((2 << k) - 1)));
    return "GIF89a" + LE16(w) + LE16(h) + char(colores > 0 ? 0x80 | k : 0) + QByteArray(2, '\0') + tabla +
           QByteArray("\x21\xF9\x04\0\0\0\0\0", 8) + ',' + LE32(0) + LE16(w) + LE16(h) + '\0' + char(minimo) + datos + ';';
}

// A TIFF of one uncompressed strip after its directory, little-endian:
// samples of 'bps' bits, spp per pixel, sample i = dato(i). Fields in
// 'campos' replace the written value (type kept; a field given 0 goes away
// when it is not one of the required ones).
inline QByteArray TiffTira(int w, int h, int spp, int bps, const std::function<uint32_t(int64_t)> &dato,
                           std::initializer_list<std::pair<int, uint32_t>> campos = {})
{
    const int64_t bytes = int64_t(w) * h * spp * bps / 8;
    std::map<int, std::pair<int, uint32_t>> f = {
        {256, {4, uint32_t(w)}}, {257, {4, uint32_t(h)}}, {258, {3, uint32_t(bps)}}, {259, {3, 1}},
        {262, {3, spp >= 3 ? 2u : 1u}}, {273, {4, 0}}, {277, {3, uint32_t(spp)}}, {278, {4, uint32_t(h)}},
        {279, {4, uint32_t(bytes)}}, {284, {3, 1}}};
    for (auto [tag, v] : campos) {
        if (v == 0 && (tag == 259 || tag == 277 || tag == 278 || tag == 279 || tag == 284 || tag > 300)) f.erase(tag);
        else f[tag] = {f.count(tag) ? f[tag].first : 3, v};
    }
    const int directorio = 8, bitsEn = directorio + 2 + 12 * int(f.size()) + 4, datos = bitsEn + 2 * spp;
    if (!std::count_if(campos.begin(), campos.end(), [](auto c) { return c.first == 273; })) f[273].second = uint32_t(datos);
    QByteArray d = QByteArray("II*\0", 4) + LE32(directorio) + LE16(uint32_t(f.size()));
    for (auto [tag, tv] : f) {
        const uint32_t cuenta = tag == 258 ? uint32_t(spp) : 1;
        d += LE16(uint32_t(tag)) + LE16(uint32_t(tv.first)) + LE32(cuenta);
        d += tag == 258 && spp > 2 ? LE32(uint32_t(bitsEn)) : tv.first == 3 ? LE16(tv.second) + LE16(tag == 258 && spp == 2 ? tv.second : 0) : LE32(tv.second);
    }
    d += LE32(0);
    for (int i = 0; i < spp; ++i) d += LE16(uint32_t(bps));
    QByteArray muestras(bytes, '\0');
    char *o = muestras.data();
    for (int64_t i = 0; i < bytes * 8 / bps; ++i) {
        const uint32_t v = dato(i);
        if (bps == 16) o[2 * i] = char(v), o[2 * i + 1] = char(v >> 8);
        else o[i] = char(v);
    }
    return d + muestras;
}

// A BMP of w x h at 300 dpi (11811 dots per metre): an info header of
// 'cabecera' bytes (12 is OS/2's first, 64 its second; 52 to 124 Windows'
// later ones, sRGB), 'bits' a pixel, 'compresion', colour masks (after a
// 40-byte header, inside the later ones), a palette of BGRX entries, and the
// pixel data as given, rows bottom-up.
inline QByteArray Bmp(int cabecera, int w, int h, int bits, uint32_t compresion, const QByteArray &datos,
                      std::initializer_list<uint32_t> mascaras = {}, const QByteArray &paleta = {})
{
    QByteArray info = LE32(uint32_t(cabecera)) + LE32(uint32_t(w)) + LE32(uint32_t(h)) + LE16(1) + LE16(uint32_t(bits)) +
                      LE32(compresion) + LE32(uint32_t(datos.size())) + LE32(11811) + LE32(11811) +
                      LE32(uint32_t(paleta.size() / 4)) + LE32(0);
    if (cabecera == 12) info = LE32(12) + LE16(uint32_t(w)) + LE16(uint32_t(h)) + LE16(1) + LE16(uint32_t(bits));
    for (uint32_t m : mascaras) info += LE32(m);
    if (cabecera >= 108) info = info.leftJustified(56, '\0') + "BGRs"; // LCS_sRGB
    if (cabecera > 40) info = info.leftJustified(cabecera, '\0');
    const uint32_t inicio = uint32_t(14 + info.size() + paleta.size());
    return "BM" + LE32(inicio + uint32_t(datos.size())) + LE32(0) + LE32(inicio) + info + paleta + datos;
}

// Noise with an alpha ramp.
inline FIBITMAP *Alfa(int w, int h)
{
    modFreeImage::Bitmap rgb(prueba::Color24(w, h, prueba::Ruido));
    FIBITMAP *b = FreeImage_ConvertTo32Bits(rgb.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) FreeImage_GetScanLine(b, y)[4 * x + FI_RGBA_ALPHA] = BYTE(x + y);
    return b;
}

} // namespace construido
