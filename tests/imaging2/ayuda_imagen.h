#pragma once
// Helpers for the image engine tests: a recording progress window, a sample
// image put straight into the engine's state, and identity tables.

#include "curves/luts.h"
#include "imaging/aplicar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/progress.h"

#include <QList>
#include <QPair>
#include <QString>

#include <cstring>
#include <functional>
#include <random>

// A visible progress window that records every report.
struct ProgresoGrabado : Progreso::Destino {
    ProgresoGrabado() { Progreso::Registrar(this); }
    ~ProgresoGrabado() override { Progreso::Quitar(this); }
    bool EstaVisible() const override { return true; }
    void PonerMensaje(const QString &t) override { mensaje = t; }
    void PonerProgreso(int p) override { informes.append({p, mensaje}); }
    QString mensaje;
    QList<QPair<int, QString>> informes;
};

inline void TablasIdentidad()
{
    for (int v = 0; v < 256; ++v) {
        modEngine::LutR[v] = modEngine::LutG[v] = modEngine::LutB[v] = static_cast<uint8_t>(v);
    }
}

// A buffer in the engine's layout with each pixel from f(x, yTop) -> (b, g, r).
inline modImage::Pixeles HacerBuffer(int ancho, int alto, const std::function<void(int, int, uint8_t *)> &f)
{
    const int64_t paso = modImage::PasoDeAncho(ancho);
    modImage::Pixeles px(static_cast<size_t>(paso * alto), 0);
    for (int y = 0; y < alto; ++y)
        for (int x = 0; x < ancho; ++x) f(x, y, px.data() + (alto - 1 - y) * paso + 3 * x);
    return px;
}

inline modImage::Pixeles BufferAleatorio(int ancho, int alto, unsigned semilla)
{
    std::mt19937 g(semilla);
    modImage::Pixeles px(static_cast<size_t>(modImage::PasoDeAncho(ancho) * alto));
    for (auto &b : px) b = static_cast<uint8_t>(g());
    // Alignment bytes stay zero, as in every buffer the engine makes.
    const int64_t paso = modImage::PasoDeAncho(ancho);
    for (int y = 0; y < alto; ++y)
        for (int64_t i = 3 * ancho; i < paso; ++i) px[static_cast<size_t>(y * paso + i)] = 0;
    return px;
}

// Installs a sample (both buffers) in the engine.
inline void PonerMuestra(int ancho, int alto, const modImage::Pixeles &px)
{
    modImage::HayMuestra = true;
    modImage::AnchoMuestra = ancho;
    modImage::AltoMuestra = alto;
    modImage::PasoMuestra = static_cast<int32_t>(modImage::PasoDeAncho(ancho));
    modImage::PixelesMuestra = px;
    modImage::PixelesMuestraOriginal = px;
}

// The engine as at program start (tests in one process share it).
inline void EstadoInicial()
{
    modImage::HayMuestra = false;
    modImage::AnchoMuestra = modImage::AltoMuestra = modImage::PasoMuestra = 0;
    modImage::PixelesMuestra.clear();
    modImage::PixelesMuestraOriginal.clear();
    modImage::InvertirTonos = modImage::InvertirHorizontal = false;
    modImage::PixelesVista.clear();
    modImage::AnchoVista = modImage::AltoVista = modImage::PasoVista = 0;
    modImage::XVista = modImage::YVista = 0;
    modImage::VersionVista = 0;
    modImage::VistaInvertirTonos = modImage::VistaInvertirHorizontal = 0;
    std::memset(modImage::HistMuestra, 0, sizeof(modImage::HistMuestra));
    modEngine::VersionCurva = 0;
    modImage::FijarHilosImagen(0);
    modImage::FijarRutaEscalar(false);
    TablasIdentidad();
}
