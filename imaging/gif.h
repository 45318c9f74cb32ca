#pragma once
// A GIF's own structure, walked before its codec runs. The codec fills a
// frame with whatever its data decodes to and says nothing when the data is
// missing, cut or broken (a few hundred bytes may claim 30000 x 30000), so:
//
//   RecorrerGIF(flujo, gif)  from the start of a stream known to be a GIF
//       (its signature checked), every block up to the
//       trailer: false when a block is cut short or of no known kind, or when
//       the first frame's LZW data (the frame the codec loads) decodes to
//       fewer pixels than the frame holds. The data is decoded only to count
//       what it yields; nothing is kept. A file that ends cleanly after its
//       last block, lacking only the trailer byte, is whole (other readers
//       take it; the codec's input supplies the byte, freeimage_io.h).
//   ContadorLZW              the pixel count of one LZW stream, fed by
//       sub-blocks; it stops at the end code, at a code the table does not
//       hold yet, or at 'tope' pixels.

#include "platform/files.h"

#include <cstdint>

namespace modFreeImage {

struct EstructuraGIF {
    uint32_t ancho = 0, alto = 0; // the first frame's
};

bool RecorrerGIF(Archivos::Flujo &f, EstructuraGIF &g);

class ContadorLZW {
public:
    // minimo: the stream's minimum code size (2 to 8).
    ContadorLZW(int minimo, int64_t tope);
    void Alimentar(const uint8_t *datos, int n);
    int64_t Pixeles() const { return pixeles_; }

private:
    void Vaciar();
    void Codigo(int c);

    // The table's next code, the code width and the last code (-1 after a
    // clear), set by Vaciar.
    int minimo_, limpiar_, siguiente_, bits_, previo_;
    uint32_t acumulado_ = 0;
    int enAcumulado_ = 0;
    int64_t pixeles_ = 0, tope_;
    bool terminado_ = false;
    static constexpr int kCodigos = 4096; // 12-bit codes at most
    uint16_t largo_[kCodigos];            // each code's length in pixels
};

} // namespace modFreeImage
