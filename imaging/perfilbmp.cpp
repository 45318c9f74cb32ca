#include "imaging/perfilbmp.h"

#include "imaging/perfilicc.h"

#include <QByteArray>
#include <QtEndian>

#include <new>

namespace modICC {

namespace {

// Fields of the 124-byte info header, from its start (14 bytes in).
constexpr int kTipoColor = 56, kPerfilDesde = 112, kPerfilLargo = 116;
constexpr uint32_t kIncrustado = 0x4D424544; // 'MBED'
} // namespace

void PerfilBMP(Archivos::Flujo &f, FIBITMAP *bitmap)
{
    if (!bitmap) return;
    if (const FIICCPROFILE *p = FreeImage_GetICCProfile(bitmap); p && p->size > 0 && p->data) return;
    uint8_t h[14 + 124];
    if (!f.Posicionar(0, SEEK_SET) || f.Leer(h, sizeof h) != int64_t(sizeof h)) return;
    const uint8_t *info = h + 14;
    if (qFromLittleEndian<quint32>(info) != 124 || qFromLittleEndian<quint32>(info + kTipoColor) != kIncrustado) return;
    const int64_t desde = 14 + int64_t(qFromLittleEndian<quint32>(info + kPerfilDesde)), largo = qFromLittleEndian<quint32>(info + kPerfilLargo);
    if (largo < 132 || largo > kMaximoPerfil || !f.Posicionar(desde, SEEK_SET)) return;
    try {
        QByteArray perfil(largo, Qt::Uninitialized);
        if (f.Leer(perfil.data(), largo) != largo) return;
        if (LeerU32BE(perfil, 0) != largo || perfil.mid(36, 4) != "acsp") return;
        FreeImage_CreateICCProfile(bitmap, perfil.data(), long(perfil.size()));
    } catch (const std::bad_alloc &) {
        // No memory for it: the image loads without it, as with a broken one.
    }
}

} // namespace modICC
