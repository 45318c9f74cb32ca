#pragma once
// The one place where the curve reaches pixels, and the sample's histograms.
//
// AplicarCurvaBuffer reads a 24-bit buffer (blue, green, red; rows bottom-up;
// stride a multiple of 4) and writes into a second buffer of the same layout:
// each byte through its channel's table, then the tone inversion, then the
// left-right mirror. The tables are the whole curve (each colour's curve after
// the master curve, levels included, modEngine::CurvaCompuesta), whichever
// channel the editor shows: pixels that are shown or written never depend on
// it. Curve and flags are taken once at the start of the call, so one call
// always applies one curve.

#include "imaging/modimage.h"

#include <cstdint>

namespace modImage {

// origen and destino are distinct buffers of at least paso * alto bytes.
// With techoProgreso > 0, rows 0, 64, 128, ... report
// (techoProgreso * y) / alto with "Aplicando curva..." in that order, from
// the calling thread. The alignment bytes of destination rows are not written.
void AplicarCurvaBuffer(const uint8_t *origen, uint8_t *destino, int32_t ancho, int32_t alto,
                        int32_t paso, bool aplicarTablas, int16_t techoProgreso);

// The whole curve and both flags as they stand, for an application that must
// use one curve from start to end even if the state changes meanwhile. The
// curve state, the engine's tables and VersionCurva are left untouched.
struct Instantanea {
    uint8_t lutR[256], lutG[256], lutB[256];
    bool invertirTonos = false, invertirHorizontal = false;
};
Instantanea TomarInstantanea();
void AplicarCurvaBuffer(const Instantanea &curva, const uint8_t *origen, uint8_t *destino, int32_t ancho,
                        int32_t alto, int32_t paso, bool aplicarTablas, int16_t techoProgreso);

// The same over vectors; does nothing when the sizes do not describe both
// buffers (a stride too short for the width, or a buffer shorter than
// paso * alto).
void AplicarCurvaBuffer(const Pixeles &origen, Pixeles &destino, int32_t ancho, int32_t alto,
                        int32_t paso, bool aplicarTablas, int16_t techoProgreso);

// Fills HistMuestra from the preview buffer, or from the full sample when no
// preview has been built; all zero when no sample is loaded.
void CalcularHistogramasVista();
// Fills HistMuestra from the full working sample.
void CalcularHistogramasMuestra();

// The luma bin of a pixel: (213 r + 715 g + 72 b) / 1000, truncated.
constexpr int32_t Luma(int32_t r, int32_t g, int32_t b) { return (213 * r + 715 * g + 72 * b) / 1000; }

// Worker threads for the pixel loops: 0 (the default) uses every core,
// 1 keeps them on the calling thread.
void FijarHilosImagen(int hilos);

// Keeps the pixel loops on the portable path (the vector path is taken when
// the processor has it); for comparing both in tests and benchmarks.
void FijarRutaEscalar(bool soloEscalar);

} // namespace modImage
