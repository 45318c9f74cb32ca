#include "imaging/gif.h"

namespace modFreeImage {

namespace {
uint32_t U16(const uint8_t *p) { return p[0] | uint32_t(p[1]) << 8; }

// A colour table of 2^(k+1) entries of three bytes, when the flag is set (a
// table past the end leaves the next read short).
bool SaltarTabla(Archivos::Flujo &f, uint8_t campos)
{
    return !(campos & 0x80) || f.Posicionar(3 << ((campos & 7) + 1), SEEK_CUR);
}

// The sub-blocks up to their terminator, each given to 'dar' when there is
// one; false when the file ends inside them.
template <class Dar> bool SubBloques(Archivos::Flujo &f, Dar dar)
{
    uint8_t b[256];
    if (f.Leer(b, 1) != 1) return false;
    // Each read takes a block and the length of the next one.
    for (int n = b[0]; n != 0; n = b[n]) {
        if (f.Leer(b, n + 1) != n + 1) return false;
        dar(b, n);
    }
    return true;
}
} // namespace

ContadorLZW::ContadorLZW(int minimo, int64_t tope) : minimo_(minimo), limpiar_(1 << minimo), tope_(tope)
{
    Vaciar();
}

void ContadorLZW::Vaciar()
{
    for (int i = 0; i < limpiar_; ++i) largo_[i] = 1;
    siguiente_ = limpiar_ + 2;
    bits_ = minimo_ + 1;
    previo_ = -1;
}

void ContadorLZW::Codigo(int c)
{
    if (c == limpiar_) {
        Vaciar();
        return;
    }
    // The end code, or one the table cannot hold yet, ends the data.
    if (c == limpiar_ + 1 || c > siguiente_ || (c == siguiente_ && previo_ < 0)) {
        terminado_ = true;
        return;
    }
    if (previo_ >= 0 && siguiente_ < kCodigos) {
        // The previous string and one more pixel.
        largo_[siguiente_] = uint16_t(largo_[previo_] + 1);
        if (++siguiente_ == 1 << bits_ && bits_ < 12) ++bits_;
    }
    pixeles_ += largo_[c];
    previo_ = c;
    if (pixeles_ >= tope_) terminado_ = true;
}

void ContadorLZW::Alimentar(const uint8_t *datos, int n)
{
    for (int i = 0; i < n && !terminado_; ++i) {
        acumulado_ |= uint32_t(datos[i]) << enAcumulado_;
        enAcumulado_ += 8;
        while (enAcumulado_ >= bits_ && !terminado_) {
            const int c = int(acumulado_ & ((1u << bits_) - 1));
            acumulado_ >>= bits_;
            enAcumulado_ -= bits_;
            Codigo(c);
        }
    }
}

bool RecorrerGIF(Archivos::Flujo &f, EstructuraGIF &g)
{
    // Header (its signature already known) and logical screen, then its
    // colour table.
    uint8_t p[13];
    if (f.Leer(p, 13) != 13 || !SaltarTabla(f, p[10])) return false;
    for (int marcos = 0;;) {
        uint8_t bloque;
        if (f.Leer(&bloque, 1) != 1) {
            // The file ends between blocks, after a frame: only the trailer is missing.
            return marcos > 0 && !f.Fallo() && f.Posicion() == f.Tamano();
        }
        switch (bloque) {
        case 0x3B: return marcos > 0;
        case 0x21: { // an extension: its label, then its data
            uint8_t etiqueta;
            if (f.Leer(&etiqueta, 1) != 1 || !SubBloques(f, [](const uint8_t *, int) {})) return false;
            break;
        }
        case 0x2C: { // a frame: where and how large, its colour table, its data
            uint8_t d[9];
            if (f.Leer(d, 9) != 9 || !SaltarTabla(f, d[8])) return false;
            uint8_t minimo;
            if (f.Leer(&minimo, 1) != 1) return false;
            if (marcos++ > 0) { // only the first is decoded
                if (!SubBloques(f, [](const uint8_t *, int) {})) return false;
                break;
            }
            g.ancho = U16(d + 4);
            g.alto = U16(d + 6);
            // Codes wider than 8 bits name colours no palette holds; below 2
            // bits the table's first code does not fit its first width.
            if (minimo < 2 || minimo > 8) return false;
            const int64_t todos = int64_t(g.ancho) * g.alto;
            ContadorLZW lzw(minimo, todos);
            if (!SubBloques(f, [&lzw](const uint8_t *b, int n) { lzw.Alimentar(b, n); }) || lzw.Pixeles() < todos)
                return false;
            break;
        }
        default: return false;
        }
    }
}

} // namespace modFreeImage
