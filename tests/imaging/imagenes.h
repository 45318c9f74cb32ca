#pragma once
// Test images written with FreeImage, ICC profile bytes, and engine helpers.

#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"
#include "platform/progress.h"

#include <FreeImage.h>
#include <QDir>
#include <QFile>
#include <functional>

namespace prueba {

inline QString Ruta(const QString &n) { return QDir::tempPath() + u'/' + n; }
inline QByteArray Leer(const QString &r) { QFile f(r); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(); }
inline QStringList Temporales(const QString &p) { return QDir(QDir::tempPath()).entryList({p + u'*'}, QDir::Files); }

// Saves and unloads the bitmap; the path, or "" on failure.
inline QString Guardar(FIBITMAP *b, FREE_IMAGE_FORMAT fif, const QString &nombre, int flags = 0)
{
    modFreeImage::Iniciar();
    const bool ok = b && FreeImage_Save(fif, b, QFile::encodeName(Ruta(nombre)).constData(), flags);
    if (b) FreeImage_Unload(b);
    return ok ? Ruta(nombre) : QString();
}

// Colours are 0x00RRGGBB, y counts from the top; buffers are bottom-up BGR.
inline FIBITMAP *Color24(int w, int h, const std::function<uint32_t(int, int)> &f)
{
    FIBITMAP *b = FreeImage_Allocate(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k) FreeImage_GetScanLine(b, h - 1 - y)[3 * x + k] = BYTE(f(x, y) >> (8 * k));
    return b;
}
template <class Buffer> uint32_t Pixel(const Buffer &px, int32_t alto, int32_t paso, int x, int y)
{
    const size_t i = size_t(alto - 1 - y) * paso + 3 * x;
    return uint32_t(px.at(i + 2)) << 16 | uint32_t(px.at(i + 1)) << 8 | px.at(i);
}
inline uint32_t PixelEscaneo(int x, int y)
{
    return Pixel(modImage::PixelesEscaneo, modImage::AltoEscaneo, modImage::PasoEscaneo, x, y);
}
// A scan set straight into the engine.
inline void FijarEscaneo(int w, int h, const std::function<uint32_t(int, int)> &f)
{
    using namespace modImage;
    AnchoEscaneo = w, AltoEscaneo = h, PasoEscaneo = int32_t(PasoDeAncho(w)), HayEscaneo = true;
    Pixeles px(size_t(PasoEscaneo) * h, 0xEE);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k) px[size_t(h - 1 - y) * PasoEscaneo + 3 * x + k] = uint8_t(f(x, y) >> (8 * k));
    PixelesEscaneo = px;
}

// Big-endian field, growing the bytes when needed.
inline QByteArray U32(QByteArray d, int o, uint32_t v)
{
    if (d.size() < o + 4) d.resize(o + 4, '\0');
    for (int k = 0; k < 4; ++k) d[o + k] = char(v >> (24 - 8 * k));
    return d;
}
// A profile: 128-byte header, then the tag table and data.
inline QByteArray PerfilICC(const QByteArray &tabla) { return U32(QByteArray(128, '\0'), 36, 0x61637370) + tabla; }
// One 'desc' tag of the given type and body, right after the table.
inline QByteArray UnaDesc(const char *tipo, const QByteArray &cuerpo)
{
    const QByteArray datos = U32(QByteArray(tipo, 4), 4, 0) + cuerpo;
    return PerfilICC(U32(U32(U32(U32({}, 0, 1), 4, 0x64657363), 8, 144), 12, uint32_t(datos.size())) + datos);
}
inline QByteArray PerfilDesc(const QByteArray &texto, int32_t cuenta = -1)
{
    return UnaDesc("desc", U32({}, 0, uint32_t(cuenta < 0 ? texto.size() : cuenta)) + texto);
}
inline QByteArray PerfilMluc(const QString &texto)
{
    QByteArray d = U32(U32(U32({}, 0, 1), 4, 12), 8, 0x656E5553); // one record, "enUS"
    d = U32(U32(d, 12, uint32_t(texto.size() * 2)), 16, 28);
    for (QChar c : texto) d.append(char(c.unicode() >> 8)).append(char(c.unicode()));
    return UnaDesc("mluc", d);
}
inline void Incrustar(FIBITMAP *b, QByteArray p) { FreeImage_CreateICCProfile(b, p.data(), p.size()); }

// A progress window stand-in that records each report.
struct ProgresoGrabado : Progreso::Destino {
    explicit ProgresoGrabado(bool visible = true) : visible(visible) { Progreso::Registrar(this); }
    ~ProgresoGrabado() override { Progreso::Quitar(this); }
    bool EstaVisible() const override { return visible; }
    void PonerMensaje(const QString &t) override { mensaje = t; }
    void PonerProgreso(int p) override { informes.append({mensaje, p}); }
    bool visible;
    QString mensaje;
    QList<QPair<QString, int>> informes;
};

} // namespace prueba
