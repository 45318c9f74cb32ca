#include "imaging/lector.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace modFreeImage {

namespace {
constexpr int64_t kBuffer = 64 << 10;
}

Lector::Lector(Archivos::Flujo &f, std::vector<Pieza> piezas) : f_(f)
{
    if (piezas.empty()) piezas.push_back({0, Pieza::kResto, {}});
    for (Pieza &p : piezas) {
        if (p.bytes.isEmpty() && p.largo == Pieza::kResto) p.largo = f.Tamano() - p.desde;
        if (p.Largo() <= 0) continue;
        inicios_.push_back(tamano_);
        tamano_ += p.Largo();
        piezas_.push_back(std::move(p));
    }
}

int64_t Lector::LeerFichero(int64_t desde, char *datos, int64_t n)
{
    if (desde >= bufferDesde_ && desde < bufferDesde_ + bufferLargo_) {
        const int64_t k = std::min(n, bufferDesde_ + bufferLargo_ - desde);
        std::memcpy(datos, buffer_.data() + (desde - bufferDesde_), size_t(k));
        return k;
    }
    // Large reads go straight to the caller.
    if (n >= kBuffer) return f_.Posicionar(desde, SEEK_SET) ? f_.Leer(datos, n) : 0;
    buffer_.resize(size_t(kBuffer));
    bufferDesde_ = desde;
    bufferLargo_ = f_.Posicionar(desde, SEEK_SET) ? f_.Leer(buffer_.data(), kBuffer) : 0;
    const int64_t k = std::min(n, bufferLargo_);
    if (k > 0) std::memcpy(datos, buffer_.data(), size_t(k));
    return k;
}

int64_t Lector::Leer(void *datos, int64_t n)
{
    char *d = static_cast<char *>(datos);
    int64_t hechos = 0;
    while (hechos < n && pos_ < tamano_ && !f_.Fallo()) {
        if (pos_ < inicios_[actual_] || pos_ >= inicios_[actual_] + piezas_[actual_].Largo())
            actual_ = size_t(std::upper_bound(inicios_.begin(), inicios_.end(), pos_) - inicios_.begin()) - 1;
        const Pieza &p = piezas_[actual_];
        const int64_t dentro = pos_ - inicios_[actual_];
        int64_t k = std::min(n - hechos, p.Largo() - dentro);
        if (!p.bytes.isEmpty())
            std::memcpy(d + hechos, p.bytes.constData() + dentro, size_t(k));
        else if ((k = LeerFichero(p.desde + dentro, d + hechos, k)) == 0)
            break; // the file is shorter than it was
        hechos += k;
        pos_ += k;
    }
    return hechos;
}

bool Lector::Posicionar(int64_t desplazamiento, int origen)
{
    if (f_.Fallo()) return false;
    const int64_t base = origen == SEEK_CUR ? pos_ : origen == SEEK_END ? tamano_ : 0;
    if (base + desplazamiento < 0) {
        f_.Fallar(EINVAL);
        return false;
    }
    pos_ = base + desplazamiento;
    return true;
}

namespace {
Lector &L(fi_handle h) { return *static_cast<Lector *>(h); }

unsigned DLL_CALLCONV LeerIO(void *buf, unsigned tam, unsigned cuenta, fi_handle h)
{
    if (tam == 0 || cuenta == 0) return 0;
    const int64_t pedido = int64_t(tam) * cuenta, leidos = L(h).Leer(buf, pedido);
    if (leidos < pedido) {
        // As IO(): codecs that ignore the count meet zeros, the end of every block.
        std::memset(static_cast<char *>(buf) + leidos, 0, size_t(pedido - leidos));
        AnotarLecturaCorta();
    }
    return static_cast<unsigned>(leidos / tam);
}

int DLL_CALLCONV PosicionarIO(fi_handle h, long desplazamiento, int origen)
{
    return L(h).Posicionar(desplazamiento, origen) ? 0 : -1;
}

long DLL_CALLCONV PosicionIO(fi_handle h) { return static_cast<long>(L(h).Posicion()); }
} // namespace

FreeImageIO Lector::IO()
{
    FreeImageIO io{}; // read only: no codec writes through it
    io.read_proc = LeerIO;
    io.seek_proc = PosicionarIO;
    io.tell_proc = PosicionIO;
    return io;
}

Bitmap Decodificar(FREE_IMAGE_FORMAT fif, Archivos::Flujo &f, const std::vector<Pieza> &piezas)
{
    if (fif != FIF_GIF && piezas.empty()) {
        FreeImageIO io = modFreeImage::IO();
        return Bitmap(f.Posicionar(0, SEEK_SET) ? FreeImage_LoadFromHandle(fif, &io, &f, 0) : nullptr);
    }
    Lector l(f, piezas);
    FreeImageIO io = l.IO();
    return Bitmap(FreeImage_LoadFromHandle(fif, &io, &l, 0));
}

} // namespace modFreeImage
