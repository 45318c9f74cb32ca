#include "imaging/jpeg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <jpeglib.h>
#include <vector>

namespace modFreeImage {

namespace {

int64_t Arriba(int64_t a, int64_t b) { return (a + b - 1) / b; }

// Reads through a buffer of its own: the walk looks at every byte.
class Lector {
public:
    explicit Lector(Archivos::Flujo &f) : f_(f), buf_(1 << 16) {}

    bool Byte(uint8_t &b)
    {
        if (i_ == n_ && !Llenar()) return false;
        b = buf_[size_t(i_++)];
        return true;
    }
    bool Leer(uint8_t *d, int n)
    {
        for (int k = 0; k < n; ++k)
            if (!Byte(d[k])) return false;
        return true;
    }
    // Past n bytes; a skip beyond the end leaves the next read short.
    bool Saltar(int64_t n)
    {
        if (n <= n_ - i_) {
            i_ += n;
            return true;
        }
        n -= n_ - i_;
        i_ = n_ = 0;
        return f_.Posicionar(n, SEEK_CUR);
    }
    // Up to the next 0xFF, which is taken; how many bytes came before it.
    bool HastaFF(int64_t &antes)
    {
        antes = 0;
        for (;;) {
            if (i_ == n_ && !Llenar()) return false;
            const uint8_t *p = buf_.data() + i_;
            const void *ff = std::memchr(p, 0xFF, size_t(n_ - i_));
            if (ff) {
                const int64_t k = static_cast<const uint8_t *>(ff) - p;
                antes += k;
                i_ += k + 1;
                return true;
            }
            antes += n_ - i_;
            i_ = n_;
        }
    }

private:
    bool Llenar()
    {
        n_ = f_.Leer(buf_.data(), int64_t(buf_.size()));
        i_ = 0;
        return n_ > 0;
    }

    Archivos::Flujo &f_;
    std::vector<uint8_t> buf_;
    int64_t n_ = 0, i_ = 0;
};

// The next marker between segments: any number of 0xFF fill bytes, then its
// code. Anything else there is what libjpeg skips with a warning of corrupt
// data.
bool Marca(Lector &l, uint8_t &m)
{
    uint8_t b;
    if (!l.Byte(b) || b != 0xFF) return false;
    do {
        if (!l.Byte(b)) return false;
    } while (b == 0xFF);
    m = b;
    return m != 0x00;
}

struct Componente {
    int id, h, v;
    int64_t anchoBloques, altoBloques; // 8 x 8 blocks of its own plane
    bool enScan = false;
};

struct Marco {
    bool hay = false, progresivo = false, aritmetico = false;
    int64_t ancho = 0, alto = 0;
    int hmax = 1, vmax = 1;
    std::vector<Componente> c;
};

// Frame header: precision 8, size, then each component's id, sampling and
// table. libjpeg refuses the same fields (JERR_BAD_LENGTH, _BAD_PRECISION,
// _EMPTY_IMAGE, _IMAGE_TOO_BIG, _COMPONENT_COUNT, _BAD_SAMPLING).
bool LeerMarco(const uint8_t *d, int largo, uint8_t tipo, Marco &fr)
{
    if (largo < 6 || d[0] != 8) return false;
    const int n = d[5];
    if (n < 1 || n > 10 || largo != 6 + 3 * n) return false;
    fr.alto = d[1] << 8 | d[2];
    fr.ancho = d[3] << 8 | d[4];
    if (fr.alto < 1 || fr.ancho < 1 || fr.alto > 65500 || fr.ancho > 65500) return false;
    fr.progresivo = tipo == 0xC2 || tipo == 0xCA;
    fr.aritmetico = tipo >= 0xC9;
    for (int i = 0, mayor = -1; i < n; ++i) {
        const uint8_t *p = d + 6 + 3 * i;
        const int h = p[1] >> 4, v = p[1] & 15;
        if (h < 1 || h > 4 || v < 1 || v > 4) return false;
        // An id seen before becomes the largest so far plus one, as
        // libjpeg renames it (some encoders repeat them).
        int id = p[0];
        if (std::any_of(fr.c.begin(), fr.c.end(), [id](const Componente &c) { return c.id == id; })) id = mayor + 1;
        mayor = std::max(mayor, id);
        fr.c.push_back({id, h, v, 0, 0});
        fr.hmax = std::max(fr.hmax, h), fr.vmax = std::max(fr.vmax, v);
    }
    for (Componente &c : fr.c) {
        c.anchoBloques = Arriba(fr.ancho * c.h, 8 * fr.hmax);
        c.altoBloques = Arriba(fr.alto * c.v, 8 * fr.vmax);
    }
    fr.hay = true;
    return true;
}

// A scan's parameters, as its header gives them.
struct Scan {
    std::vector<Componente *> c;
    int ss, se, ah, al;
};

bool LeerScan(const uint8_t *d, int largo, Marco &fr, Scan &s)
{
    const int n = largo > 0 ? d[0] : 0;
    if (n < 1 || n > 4 || largo != 4 + 2 * n) return false;
    for (int i = 0; i < n; ++i) {
        // An id repeated in the scan becomes the largest of the scan's so
        // far plus one, as in the frame.
        int id = d[1 + 2 * i];
        if (std::any_of(s.c.begin(), s.c.end(), [id](const Componente *c) { return c->id == id; })) {
            id = 0;
            for (const Componente *c : s.c) id = std::max(id, c->id);
            ++id;
        }
        auto c = std::find_if(fr.c.begin(), fr.c.end(), [id](const Componente &k) { return k.id == id; });
        if (c == fr.c.end() || std::find(s.c.begin(), s.c.end(), &*c) != s.c.end()) return false;
        s.c.push_back(&*c);
    }
    const uint8_t *p = d + 1 + 2 * n;
    s.ss = p[0], s.se = p[1], s.ah = p[2] >> 4, s.al = p[2] & 15;
    if (!fr.progresivo) return true;
    // What libjpeg calls a bad progression (an error, not a warning).
    const bool dc = s.ss == 0;
    return (dc ? s.se == 0 : s.ss <= s.se && s.se <= 63 && n == 1) && (s.ah == 0 || s.al == s.ah - 1) && s.al <= 13;
}

// MCUs of a scan: a single component's blocks, or the frame's MCUs.
int64_t MCUs(const Marco &fr, const Scan &s)
{
    if (s.c.size() == 1) return s.c[0]->anchoBloques * s.c[0]->altoBloques;
    return Arriba(fr.ancho, 8 * fr.hmax) * Arriba(fr.alto, 8 * fr.vmax);
}

// The fewest bits a scan's data can hold, in 1/65536 of a bit. Every block
// the scan codes costs its Huffman codes, none shorter than 1 bit, and a
// decoder that runs out of data warns instead of stopping:
//   - sequential: a DC code and at least one AC code (the end of block, or
//     the coefficients of a full block): 2 bits a block;
//   - progressive, DC: a code (first scan) or one raw bit (refinement) a
//     block: 1 bit;
//   - progressive, AC: one end-of-band code covers a run of up to 32767
//     blocks: 1 bit per 32768 blocks.
// Arithmetic coding has no such floor: its coder may code a long run of
// likely decisions in a few bytes and drop its trailing zero bytes, so a
// flat image takes next to nothing.
int64_t MinimoBits(const Marco &fr, const Scan &s)
{
    if (fr.aritmetico) return 0;
    int64_t bloques = MCUs(fr, s);
    if (s.c.size() > 1) {
        int porMCU = 0;
        for (const Componente *c : s.c) porMCU += c->h * c->v;
        bloques *= porMCU;
    }
    const int64_t porBloque = !fr.progresivo ? 2 * 65536 : s.ss == 0 ? 65536 : 2;
    return bloques * porBloque;
}

// The entropy-coded data of a scan, from after its header to the marker
// that ends it (left in m): its bytes (a stuffed 0xFF 0x00 counts one) and
// its restart markers, which must come RST0 to RST7 in turn.
bool DatosDeScan(Lector &l, int64_t &bytes, int64_t &reinicios, uint8_t &m)
{
    bytes = reinicios = 0;
    for (;;) {
        int64_t n;
        if (!l.HastaFF(n)) return false; // the file ends inside the data
        bytes += n;
        uint8_t b;
        do { // libjpeg reads 0xFF ... 0xFF 0x00 as one data byte
            if (!l.Byte(b)) return false;
        } while (b == 0xFF);
        if (b == 0x00) {
            ++bytes;
        } else if (b >= 0xD0 && b <= 0xD7) {
            if (b - 0xD0 != reinicios % 8) return false;
            ++reinicios;
        } else {
            m = b;
            return true;
        }
    }
}

// Markers libjpeg reads past without complaint, their segments skipped:
// tables, restart interval (read apart), DNL, APPn, comment.
bool SeSalta(uint8_t m) { return m == 0xC4 || m == 0xCC || m == 0xDB || m == 0xDC || (m >= 0xE0 && m <= 0xEF) || m == 0xFE; }
// Frames of the processes libjpeg decodes: baseline, extended and
// progressive, Huffman or arithmetic.
bool EsMarco(uint8_t m) { return m == 0xC0 || m == 0xC1 || m == 0xC2 || m == 0xC9 || m == 0xCA; }

} // namespace

bool RecorrerJPEG(Archivos::Flujo &f, EstructuraJPEG &j)
{
    j = EstructuraJPEG();
    Lector l(f);
    uint8_t soi[2], m;
    if (!l.Leer(soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8 || !Marca(l, m)) return false;
    Marco fr;
    int64_t intervalo = 0, scans = 0;
    bool variasPasadas = false;
    for (;;) {
        if (m == 0xD9) break;
        // Restart markers and TEM outside a scan stand alone; libjpeg passes them.
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            if (!Marca(l, m)) return false;
            continue;
        }
        const bool sos = m == 0xDA, sof = EsMarco(m);
        if (!sos && !sof && m != 0xDD && !SeSalta(m)) return false; // a second SOI, other processes, unknown
        uint8_t l2[2];
        if (!l.Leer(l2, 2)) return false;
        int largo = (l2[0] << 8 | l2[1]) - 2;
        if (SeSalta(m)) {
            largo = std::max(largo, 0); // a length below 2 skips nothing in libjpeg either
            if (!l.Saltar(largo) || !Marca(l, m)) return false;
            continue;
        }
        uint8_t d[64];
        if (largo < 0 || largo > int(sizeof d) || !l.Leer(d, largo)) return false;
        if (m == 0xDD) { // restart interval, for the scans that follow
            if (largo != 2) return false;
            intervalo = d[0] << 8 | d[1];
            if (!Marca(l, m)) return false;
            continue;
        }
        if (sof) {
            if (fr.hay || !LeerMarco(d, largo, m, fr) || !Marca(l, m)) return false;
            continue;
        }
        Scan s;
        if (!fr.hay || !LeerScan(d, largo, fr, s)) return false;
        if (scans++ == 0) variasPasadas = fr.progresivo || s.c.size() < fr.c.size();
        // A progressive component is coded once a DC scan holds it.
        for (Componente *c : s.c) c->enScan = c->enScan || !fr.progresivo || s.ss == 0;
        int64_t bytes, reinicios;
        if (!DatosDeScan(l, bytes, reinicios, m)) return false;
        // A restart marker between intervals; more at the end libjpeg passes
        // over, and one amid an interval's data it warns of.
        if (intervalo > 0 && reinicios < Arriba(MCUs(fr, s), intervalo) - 1) return false;
        if (bytes * 8 * 65536 < MinimoBits(fr, s)) return false;
    }
    // Every component is coded in some scan: libjpeg would show one that
    // is not as blank, or as whatever its buffer held, without a word.
    if (scans == 0 || std::any_of(fr.c.begin(), fr.c.end(), [](const Componente &c) { return !c.enScan; })) return false;
    j.ancho = fr.ancho, j.alto = fr.alto;
    j.componentes = int(fr.c.size());
    if (variasPasadas) // libjpeg's full buffer: whole MCUs of each component
        for (const Componente &c : fr.c) j.coeficientes += Arriba(c.anchoBloques, c.h) * c.h * Arriba(c.altoBloques, c.v) * c.v * 64;
    return true;
}

} // namespace modFreeImage

namespace {

// libjpeg's emit_message, but every warning of an image reaches the error
// manager's output_message (libjpeg's own passes on the first alone); a
// hundred is plenty to tell a damaged file, and bounds the cost of one
// whose every block warns.
void Emitir(j_common_ptr cinfo, int nivel)
{
    jpeg_error_mgr *e = cinfo->err;
    if (nivel < 0) {
        if (e->num_warnings++ < 100) (*e->output_message)(cinfo);
    } else if (e->trace_level >= nivel) {
        (*e->output_message)(cinfo);
    }
}

} // namespace

// Found before libjpeg's own by every library that sets up its errors this
// way (the image library's JPEG reader, libtiff's JPEG codec): it takes
// libjpeg's manager and changes only how warnings are emitted.
extern "C" jpeg_error_mgr *jpeg_std_error(jpeg_error_mgr *err)
{
    using Original = jpeg_error_mgr *(*)(jpeg_error_mgr *);
    static const auto original = reinterpret_cast<Original>(::dlsym(RTLD_NEXT, "jpeg_std_error"));
    if (!original) {
        std::fputs("libjpeg's jpeg_std_error cannot be found\n", stderr);
        std::abort();
    }
    jpeg_error_mgr *e = original(err);
    e->emit_message = Emitir;
    return e;
}
