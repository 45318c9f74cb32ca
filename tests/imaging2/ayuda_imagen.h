#pragma once
// A recording progress window, buffers in the engine's layout, and the engine
// reset to its start (tests in one process share it).

#include "curves/curvas.h"
#include "imaging/aplicar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/progress.h"
#include "support/estado.h"

#include <gtest/gtest.h>

#include <QList>
#include <QPair>
#include <cstring>
#include <functional>
#include <random>

using Informes = QList<QPair<int, QString>>;
struct ProgresoGrabado : Progreso::Destino {
    ProgresoGrabado() { Progreso::Registrar(this); }
    ~ProgresoGrabado() override { Progreso::Quitar(this); }
    bool EstaVisible() const override { return true; }
    void PonerMensaje(const QString &t) override { mensaje = t; }
    void PonerProgreso(int p) override { informes.append({p, mensaje}); }
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
inline int Igual(int v) { return v; }

// f(x, yFromTop, pixel) writes blue, green, red; alignment bytes stay zero.
inline modImage::Pixeles Buffer(int w, int h, const std::function<void(int, int, uint8_t *)> &f)
{
    const int64_t paso = modImage::PasoDeAncho(w);
    modImage::Pixeles px(size_t(paso * h), 0);
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

class Motor : public ::testing::Test {
protected:
    void SetUp() override { Reiniciar(); }
    void TearDown() override { Reiniciar(); }
    static void Reiniciar()
    {
        ReiniciarEstadoProceso();
        modImage::FijarHilosImagen(0), modImage::FijarRutaEscalar(false);
    }
};
