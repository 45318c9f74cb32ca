#pragma once
// A JPEG's own structure, walked before its codec runs. libjpeg takes the
// frame's size on trust: it allocates for it, zero-fills every block the
// data does not reach (a few hundred bytes may claim 3 gigapixels) and says
// so only in warnings; and reading a JPEG's header through the image
// library already decodes a progressive frame whole. So:
//
//   RecorrerJPEG(flujo, jpeg)  from the start of a stream known to be a
//       JPEG, every marker up to the end of the image, and the entropy-coded
//       data of every scan (counted, never decoded). false, as damage, when:
//       - the start-of-image marker is not first, a segment is cut short or
//         of a kind libjpeg refuses, or other bytes lie between segments
//         (libjpeg's "extraneous bytes before marker");
//       - there is no frame header, or more than one, or it asks for a
//         process libjpeg does not decode (lossless, hierarchical, other
//         than 8 bits), no pixels, or sampling factors outside 1 to 4;
//       - a scan comes before the frame, names a component the frame lacks
//         or names one twice, or has parameters no decoder accepts;
//       - restart markers inside a scan are out of order, or fewer than its
//         restart interval needs;
//       - a scan's data is shorter than the least its blocks can be coded
//         in (see MinimoBits in jpeg.cpp), or the file ends before the
//         end-of-image marker.
//       Bytes after the end-of-image marker are never read: they do no harm.
//       What it fills in: the frame's size, its components, and the
//       coefficients libjpeg keeps for a frame decoded in several scans
//       (progressive, or a first scan that does not hold every component):
//       64 a block, in whole MCUs of each component.
//
// Besides, libjpeg hands only the first warning of an image to the
// library's message hook (its default emit_message), so corrupt data after a
// harmless first warning went unseen. This file gives libjpeg's
// jpeg_std_error a version of its own, found before libjpeg's: the same
// error manager with an emit_message that passes on every warning (the
// first hundred of an image).

#include "platform/files.h"

#include <cstdint>

namespace modFreeImage {

struct EstructuraJPEG {
    int64_t ancho = 0, alto = 0;
    int componentes = 0;
    // Coefficients held for the whole frame; 0 when decoded a row at a time.
    int64_t coeficientes = 0;
};

bool RecorrerJPEG(Archivos::Flujo &f, EstructuraJPEG &j);

} // namespace modFreeImage
