#include "imaging/perfilicc.h"

#include "platform/files.h"

#include <QFile>
#include <new>

namespace modICC {

namespace {
constexpr int32_t kDesc = 0x64657363; // 'desc'
constexpr int32_t kMluc = 0x6D6C7563; // 'mluc'

// Only spaces, as the profile texts are padded with them.
QString SinEspacios(const QString &t)
{
    qsizetype a = 0, b = t.size();
    while (a < b && t[a] == u' ') ++a;
    while (b > a && t[b - 1] == u' ') --b;
    return t.mid(a, b - a);
}

struct FueraDeRango {};

int32_t Campo(const QByteArray &d, int64_t offset)
{
    const auto v = LeerU32BE(d, offset);
    if (!v) throw FueraDeRango{};
    return *v;
}

// The profile bytes of a bitmap, or nothing.
bool BytesDelPerfil(FIBITMAP *bitmap, QByteArray &bytes)
{
    if (!bitmap) return false;
    const FIICCPROFILE *p = FreeImage_GetICCProfile(bitmap);
    if (!p || p->size == 0 || !p->data) return false;
    bytes = QByteArray(static_cast<const char *>(p->data), static_cast<qsizetype>(p->size));
    return true;
}
} // namespace

std::optional<int32_t> LeerU32BE(const QByteArray &datos, int64_t offset)
{
    if (offset < 0 || offset + 3 >= datos.size()) return std::nullopt;
    const auto *u = reinterpret_cast<const uint8_t *>(datos.constData());
    if (u[offset] >= 0x80) return std::nullopt;
    return static_cast<int32_t>((uint32_t(u[offset]) << 24) | (uint32_t(u[offset + 1]) << 16) |
                                (uint32_t(u[offset + 2]) << 8) | uint32_t(u[offset + 3]));
}

QString LeerDescripcionICC(const QByteArray &datos)
{
    const int64_t tam = datos.size();
    const auto *u = reinterpret_cast<const uint8_t *>(datos.constData());
    auto fuera = [tam](int64_t i) { return i < 0 || i >= tam; };
    QString texto;
    try {
        if (tam < 132) return QString();
        const int32_t cuenta = Campo(datos, 128);
        if (cuenta < 1 || cuenta > 200) return QString();
        for (int64_t i = 0; i < cuenta; ++i) {
            const int64_t entrada = 132 + 12 * i;
            if (fuera(entrada + 11)) break;
            // Every entry's offset is read, so a bad one ends the walk even
            // on a tag that is not the description.
            const int32_t firma = Campo(datos, entrada);
            const int64_t off = Campo(datos, entrada + 4);
            if (firma != kDesc) continue;
            if (fuera(off + 7)) break;
            const int32_t tipo = Campo(datos, off);
            if (tipo == kDesc) {
                const int32_t n = Campo(datos, off + 8);
                for (int64_t j = 0; j < n; ++j) {
                    if (fuera(off + 12 + j)) break;
                    const uint8_t c = u[off + 12 + j];
                    if (c == 0) break;
                    // Fixed single-byte mapping: Latin-1.
                    texto.append(QChar(char16_t(c)));
                }
            } else if (tipo == kMluc) {
                if (fuera(off + 28)) break;
                if (Campo(datos, off + 8) <= 0) break;
                const int64_t largo = Campo(datos, off + 20);
                const int64_t base = off + int64_t(Campo(datos, off + 24));
                for (int64_t j = 0; j <= largo - 2; j += 2) {
                    if (fuera(base + j + 1)) break;
                    const int unidad = u[base + j] * 256 + u[base + j + 1];
                    if (unidad == 0) break;
                    if (unidad < 128) texto.append(QChar(char16_t(unidad)));
                }
            }
            // Only the first 'desc' tag counts.
            break;
        }
    } catch (const FueraDeRango &) {
        return QString();
    }
    return SinEspacios(texto);
}

QString DescripcionPerfilEmbebido(FIBITMAP *bitmap)
{
    try {
        QByteArray bytes;
        if (!BytesDelPerfil(bitmap, bytes)) return QStringLiteral("Sin perfil ICC");
        const QString d = SinEspacios(LeerDescripcionICC(bytes));
        if (!d.isEmpty()) return d;
        return QStringLiteral("Perfil ICC embebido");
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Perfil ICC desconocido");
    }
}

QString GuardarPerfilEmbebidoTemp(FIBITMAP *bitmap)
{
    QString ruta;
    try {
        QByteArray bytes;
        if (!BytesDelPerfil(bitmap, bytes)) return QString();
        ruta = Archivos::CrearTemporal(QStringLiteral("zolv_icc_"), QStringLiteral(".icc"));
        if (ruta.isEmpty()) return QString();
        QFile f(ruta);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() &&
            f.flush()) {
            f.close();
            if (f.error() == QFileDevice::NoError) return ruta;
        }
    } catch (const std::bad_alloc &) {
    }
    if (!ruta.isEmpty()) Archivos::Borrar(ruta);
    return QString();
}

QByteArray PerfilRGBDeArchivo(const QString &ruta)
{
    QFile f(ruta);
    if (ruta.isEmpty() || !f.open(QIODevice::ReadOnly) || f.size() < 132 || f.size() > kMaximoPerfil) return {};
    try {
        QByteArray d = f.readAll();
        const auto tam = LeerU32BE(d, 0);
        if (!tam || *tam < 132 || *tam > d.size() || d.mid(36, 4) != "acsp" || d.mid(16, 4) != "RGB ") return {};
        d.truncate(*tam);
        return d;
    } catch (const std::bad_alloc &) {
        return {};
    }
}

} // namespace modICC
