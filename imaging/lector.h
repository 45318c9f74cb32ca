#pragma once
// What a codec reads of a file: the file itself, or a mended copy of it made
// of pieces of the file and bytes of our own, read through one buffer.
//
//   Lector(flujo, piezas)  reads the pieces one after the other as if they
//                          were one file (no pieces: the whole file). Reads,
//                          seeks and tells as Archivos::Flujo does, through a
//                          buffer of 64 KiB: a codec that reads a few bytes at
//                          a time costs no system call each. A failed read of
//                          the file stays in the Flujo; a seek before the
//                          start fails it as lseek would (EINVAL).
//   Lector::IO()           the image library's I/O over it (handle: the
//                          Lector); a read past the end is completed with
//                          zeros and noted as LecturaCorta(), as IO() does.
//   Decodificar(fif, flujo, piezas)  the library's decode of the file as
//                          those pieces show it (GIF always: its blocks are
//                          many small reads).

#include "imaging/freeimage_io.h"

#include <cstdint>
#include <vector>

namespace modFreeImage {

class Lector {
public:
    Lector(Archivos::Flujo &f, std::vector<Pieza> piezas = {});
    Lector(const Lector &) = delete;
    Lector &operator=(const Lector &) = delete;

    int64_t Leer(void *datos, int64_t n);
    bool Posicionar(int64_t desplazamiento, int origen);
    int64_t Posicion() const { return pos_; }
    int64_t Tamano() const { return tamano_; }
    bool Fallo() const { return f_.Fallo(); }
    FreeImageIO IO();

private:
    // Up to n bytes of the file from 'desde', through the buffer.
    int64_t LeerFichero(int64_t desde, char *datos, int64_t n);

    Archivos::Flujo &f_;
    std::vector<Pieza> piezas_;
    std::vector<int64_t> inicios_; // where each piece starts in what we show
    int64_t tamano_ = 0, pos_ = 0;
    size_t actual_ = 0; // the piece pos_ was last found in
    std::vector<char> buffer_;
    int64_t bufferDesde_ = 0, bufferLargo_ = 0;
};

Bitmap Decodificar(FREE_IMAGE_FORMAT fif, Archivos::Flujo &f, const std::vector<Pieza> &piezas);

} // namespace modFreeImage
