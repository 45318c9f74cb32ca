#include "imaging/fitrect.h"

#include "platform/numbers.h"
#include "platform/progress.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace modImage {

void CalcularRectanguloAjustado(int32_t anchoCaja, int32_t altoCaja, int32_t anchoImagen,
                                int32_t altoImagen, int32_t &izquierda, int32_t &arriba,
                                int32_t &ancho, int32_t &alto)
{
    izquierda = arriba = ancho = alto = 0;
    if (anchoCaja < 1 || altoCaja < 1 || anchoImagen < 1 || altoImagen < 1) return;
    const double sx = static_cast<double>(anchoCaja) / anchoImagen;
    const double sy = static_cast<double>(altoCaja) / altoImagen;
    const double s = sy < sx ? sy : sx;
    ancho = Numeros::CLng(anchoImagen * s);
    alto = Numeros::CLng(altoImagen * s);
    izquierda = (anchoCaja - ancho) / 2;
    arriba = (altoCaja - alto) / 2;
}

namespace {
// For each destination index, the source span [a, b) it takes.
bool Tramos(int64_t origen, int64_t destino, std::vector<int64_t> &a, std::vector<int64_t> &b)
{
    try {
        a.resize(destino);
        b.resize(destino);
    } catch (const std::bad_alloc &) {
        return false;
    }
    for (int64_t i = 0; i < destino; ++i) {
        if (destino >= origen) {
            a[i] = std::min(origen - 1, ((2 * i + 1) * origen) / (2 * destino));
            b[i] = a[i] + 1;
        } else {
            a[i] = i * origen / destino;
            b[i] = std::max(a[i] + 1, (i + 1) * origen / destino);
        }
    }
    return true;
}
} // namespace

QImage ImagenAjustada(const uint8_t *px, size_t bytes, int32_t ancho, int32_t alto, int32_t paso,
                      int32_t anchoDestino, int32_t altoDestino)
{
    if (!px || ancho < 1 || alto < 1 || anchoDestino < 1 || altoDestino < 1 || paso < ancho * int64_t(3) ||
        static_cast<int64_t>(bytes) < int64_t(paso) * alto)
        return QImage();
    std::vector<int64_t> ax, bx, ay, by;
    if (!Tramos(ancho, anchoDestino, ax, bx) || !Tramos(alto, altoDestino, ay, by)) return QImage();
    QImage img(anchoDestino, altoDestino, QImage::Format_RGB32);
    if (img.isNull()) return img;
    std::vector<uint64_t> suma;
    try {
        suma.assign(size_t(anchoDestino) * 3, 0);
    } catch (const std::bad_alloc &) {
        return QImage();
    }
    for (int32_t y = 0; y < altoDestino; ++y) {
        std::fill(suma.begin(), suma.end(), 0);
        for (int64_t r = ay[y]; r < by[y]; ++r) {
            // Picture row r from the top lies at buffer row alto - 1 - r.
            const uint8_t *fila = px + (alto - 1 - r) * int64_t(paso);
            for (int32_t x = 0; x < anchoDestino; ++x) {
                uint64_t b = 0, g = 0, rr = 0;
                for (int64_t c = ax[x]; c < bx[x]; ++c) {
                    const uint8_t *p = fila + 3 * c;
                    b += p[0];
                    g += p[1];
                    rr += p[2];
                }
                suma[3 * x] += b;
                suma[3 * x + 1] += g;
                suma[3 * x + 2] += rr;
            }
        }
        QRgb *out = reinterpret_cast<QRgb *>(img.scanLine(y));
        const uint64_t filas = uint64_t(by[y] - ay[y]);
        for (int32_t x = 0; x < anchoDestino; ++x) {
            const uint64_t n = filas * uint64_t(bx[x] - ax[x]);
            // Rounded halves up: a display average, not a measurement.
            out[x] = qRgb(int((suma[3 * x + 2] + n / 2) / n), int((suma[3 * x + 1] + n / 2) / n),
                          int((suma[3 * x] + n / 2) / n));
        }
    }
    return img;
}

void ActualizarProgreso(int16_t porcentaje, const QString &mensaje)
{
    Progreso::Informar(mensaje, porcentaje);
}

FIBITMAP *BufferABitmap(const Pixeles &px, int32_t ancho, int32_t alto, int32_t paso)
{
    if (ancho < 1 || alto < 1 || static_cast<int64_t>(px.size()) < int64_t(paso) * alto) return nullptr;
    FIBITMAP *b = FreeImage_Allocate(ancho, alto, 24, 0, 0, 0);
    if (!b) return nullptr;
    if (int64_t(FreeImage_GetPitch(b)) != paso) {
        FreeImage_Unload(b);
        return nullptr;
    }
    std::memcpy(FreeImage_GetBits(b), px.data(), size_t(int64_t(paso) * alto));
    return b;
}

} // namespace modImage
