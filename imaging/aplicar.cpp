#include "imaging/aplicar.h"

#include "curves/curvas.h"
#include "imaging/fitrect.h"
#include "imaging/hilos.h"
#include "imaging/preview.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define HALVORA_VBMI 1
#endif

namespace modImage {

namespace {

// One table per channel with the inversion folded in: 0 blue, 1 green, 2 red.
struct Tablas {
    alignas(64) uint8_t c[3][256];
};

Tablas TomarTablas(const Instantanea &curva, bool aplicarTablas)
{
    Tablas t;
    const uint8_t *luts[3] = {curva.lutB, curva.lutG, curva.lutR};
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v) {
            const uint8_t u = aplicarTablas ? luts[c][v] : static_cast<uint8_t>(v);
            t.c[c][v] = curva.invertirTonos ? static_cast<uint8_t>(255 - u) : u;
        }
    }
    return t;
}

// Pixels [desde, ancho) of a row; with the mirror, source column x lands in
// column ancho - 1 - x.
void FilaEscalar(const uint8_t *s, uint8_t *d, int64_t desde, int64_t ancho, const Tablas &t, bool espejo)
{
    const uint8_t *tb = t.c[0], *tg = t.c[1], *tr = t.c[2];
    if (!espejo) {
        for (int64_t x = desde; x < ancho; ++x) {
            const int64_t i = 3 * x;
            d[i] = tb[s[i]];
            d[i + 1] = tg[s[i + 1]];
            d[i + 2] = tr[s[i + 2]];
        }
    } else {
        for (int64_t x = desde; x < ancho; ++x) {
            const int64_t i = 3 * x, o = 3 * (ancho - 1 - x);
            d[o] = tb[s[i]];
            d[o + 1] = tg[s[i + 1]];
            d[o + 2] = tr[s[i + 2]];
        }
    }
}

#ifdef HALVORA_VBMI
// 16 pixels (48 bytes) at a time: every chunk starts on a blue byte, so the
// lane-to-channel masks are fixed. Each channel's 256-entry table is four
// registers; two masked two-table permutes per channel cover values below and
// from 128. The mirror is one more byte permute and a store at the mirrored
// place.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void FilaVBMI(const uint8_t *s, uint8_t *d,
                                                                      int64_t ancho, const Tablas &t,
                                                                      bool espejo)
{
    const __m512i b0 = _mm512_load_si512(t.c[0]), b1 = _mm512_load_si512(t.c[0] + 64),
                  b2 = _mm512_load_si512(t.c[0] + 128), b3 = _mm512_load_si512(t.c[0] + 192);
    const __m512i g0 = _mm512_load_si512(t.c[1]), g1 = _mm512_load_si512(t.c[1] + 64),
                  g2 = _mm512_load_si512(t.c[1] + 128), g3 = _mm512_load_si512(t.c[1] + 192);
    const __m512i r0 = _mm512_load_si512(t.c[2]), r1 = _mm512_load_si512(t.c[2] + 64),
                  r2 = _mm512_load_si512(t.c[2] + 128), r3 = _mm512_load_si512(t.c[2] + 192);
    constexpr __mmask64 m48 = (1ull << 48) - 1;
    constexpr __mmask64 mB = 0x249249249249ull; // lanes 0, 3, 6, ... 45
    constexpr __mmask64 mG = mB << 1;
    constexpr __mmask64 mR = mB << 2;
    alignas(64) uint8_t inv[64] = {};
    for (int q = 0; q < 48; ++q) inv[q] = static_cast<uint8_t>(3 * (15 - q / 3) + q % 3);
    const __m512i rev = _mm512_load_si512(inv);

    int64_t x = 0;
    for (; x + 16 <= ancho; x += 16) {
        __m512i v = _mm512_maskz_loadu_epi8(m48, s + 3 * x);
        const __mmask64 alto = _mm512_movepi8_mask(v);
        const __mmask64 bajo = ~alto;
        v = _mm512_mask2_permutex2var_epi8(b0, v, mB & bajo, b1);
        v = _mm512_mask2_permutex2var_epi8(b2, v, mB & alto, b3);
        v = _mm512_mask2_permutex2var_epi8(g0, v, mG & bajo, g1);
        v = _mm512_mask2_permutex2var_epi8(g2, v, mG & alto, g3);
        v = _mm512_mask2_permutex2var_epi8(r0, v, mR & bajo, r1);
        v = _mm512_mask2_permutex2var_epi8(r2, v, mR & alto, r3);
        if (espejo) {
            v = _mm512_maskz_permutexvar_epi8(m48, rev, v);
            _mm512_mask_storeu_epi8(d + 3 * (ancho - 16 - x), m48, v);
        } else {
            _mm512_mask_storeu_epi8(d + 3 * x, m48, v);
        }
    }
    FilaEscalar(s, d, x, ancho, t, espejo);
}

bool HayVBMI()
{
    static const bool si = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                           __builtin_cpu_supports("avx512vbmi");
    return si;
}
#endif

bool &SoloEscalar()
{
    static bool b = false;
    return b;
}

using FuncionFila = void (*)(const uint8_t *, uint8_t *, int64_t, const Tablas &, bool);

void FilaEscalarCompleta(const uint8_t *s, uint8_t *d, int64_t ancho, const Tablas &t, bool espejo)
{
    FilaEscalar(s, d, 0, ancho, t, espejo);
}

FuncionFila ElegirFila()
{
#ifdef HALVORA_VBMI
    if (!SoloEscalar() && HayVBMI()) return FilaVBMI;
#endif
    return FilaEscalarCompleta;
}

} // namespace

void FijarRutaEscalar(bool soloEscalar) { SoloEscalar() = soloEscalar; }

Instantanea TomarInstantanea()
{
    Instantanea c;
    modEngine::CurvaCompuesta(c.lutR, c.lutG, c.lutB);
    c.invertirTonos = InvertirTonos;
    c.invertirHorizontal = InvertirHorizontal;
    return c;
}

void AplicarCurvaBuffer(const uint8_t *origen, uint8_t *destino, int32_t ancho, int32_t alto,
                        int32_t paso, bool aplicarTablas, int16_t techoProgreso)
{
    AplicarCurvaBuffer(TomarInstantanea(), origen, destino, ancho, alto, paso, aplicarTablas, techoProgreso);
}

void AplicarCurvaBuffer(const Instantanea &curva, const uint8_t *origen, uint8_t *destino, int32_t ancho,
                        int32_t alto, int32_t paso, bool aplicarTablas, int16_t techoProgreso)
{
    if (!origen || !destino || ancho < 1 || alto < 1 || static_cast<int64_t>(paso) < 3LL * ancho) return;
    const Tablas t = TomarTablas(curva, aplicarTablas);
    const bool espejo = curva.invertirHorizontal;
    const FuncionFila fila = ElegirFila();
    const int64_t a = ancho, h = alto, p = paso;

    // Blocks of 64 rows: the progress step, and the unit handed to threads.
    constexpr int64_t kFilas = 64;
    const int64_t bloques = (h + kFilas - 1) / kFilas;
    auto cuerpo = [&](int, int64_t k) {
        const int64_t fin = std::min(h, (k + 1) * kFilas);
        for (int64_t y = k * kFilas; y < fin; ++y) fila(origen + y * p, destino + y * p, a, t, espejo);
    };
    auto informar = [&](int64_t k) {
        const int64_t y = k * kFilas;
        ActualizarProgreso(static_cast<int16_t>(static_cast<int64_t>(techoProgreso) * y / h),
                           QStringLiteral("Aplicando curva..."));
    };
    const int hilos = HilosPara(a * h);
    if (techoProgreso > 0)
        EnParalelo(bloques, hilos, cuerpo, informar);
    else
        EnParalelo(bloques, hilos, cuerpo, nullptr);
}

void AplicarCurvaBuffer(const Pixeles &origen, Pixeles &destino, int32_t ancho, int32_t alto,
                        int32_t paso, bool aplicarTablas, int16_t techoProgreso)
{
    if (ancho < 1 || alto < 1 || static_cast<int64_t>(paso) < 3LL * ancho) return;
    const uint64_t n = static_cast<uint64_t>(paso) * static_cast<uint64_t>(alto);
    if (origen.size() < n || destino.size() < n || origen.data() == destino.data()) return;
    AplicarCurvaBuffer(origen.data(), destino.data(), ancho, alto, paso, aplicarTablas, techoProgreso);
}

namespace {

// Counts of one thread: red, green, blue, luma, twice over: even and odd
// pixels count into separate copies, so runs of equal values do not wait on
// the previous increment of the same counter.
struct Cuentas {
    uint32_t c[2][4][256];
};

// (213 r + 715 g + 72 b) / 1000 as a multiply and a shift: exact for every
// sum from 0 to 255000.
constexpr uint64_t kInverso1000 = 4294968; // ceil(2^32 / 1000)

inline uint32_t LumaRapida(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint32_t>((static_cast<uint64_t>(213 * r + 715 * g + 72 * b) * kInverso1000) >> 32);
}

void ContarFila(const uint8_t *q, int64_t ancho, Cuentas &cu)
{
    uint32_t(*c0)[256] = cu.c[0];
    uint32_t(*c1)[256] = cu.c[1];
    int64_t x = 0;
    for (; x + 2 <= ancho; x += 2, q += 6) {
        const uint32_t b0 = q[0], g0 = q[1], r0 = q[2], b1 = q[3], g1 = q[4], r1 = q[5];
        ++c0[0][r0];
        ++c0[1][g0];
        ++c0[2][b0];
        ++c0[3][LumaRapida(r0, g0, b0)];
        ++c1[0][r1];
        ++c1[1][g1];
        ++c1[2][b1];
        ++c1[3][LumaRapida(r1, g1, b1)];
    }
    if (x < ancho) {
        const uint32_t b0 = q[0], g0 = q[1], r0 = q[2];
        ++c0[0][r0];
        ++c0[1][g0];
        ++c0[2][b0];
        ++c0[3][LumaRapida(r0, g0, b0)];
    }
}

void Histogramas(const uint8_t *buf, int32_t ancho, int32_t alto, int32_t paso)
{
    std::memset(HistMuestra, 0, sizeof(HistMuestra));
    if (!buf || ancho < 1 || alto < 1) return;
    const int64_t a = ancho, h = alto, p = paso;
    constexpr int64_t kFilas = 64;
    const int64_t bloques = (h + kFilas - 1) / kFilas;
    const int hilos = HilosPara(a * h);
    std::vector<Cuentas> locales(static_cast<size_t>(hilos));
    std::memset(locales.data(), 0, locales.size() * sizeof(Cuentas));
    EnParalelo(
        bloques, hilos,
        [&](int hilo, int64_t k) {
            Cuentas &c = locales[static_cast<size_t>(hilo)];
            const int64_t fin = std::min(h, (k + 1) * kFilas);
            for (int64_t y = k * kFilas; y < fin; ++y) ContarFila(buf + y * p, a, c);
        },
        nullptr);
    for (int s = 0; s < 4; ++s) {
        for (int v = 0; v < 256; ++v) {
            int64_t suma = 0;
            for (const Cuentas &c : locales) suma += static_cast<int64_t>(c.c[0][s][v]) + c.c[1][s][v];
            HistMuestra[s + 1][v] = static_cast<int32_t>(std::min<int64_t>(suma, INT32_MAX));
        }
    }
}

} // namespace

void CalcularHistogramasMuestra()
{
    if (static_cast<int64_t>(PasoMuestra) < 3LL * AnchoMuestra ||
        static_cast<int64_t>(PixelesMuestra.size()) <
            static_cast<int64_t>(PasoMuestra) * std::max<int32_t>(AltoMuestra, 0)) {
        std::memset(HistMuestra, 0, sizeof(HistMuestra));
        return;
    }
    Histogramas(PixelesMuestra.data(), AnchoMuestra, AltoMuestra, PasoMuestra);
}

void CalcularHistogramasVista()
{
    std::memset(HistMuestra, 0, sizeof(HistMuestra));
    if (!HayMuestra) return;
    if (AnchoVista < 1 || AltoVista < 1) {
        CalcularHistogramasMuestra();
        return;
    }
    ActualizarProgreso(80, QStringLiteral("Calculando histograma..."));
    Histogramas(PixelesVista.data(), AnchoVista, AltoVista, PasoVista);
    ActualizarProgreso(100, QStringLiteral("Listo."));
}

} // namespace modImage
