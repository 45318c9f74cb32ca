#pragma once
// The image engine's process-wide state: the chart scan, the sample image
// (as loaded, and a working copy never modified), the output flags and the
// sample's histograms. Buffers are 24-bit blue-green-red, rows bottom-up,
// stride = width * 3 rounded up to a multiple of 4.

#include <QString>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace modImage {

using Pixeles = std::vector<uint8_t>;

// Pixels kept once and read through several names. The loaded images are
// never written, so the sample's two buffers are views of one block, and the
// block is the decoded bitmap itself or memory the load filled directly (no
// copy of a whole image). The memory goes when the last view lets it go.
class Bloque {
public:
    using value_type = uint8_t;
    using const_iterator = const uint8_t *;
    using iterator = const_iterator;

    Bloque() = default;
    // A view of memory that dueno keeps alive.
    Bloque(std::shared_ptr<const void> dueno, const uint8_t *datos, size_t bytes)
        : dueno_(std::move(dueno)), datos_(datos), bytes_(bytes)
    {
    }
    // A block holding a copy of the buffer.
    explicit Bloque(const Pixeles &px)
    {
        auto copia = std::make_shared<const Pixeles>(px);
        datos_ = copia->data();
        bytes_ = copia->size();
        dueno_ = std::move(copia);
    }
    Bloque &operator=(const Pixeles &px) { return *this = Bloque(px); }

    const uint8_t *data() const { return datos_; }
    size_t size() const { return bytes_; }
    bool empty() const { return bytes_ == 0; }
    void clear() { *this = Bloque(); }
    const_iterator begin() const { return datos_; }
    const_iterator end() const { return datos_ + bytes_; }
    uint8_t operator[](size_t i) const { return datos_[i]; }
    uint8_t at(size_t i) const
    {
        if (i >= bytes_) throw std::out_of_range("Bloque::at");
        return datos_[i];
    }

    friend bool operator==(const Bloque &a, const Bloque &b) { return std::equal(a.begin(), a.end(), b.begin(), b.end()); }
    friend bool operator==(const Bloque &a, const Pixeles &b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    std::shared_ptr<const void> dueno_;
    const uint8_t *datos_ = nullptr;
    size_t bytes_ = 0;
};

// Stride of a 24-bit row of the given width (64-bit: no overflow).
inline int64_t PasoDeAncho(int64_t ancho) { return (ancho * 3 + 3) / 4 * 4; }

// Chart scan.
extern bool HayEscaneo;
extern int32_t AnchoEscaneo, AltoEscaneo;
extern int32_t PasoEscaneo;
extern Bloque PixelesEscaneo;

// Sample image.
extern bool HayMuestra;
extern int32_t AnchoMuestra, AltoMuestra;
extern int32_t PasoMuestra;
extern QString RutaMuestra;
extern Bloque PixelesMuestraOriginal; // as loaded, shown once
extern Bloque PixelesMuestra;         // the working copy: the same block
extern QString DescPerfilICC, DescPerfilOrigen;
extern QString RutaICCTemporal;
extern double DpiMuestraX, DpiMuestraY;

// Output options of the curve editor.
extern bool InvertirTonos;
extern bool InvertirHorizontal;

// Histograms of the sample's unprocessed pixels: [1] red, [2] green,
// [3] blue, [4] luma; index 0 unused.
extern int32_t HistMuestra[5][256];

} // namespace modImage
