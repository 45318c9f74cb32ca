#pragma once
// Images for the engine's tests: files written with FreeImage, buffers in the
// engine's layout (bottom-up BGR rows, 4-byte aligned), ICC profile bytes, a
// recording progress window, and the engines' tests' fixture.

#include "curves/curvas.h"
#include "imaging/aplicar.h"
#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/progress.h"
#include "support/sistema.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <QList>
#include <QPair>
#include <cstring>
#include <functional>
#include <random>

using Informes = QList<QPair<int, QString>>;
// A progress window stand-in that records each report.
struct ProgresoGrabado : Progreso::Destino {
    explicit ProgresoGrabado(bool visible = true) : visible(visible) { Progreso::Registrar(this); }
    ~ProgresoGrabado() override { Progreso::Quitar(this); }
    bool EstaVisible() const override { return visible; }
    void PonerMensaje(const QString &t) override { mensaje = t; }
    void PonerProgreso(int p) override { informes.append({p, mensaje}); }
    bool visible;
    QString mensaje;
    Informes informes;
};

// A curve given by its three tables and flags, as an application takes it.
inline modImage::Instantanea Curva(const std::function<int(int)> &r, const std::function<int(int)> &g,
                                   const std::function<int(int)> &b, bool invertir = false, bool espejo = false)
{
    modImage::Instantanea c;
    for (int v = 0; v < 256; ++v) c.lutR[v] = uint8_t(r(v)), c.lutG[v] = uint8_t(g(v)), c.lutB[v] = uint8_t(b(v));
    c.invertirTonos = invertir, c.invertirHorizontal = espejo;
    return c;
}

// f(x, yFromTop, pixel) writes blue, green, red; alignment bytes hold relleno.
inline modImage::Pixeles Buffer(int w, int h, const std::function<void(int, int, uint8_t *)> &f, uint8_t relleno = 0)
{
    const int64_t paso = modImage::PasoDeAncho(w);
    modImage::Pixeles px(size_t(paso * h), relleno);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f(x, y, px.data() + (h - 1 - y) * paso + 3 * x);
    return px;
}
inline modImage::Pixeles Aleatorio(int w, int h, unsigned semilla)
{
    std::mt19937 g(semilla);
    return Buffer(w, h, [&](int, int, uint8_t *p) { p[0] = uint8_t(g()), p[1] = uint8_t(g()), p[2] = uint8_t(g()); });
}

inline void PonerMuestra(int w, int h, const modImage::Pixeles &px)
{
    using namespace modImage;
    HayMuestra = true, AnchoMuestra = w, AltoMuestra = h, PasoMuestra = int32_t(PasoDeAncho(w));
    PixelesMuestra = PixelesMuestraOriginal = px;
}

// The engines as a fresh start has them (test_main.cpp resets them around
// every test), with the curves set up as a curve window sets them: the
// identity.
class Motor : public ::testing::Test {
protected:
    void SetUp() override { modEngine::AsegurarCurvasIniciadas(); }
};

namespace prueba {

inline QString Ruta(const QString &n) { return QDir::tempPath() + u'/' + n; }
inline QStringList Temporales(const QString &p) { return QDir(QDir::tempPath()).entryList({p + u'*'}, QDir::Files); }

// Saves and unloads the bitmap; the path, or "" on failure.
inline QString Guardar(FIBITMAP *b, FREE_IMAGE_FORMAT fif, const QString &nombre, int flags = 0)
{
    modFreeImage::Iniciar();
    const bool ok = b && FreeImage_Save(fif, b, QFile::encodeName(Ruta(nombre)).constData(), flags);
    if (b) FreeImage_Unload(b);
    return ok ? Ruta(nombre) : QString();
}

// Pixels no codec can squeeze much: its files take their full size.
inline uint32_t Ruido(int x, int y) { return (uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) * 2654435761u; }

// Colours are 0x00RRGGBB, y counts from the top.
inline FIBITMAP *Color24(int w, int h, const std::function<uint32_t(int, int)> &f)
{
    FIBITMAP *b = FreeImage_Allocate(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k) FreeImage_GetScanLine(b, h - 1 - y)[3 * x + k] = BYTE(f(x, y) >> (8 * k));
    return b;
}
inline FIBITMAP *Gris16(int w, int h)
{
    FIBITMAP *b = FreeImage_AllocateT(FIT_UINT16, w, h, 16);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) reinterpret_cast<uint16_t *>(FreeImage_GetScanLine(b, y))[x] = uint16_t(x * 131 + y * 7);
    return b;
}
template <class B> uint32_t Pixel(const B &px, int32_t alto, int32_t paso, int x, int y)
{
    const size_t i = size_t(alto - 1 - y) * paso + 3 * x;
    return uint32_t(px.at(i + 2)) << 16 | uint32_t(px.at(i + 1)) << 8 | px.at(i);
}
// A scan set straight into the engine; alignment bytes that are not zero.
inline void FijarEscaneo(int w, int h, const std::function<uint32_t(int, int)> &f)
{
    using namespace modImage;
    AnchoEscaneo = w, AltoEscaneo = h, PasoEscaneo = int32_t(PasoDeAncho(w)), HayEscaneo = true;
    const auto bgr = [&](int x, int y, uint8_t *p) { const uint32_t c = f(x, y); p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16); };
    PixelesEscaneo = Buffer(w, h, bgr, 0xEE);
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

} // namespace prueba
