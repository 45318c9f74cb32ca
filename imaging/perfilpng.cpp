#include "imaging/perfilpng.h"

#include "imaging/perfilicc.h"

#include <QtEndian>

#include <algorithm>
#include <zlib.h>

namespace modICC {

namespace {
} // namespace

QByteArray InflarPerfilPNG(const QByteArray &datos)
{
    // A name of 1 to 79 bytes, its 0 byte, then method 0 (deflate).
    const qsizetype cero = datos.indexOf('\0');
    if (cero < 1 || cero > 79 || cero + 2 > datos.size() || datos[cero + 1] != 0) return {};
    QByteArray comprimido = datos.mid(cero + 2);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return {};
    z.next_in = reinterpret_cast<Bytef *>(comprimido.data());
    z.avail_in = uInt(comprimido.size());
    QByteArray perfil;
    int r = Z_OK;
    while (r == Z_OK && perfil.size() < kMaximoPerfil) {
        const qsizetype hecho = perfil.size();
        perfil.resize(std::min<qsizetype>(kMaximoPerfil, std::max<qsizetype>(4096, 2 * hecho)));
        z.next_out = reinterpret_cast<Bytef *>(perfil.data() + hecho);
        z.avail_out = uInt(perfil.size() - hecho);
        r = inflate(&z, Z_NO_FLUSH);
        perfil.resize(perfil.size() - qsizetype(z.avail_out));
        // No progress with input left: the stream is cut or broken.
        if (r == Z_BUF_ERROR) break;
    }
    inflateEnd(&z);
    return r == Z_STREAM_END ? perfil : QByteArray();
}

void PerfilPNG(Archivos::Flujo &f, FIBITMAP *bitmap)
{
    if (!bitmap) return;
    if (const FIICCPROFILE *p = FreeImage_GetICCProfile(bitmap); p && p->size > 0 && p->data) return;
    if (!f.Posicionar(8, SEEK_SET)) return; // the signature, checked by the caller
    // The profile comes before the image data (and the palette).
    for (int trozos = 0; trozos < 100000; ++trozos) {
        uint8_t h[8];
        if (f.Leer(h, 8) != 8) return;
        const int64_t largo = qFromBigEndian<quint32>(h);
        const QByteArray tipo(reinterpret_cast<const char *>(h + 4), 4);
        if (tipo == "IDAT" || tipo == "IEND" || largo > INT32_MAX) return;
        if (tipo != "iCCP") {
            if (!f.Posicionar(largo + 4, SEEK_CUR)) return;
            continue;
        }
        if (largo > kMaximoPerfil) return;
        QByteArray datos(largo, Qt::Uninitialized);
        uint8_t crc[4];
        if (f.Leer(datos.data(), largo) != largo || f.Leer(crc, 4) != 4) return;
        const uLong tipoYDatos = crc32(crc32(crc32(0L, Z_NULL, 0), h + 4, 4), reinterpret_cast<const Bytef *>(datos.constData()), uInt(largo));
        if (tipoYDatos != qFromBigEndian<quint32>(crc)) return;
        const QByteArray perfil = InflarPerfilPNG(datos);
        if (!perfil.isEmpty())
            FreeImage_CreateICCProfile(bitmap, const_cast<char *>(perfil.constData()), long(perfil.size()));
        return;
    }
}

} // namespace modICC
