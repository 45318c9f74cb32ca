#pragma once
// The curve editor's preview: the sample resampled once (nearest neighbour)
// to the rectangle it takes fitted in the box, and drawn through the curve on
// every change, through the whole curve (imaging/aplicar.h). A redraw with the
// curve is skipped while the curve counter, that curve and both output flags
// are what the box already shows.

#include "imaging/modimage.h"

#include <cstdint>

class PictureBox;
class Superficie;

// Each drawing operation takes the picture box (refreshed when drawn into; a
// null box does nothing) or a bare surface.

namespace modImage {

// Preview buffer, same layout as the sample buffers; rows PasoVista bytes,
// the bytes beyond 3 * AnchoVista zero. AnchoVista/AltoVista are 0 until the
// first build.
extern Pixeles PixelesVista;
extern int32_t AnchoVista, AltoVista, PasoVista;
// Top-left corner of the preview in the box.
extern int32_t XVista, YVista;
// VersionCurva at the last drawing with the curve; -1: nothing cached.
extern int32_t VersionVista;
// The flags at that drawing (True = -1).
extern int16_t VistaInvertirTonos, VistaInvertirHorizontal;

// Builds the preview for this box from the working sample; invalidates the
// cache. Does nothing without a sample or when the fitted rectangle is empty.
void ConstruirVistaPrevia(PictureBox *pic);
void ConstruirVistaPrevia(const Superficie &pic);

// Draws the preview through the tables, inversion and flip, unless the box
// already shows exactly that.
void DibujarVistaConCurva(PictureBox *pic);
void DibujarVistaConCurva(Superficie &pic);

// Draws the preview without the tables (inversion and flip still apply);
// invalidates the cache.
void DibujarVistaOriginal(PictureBox *pic);
void DibujarVistaOriginal(Superficie &pic);

// Blackens the box and copies a buffer in the preview layout into it at
// (XVista, YVista), 1:1.
void DibujarBufferVista(const Pixeles &buffer, PictureBox *pic);
void DibujarBufferVista(const uint8_t *buffer, Superficie &pic);

// Repaints the scan view in the box (the scan evaluator's refresh).
void RefrescarVistaEscaneo(PictureBox *pic);
void RefrescarVistaEscaneo(Superficie &pic);

// Forgets what the box shows, so the next DibujarVistaConCurva draws. The
// curve editor calls it after resetting the curves (the counter goes back to
// 0 and could match an old drawing).
void InvalidarCachePreview();

} // namespace modImage
