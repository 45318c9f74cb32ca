#pragma once
// A GIF's own structure, walked before its codec runs. The codec fills a
// frame with whatever its data decodes to and says nothing when the data is
// missing, cut or broken (a few hundred bytes may claim 30000 x 30000), so:
//
//   RecorrerGIF(lector, gif)  from the start of a file known to be a GIF
//       (its signature checked), every block up to the trailer: false when a
//       block is cut short or of no known kind, or when the first frame's
//       LZW data (the frame the codec loads) decodes to fewer pixels than the
//       frame holds. The data is decoded only to count what it yields;
//       nothing is kept. What other readers forgive, with every pixel there,
//       is mended in gif.piezas, the file as its codec then reads it: a
//       stray 0x00 byte between blocks is left out; a file that ends after a
//       whole block lacking only the trailer, or after a whole sub-block
//       lacking its block's terminator and the trailer, gets what it lacks.
//       With soloTamano the walk stops at the first frame's size.
//   CabeceraGIF(flujo, cab, soloTamano)  the walk as the loader's header: the
//       first frame's size (8 bits), a bitmap of no pixels, and the pieces
//       for the decode (lector.h).
//   ContadorLZW              the pixel count of one LZW stream, fed by
//       sub-blocks; it stops at the end code, at a code the table does not
//       hold yet, or at 'tope' pixels.

#include "imaging/lector.h"

#include <cstdint>
#include <vector>

namespace modFreeImage {

struct EstructuraGIF {
    uint32_t ancho = 0, alto = 0; // the first frame's
    std::vector<Pieza> piezas;    // empty: the file as it is
};

bool RecorrerGIF(Lector &l, EstructuraGIF &g, bool soloTamano = false);
bool CabeceraGIF(Archivos::Flujo &f, Cabecera &c, bool soloTamano);

class ContadorLZW {
public:
    // minimo: the stream's minimum code size (2 to 8).
    ContadorLZW(int minimo, int64_t tope);
    void Alimentar(const uint8_t *datos, int n);
    int64_t Pixeles() const { return pixeles_; }

private:
    // The table's next code, the code width and the last code (-1 after a
    // clear).
    int minimo_, limpiar_, siguiente_, bits_, previo_;
    uint64_t acumulado_ = 0;
    int enAcumulado_ = 0;
    int64_t pixeles_ = 0, tope_;
    bool terminado_ = false;
    static constexpr int kCodigos = 4096; // 12-bit codes at most
    uint16_t largo_[kCodigos];            // each code's length in pixels
};

} // namespace modFreeImage
