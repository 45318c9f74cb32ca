#pragma once
// What outlives one opening of the curve editor window: the kept copy of the
// last received or imported master curve, the dirty mark of the preview, the
// history texts and the last mouse position over the canvas. GUI-free; one
// instance for the process. The kept copy reaches the engine only through its
// take and put-back pair.

#include "curves/curvas.h"
#include "windows/editor/historial.h"

#include <cstdint>

struct Conservado {
    int16_t CurvaX[modEngine::MaxPuntos] = {};
    int16_t CurvaY[modEngine::MaxPuntos] = {};
    int16_t NumPuntosCurva = 0;
    bool PreviewSucio = false;
    HistorialEdicion Historial;
    // The history list is being refilled: its selection changes are not clicks.
    bool SinEventoHistorial = false;
    int32_t CurvaXRaton = 0, CurvaYRaton = 0;
    // The generated curve's undo step whose history line the list shows
    // last (modEngine::PasoGenerado), 0 for none.
    int32_t PasoConLinea = 0;

    static Conservado &Instancia();

    // The kept copy becomes the n points given, clamped to 0..255 (n checked
    // by the caller to be 2..MaxPuntos).
    void RecibirCurva(const int *xs, const int *ys, int n);
    // The kept copy becomes the master curve's points (at most MaxPuntos).
    void TomarCurvaDeMaestra();
    // Mirrors the kept copy's outputs: y -> 255 - y.
    void NegarCurva();
    // The master curve's points become the kept copy (its levels stay).
    void PonerCurvaEnMaestra() const;
};
