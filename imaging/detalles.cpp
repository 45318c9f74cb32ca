#include "imaging/detalles.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace modFreeImage {

namespace {

uint32_t Palabra(const uint8_t *p, bool be, int n)
{
    uint32_t v = 0;
    for (int k = 0; k < n; ++k) v |= uint32_t(p[be ? n - 1 - k : k]) << (8 * k);
    return v;
}

int64_t Arriba(int64_t a, int64_t b) { return (a + b - 1) / b; }

// The values of a directory entry of SHORTs or LONGs, inside it or where it
// points; at most 'max'.
std::vector<uint64_t> Valores(Archivos::Flujo &f, bool be, const uint8_t *e, uint32_t max)
{
    const uint32_t tipo = Palabra(e + 2, be, 2), todos = Palabra(e + 4, be, 4), cuenta = std::min(todos, max);
    const int ancho = tipo == 3 ? 2 : tipo == 4 ? 4 : 0;
    std::vector<uint64_t> v;
    if (ancho == 0 || cuenta == 0) return v;
    std::vector<uint8_t> b(size_t(cuenta) * ancho);
    if (uint64_t(todos) * ancho <= 4)
        std::memcpy(b.data(), e + 8, b.size());
    else if (!f.Posicionar(Palabra(e + 8, be, 4), SEEK_SET) || f.Leer(b.data(), int64_t(b.size())) != int64_t(b.size()))
        return v;
    for (uint32_t i = 0; i < cuenta; ++i) v.push_back(Palabra(b.data() + size_t(i) * ancho, be, ancho));
    return v;
}

// How the image's data is laid out: strips or tiles, each plane apart or
// the samples of a pixel together, compressed or not.
struct Trozos {
    int64_t ancho, alto, bps, spp;
    uint32_t filas, tw, th, planos, compresion, fotometrica;

    bool Teselas() const { return tw > 0 && th > 0; }
    int64_t MuestrasPorTrozo() const { return planos == 2 ? 1 : spp; }
    int64_t FilasPorTira() const { return filas == 0 || filas >= alto ? alto : filas; }
    int64_t PorPlano() const
    {
        return Teselas() ? Arriba(ancho, tw) * Arriba(alto, th) : Arriba(alto, FilasPorTira());
    }
    // How many the image needs.
    int64_t Cuantos() const { return PorPlano() * (planos == 2 ? spp : 1); }
    // The bytes trozo i holds uncompressed (a last strip has the rows left).
    int64_t Bytes(int64_t i) const
    {
        if (Teselas()) return Arriba(int64_t(tw) * MuestrasPorTrozo() * bps, 8) * th;
        const int64_t primera = i % PorPlano() * FilasPorTira();
        return Arriba(ancho * MuestrasPorTrozo() * bps, 8) * std::min(FilasPorTira(), alto - primera);
    }
    // Stored as they are: the counts can be checked against the image. YCbCr
    // may be subsampled, which packs rows otherwise.
    bool Crudo() const { return compresion == 1 && fotometrica != 6; }
};

// Every strip (or tile) the image needs is listed, lies inside the file, and
// when stored uncompressed holds all its rows: a header that promises more
// data than there is names a damaged file, even where the codec would read
// garbage, or only part of it, and warn at most.
bool DatosCompletos(Archivos::Flujo &f, bool be, const uint8_t *posiciones, const uint8_t *largos, bool hayLargos,
                    const Trozos &t)
{
    constexpr uint32_t kMax = 1 << 20;
    const int64_t cuantos = t.Cuantos(), tam = f.Tamano();
    if (Palabra(posiciones + 4, be, 4) < cuantos || (hayLargos && Palabra(largos + 4, be, 4) < cuantos)) return false;
    const std::vector<uint64_t> p = Valores(f, be, posiciones, kMax), l = Valores(f, be, largos, kMax);
    if (p.empty() || (hayLargos && l.empty())) return false;
    if (tam < 0) return true;
    for (int64_t i = 0, n = std::min<int64_t>({cuantos, int64_t(p.size()), hayLargos ? int64_t(l.size()) : cuantos}); i < n; ++i) {
        // Without counts the reader takes what the image needs.
        const uint64_t largo = hayLargos ? l[size_t(i)] : uint64_t(t.Bytes(i));
        if ((t.Crudo() && largo < uint64_t(t.Bytes(i))) || p[size_t(i)] + largo > uint64_t(tam)) return false;
    }
    return true;
}

} // namespace

// TIFF: the first directory's fields that decide how the library decodes.
// False for a colour model no TIFF reader knows, or data the file lacks.
bool DetallesTIFF(Archivos::Flujo &f, Cabecera &c)
{
    uint8_t h[8];
    if (f.Leer(h, 8) != 8 || (h[0] != h[1]) || (h[0] != 'I' && h[0] != 'M')) return true;
    const bool be = h[0] == 'M';
    if (Palabra(h + 2, be, 2) != 42) return true; // BigTIFF: nothing of ours to add
    uint8_t n[2];
    if (!f.Posicionar(Palabra(h + 4, be, 4), SEEK_SET) || f.Leer(n, 2) != 2) return true;
    uint32_t fotometrica = 1, bps = 1, spp = 1, filas = 0, tw = 0, th = 0, planos = 1, compresion = 1;
    bool hayLargos = false;
    // Where the strips (or tiles) lie and how long they are: entries kept
    // whole, their arrays read after the directory.
    uint8_t posiciones[12] = {}, largos[12] = {}, bits[12] = {};
    for (uint32_t e = 0, total = std::min<uint32_t>(Palabra(n, be, 2), 4096); e < total; ++e) {
        uint8_t d[12];
        if (f.Leer(d, 12) != 12) break;
        const uint32_t tag = Palabra(d, be, 2), tipo = Palabra(d + 2, be, 2), cuenta = Palabra(d + 4, be, 4);
        if (tag == 273 || tag == 324) std::memcpy(posiciones, d, 12);
        if (tag == 279 || tag == 325) std::memcpy(largos, d, 12), hayLargos = true;
        if (tag == 258) std::memcpy(bits, d, 12);
        if (cuenta == 0) continue;
        // The first value, where it lies inside the entry.
        uint32_t v = tipo == 3 ? Palabra(d + 8, be, 2) : tipo == 4 ? Palabra(d + 8, be, 4) : 0;
        switch (tag) {
        case 259: compresion = v; break;
        case 262: fotometrica = v; break;
        case 277: spp = v; break;
        case 278: filas = v; break;
        case 284: planos = v; break;
        case 322: tw = v; break;
        case 323: th = v; break;
        default: break;
        }
    }
    // Colour models a reader knows; a file without the field is taken as grey.
    static constexpr uint32_t kModelos[] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 32844, 32845};
    if (std::find(std::begin(kModelos), std::end(kModelos), fotometrica) == std::end(kModelos)) return false;
    // Bits per sample: one value per sample, alike in every file we read.
    if (const std::vector<uint64_t> b = Valores(f, be, bits, 1); !b.empty()) bps = uint32_t(b[0]);
    // Samples the library can place: 1 to 5 of them (CMYK and alpha at
    // most), of whole bytes when there are several. Others trip its asserts.
    static constexpr uint32_t kBits[] = {1, 2, 4, 8, 16, 32, 64};
    if (spp < 1 || spp > 5 || (spp > 1 && bps < 8) || std::find(std::begin(kBits), std::end(kBits), bps) == std::end(kBits))
        return false;
    const Trozos t{c.ancho, c.alto, bps, spp, filas, tw, th, planos, compresion, fotometrica};
    if (!DatosCompletos(f, be, posiciones, largos, hayLargos, t)) return false;
    // Colour from YCbCr and Lab, and CMYK, come through a whole RGBA raster.
    c.rasterRGBA = fotometrica == 6 || (fotometrica >= 8 && fotometrica <= 10) || (fotometrica == 5 && planos == 1 && spp <= 4);
    const int64_t bitsPixel = std::max<int64_t>(int64_t(std::max<uint32_t>(bps, 1)) * std::max<uint32_t>(spp, 1), c.bpp);
    const int64_t fila = Arriba(c.ancho * bitsPixel, 8);
    if (t.Teselas()) { // a row of tiles, and a tile as read
        c.bloque = Arriba(Arriba(c.ancho, tw) * tw * bitsPixel, 8) * th + Arriba(int64_t(tw) * th * bitsPixel, 8);
    } else if (t.Crudo()) {
        // Read straight into the strip's buffer. libtiff cuts a single
        // strip of chunky pixels into strips of 8 KiB (a row at least).
        int64_t filasTira = t.FilasPorTira();
        if (t.PorPlano() == 1 && planos != 2) filasTira = std::min(filasTira, std::max<int64_t>(1, 8192 / std::max<int64_t>(fila, 1)));
        c.bloque = fila * filasTira;
    } else { // a strip decoded, and the strip as read
        c.bloque = 2 * fila * t.FilasPorTira();
    }
    return true;
}

// WebP: lossless images decode through more buffers; alpha adds a plane.
void DetallesWebP(Archivos::Flujo &f, Cabecera &c)
{
    uint8_t h[12];
    if (f.Leer(h, 12) != 12) return;
    for (int i = 0; i < 16; ++i) {
        uint8_t t[8];
        if (f.Leer(t, 8) != 8) return;
        const uint32_t largo = Palabra(t + 4, false, 4);
        // Where the library could not read the size: the canvas's, or the
        // frame's (14 bits a side).
        uint8_t d[10] = {};
        const bool falta = c.ancho == 0 && f.Leer(d, 10) == 10 && f.Posicionar(-10, SEEK_CUR);
        auto tamano = [&c](int64_t w, int64_t h, int bpp) { c.ancho = w, c.alto = h, c.bpp = bpp, c.tipo = FIT_BITMAP; };
        if (std::memcmp(t, "VP8X", 4) == 0 && falta) tamano(Palabra(d + 4, false, 3) + 1, Palabra(d + 7, false, 3) + 1, d[0] & 0x10 ? 32 : 24);
        if (std::memcmp(t, "VP8L", 4) == 0) {
            const uint32_t v = Palabra(d + 1, false, 4);
            if (falta) tamano((v & 0x3FFF) + 1, (v >> 14 & 0x3FFF) + 1, v >> 28 & 1 ? 32 : 24);
            c.sinPerdida = true;
            return;
        }
        if (std::memcmp(t, "VP8 ", 4) == 0) {
            if (falta) tamano(Palabra(d + 6, false, 2) & 0x3FFF, Palabra(d + 8, false, 2) & 0x3FFF, 24);
            return;
        }
        if (std::memcmp(t, "ALPH", 4) == 0) c.alfa = true;
        if (!f.Posicionar(largo + (largo & 1), SEEK_CUR)) return;
    }
}

} // namespace modFreeImage
