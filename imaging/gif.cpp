#include "imaging/gif.h"

#include <QtEndian>

#include <cstring>

// Exported by the library, whose plugins make their header-only bitmaps with
// it, though its public header does not declare it.
extern "C" FIBITMAP *DLL_CALLCONV FreeImage_AllocateHeader(BOOL header_only, int width, int height, int bpp,
                                                           unsigned red_mask, unsigned green_mask, unsigned blue_mask);

namespace modFreeImage {

namespace {

// A colour table of 2^(k+1) entries of three bytes, when the flag is set (a
// table past the end leaves the next read short).
bool SaltarTabla(Lector &l, uint8_t campos)
{
    return !(campos & 0x80) || l.Posicionar(3 << ((campos & 7) + 1), SEEK_CUR);
}

enum class Fin { Bien, SinTerminador, Cortado };

// The sub-blocks up to their terminator, each given to 'dar'. SinTerminador:
// the file ends where a sub-block's length would be.
template <class Dar> Fin SubBloques(Lector &l, Dar dar)
{
    uint8_t b[256];
    if (l.Leer(b, 1) != 1) return Fin::SinTerminador;
    // Each read takes a block and the length of the next one.
    for (int n = b[0]; n != 0; n = b[n]) {
        const int64_t leidos = l.Leer(b, n + 1);
        if (leidos < n) return Fin::Cortado;
        dar(b, n);
        if (leidos == n) return Fin::SinTerminador;
    }
    return Fin::Bien;
}

// More runs of stray bytes than this is no GIF that lost a few.
constexpr size_t kMaxSaltos = 4096;

// The file without the bytes left out, and with the end it lacks.
std::vector<Pieza> Remendar(const std::vector<std::pair<int64_t, int64_t>> &saltos, const QByteArray &cola)
{
    std::vector<Pieza> piezas;
    if (saltos.empty() && cola.isEmpty()) return piezas;
    int64_t desde = 0;
    for (auto [inicio, largo] : saltos) {
        piezas.push_back({desde, inicio - desde, {}});
        desde = inicio + largo;
    }
    piezas.push_back({desde, Pieza::kResto, {}});
    if (!cola.isEmpty()) piezas.push_back({0, 0, cola});
    return piezas;
}
} // namespace

ContadorLZW::ContadorLZW(int minimo, int64_t tope) : minimo_(minimo), limpiar_(1 << minimo), tope_(tope)
{
    // Codes below the clear code are single pixels for good; the rest are
    // defined again after each clear, each before it may be used.
    for (int i = 0; i < limpiar_; ++i) largo_[i] = 1;
    siguiente_ = limpiar_ + 2;
    bits_ = minimo_ + 1;
    previo_ = -1;
}

void ContadorLZW::Alimentar(const uint8_t *datos, int n)
{
    // Runs once per code of the whole frame: its state in locals.
    uint64_t acumulado = acumulado_;
    int en = enAcumulado_, i = 0, bits = bits_, siguiente = siguiente_, previo = previo_;
    int64_t pixeles = pixeles_;
    const int limpiar = limpiar_;
    while (!terminado_) {
        if (en < bits) {
            if (i + 8 <= n) { // whole bytes up to 63 bits, in one load
                uint64_t v;
                std::memcpy(&v, datos + i, 8);
                const int k = (63 - en) >> 3;
                acumulado |= (v & ((uint64_t(1) << (8 * k)) - 1)) << en;
                i += k;
                en += 8 * k;
            } else {
                while (en <= 56 && i < n) {
                    acumulado |= uint64_t(datos[i++]) << en;
                    en += 8;
                }
                if (en < bits) break;
            }
        }
        const int c = int(acumulado & ((uint64_t(1) << bits) - 1));
        acumulado >>= bits;
        en -= bits;
        if (c == limpiar) { // the table starts again
            siguiente = limpiar + 2;
            bits = minimo_ + 1;
            previo = -1;
            continue;
        }
        // The end code, or one the table cannot hold yet, ends the data.
        if (c == limpiar + 1 || c > siguiente || (c == siguiente && previo < 0)) {
            terminado_ = true;
            break;
        }
        if (previo >= 0 && siguiente < kCodigos) {
            // The previous string and one more pixel.
            largo_[siguiente] = uint16_t(largo_[previo] + 1);
            if (++siguiente == 1 << bits && bits < 12) ++bits;
        }
        pixeles += largo_[c];
        previo = c;
        if (pixeles >= tope_) terminado_ = true;
    }
    acumulado_ = acumulado;
    enAcumulado_ = en;
    bits_ = bits, siguiente_ = siguiente, previo_ = previo;
    pixeles_ = pixeles;
}

bool RecorrerGIF(Lector &l, EstructuraGIF &g, bool soloTamano)
{
    // Header (its signature already known) and logical screen, then its
    // colour table.
    uint8_t p[13];
    if (l.Leer(p, 13) != 13 || !SaltarTabla(l, p[10])) return false;
    std::vector<std::pair<int64_t, int64_t>> saltos; // (where, how many)
    // Where the file ends cleanly, what it lacks: the trailer, or a block's
    // terminator and the trailer.
    auto terminar = [&](int marcos, const QByteArray &cola) {
        if (marcos == 0 || l.Fallo() || l.Posicion() != l.Tamano()) return false;
        g.piezas = Remendar(saltos, cola);
        return true;
    };
    for (int marcos = 0;;) {
        uint8_t bloque;
        if (l.Leer(&bloque, 1) != 1) return terminar(marcos, QByteArray(";", 1));
        switch (bloque) {
        case 0x3B:
            if (marcos == 0) return false;
            g.piezas = Remendar(saltos, {});
            return true;
        case 0x00: { // a stray byte between blocks
            const int64_t aqui = l.Posicion() - 1;
            if (!saltos.empty() && saltos.back().first + saltos.back().second == aqui)
                ++saltos.back().second;
            else if (saltos.size() < kMaxSaltos)
                saltos.push_back({aqui, 1});
            else
                return false;
            break;
        }
        case 0x21: { // an extension: its label, then its data
            uint8_t etiqueta;
            if (l.Leer(&etiqueta, 1) != 1) return false;
            const Fin fin = SubBloques(l, [](const uint8_t *, int) {});
            if (fin == Fin::Cortado) return false;
            if (fin == Fin::SinTerminador) return terminar(marcos, QByteArray("\0;", 2));
            break;
        }
        case 0x2C: { // a frame: where and how large, its colour table, its data
            uint8_t d[9];
            if (l.Leer(d, 9) != 9) return false;
            if (marcos++ == 0) {
                g.ancho = qFromLittleEndian<quint16>(d + 4);
                g.alto = qFromLittleEndian<quint16>(d + 6);
                if (soloTamano) return true;
            }
            uint8_t minimo;
            if (!SaltarTabla(l, d[8]) || l.Leer(&minimo, 1) != 1) return false;
            Fin fin;
            if (marcos > 1) { // only the first is decoded
                fin = SubBloques(l, [](const uint8_t *, int) {});
            } else {
                // Codes wider than 8 bits name colours no palette holds; below
                // 2 bits the table's first code does not fit its first width.
                if (minimo < 2 || minimo > 8) return false;
                const int64_t todos = int64_t(g.ancho) * g.alto;
                ContadorLZW lzw(minimo, todos);
                fin = SubBloques(l, [&lzw](const uint8_t *b, int n) { lzw.Alimentar(b, n); });
                if (lzw.Pixeles() < todos) return false;
            }
            if (fin == Fin::Cortado) return false;
            if (fin == Fin::SinTerminador) return terminar(marcos, QByteArray("\0;", 2));
            break;
        }
        default: return false;
        }
    }
}

bool CabeceraGIF(Archivos::Flujo &f, Cabecera &c, bool soloTamano)
{
    Lector l(f);
    EstructuraGIF g;
    if (!RecorrerGIF(l, g, soloTamano)) return false;
    c.ancho = g.ancho, c.alto = g.alto, c.bpp = 8, c.tipo = FIT_BITMAP;
    c.piezas = std::move(g.piezas);
    // Its header is all a header read wants: the codec would decode the frame.
    if (c.ancho > 0 && c.alto > 0) c.bmp.reset(FreeImage_AllocateHeader(TRUE, int(g.ancho), int(g.alto), 8, 0, 0, 0));
    return true;
}

} // namespace modFreeImage
