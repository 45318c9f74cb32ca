// The pixel loops' thread pool. Progress reports run the event loop, so a
// handler may start another loop while the pool works for the first: that
// one must finish on the calling thread, and both give the one-thread result.

#include "support/imagen.h"

using namespace modImage;

namespace {
// Applies the curve to a second image from inside the first reports.
struct Anidado : ProgresoGrabado {
    std::function<void()> dentro;
    int veces = 0;
    void PonerProgreso(int p) override
    {
        ProgresoGrabado::PonerProgreso(p);
        if (veces++ < 3) dentro();
    }
};
} // namespace

TEST_F(Motor, UnBucleDentroDeOtroTerminaEnElHiloQueLoLlama)
{
    const int w = 1201, h = 1000, paso = int(PasoDeAncho(w)); // threaded: over a megapixel
    const Pixeles a = Aleatorio(w, h, 5), b = Aleatorio(w, h, 6);
    const Instantanea c = Curva([](int v) { return 255 - v; }, [](int v) { return v / 3; }, [](int v) { return v ^ 0x55; },
                                false, true);
    auto aplicar = [&](const Pixeles &o, Pixeles &d, int16_t techo) {
        AplicarCurvaBuffer(c, o.data(), d.data(), w, h, paso, true, techo);
    };
    Pixeles esperadoA(a.size(), 0), esperadoB(b.size(), 0), dA(a.size(), 0), dB(b.size(), 0);
    FijarHilosImagen(1);
    aplicar(a, esperadoA, 0);
    aplicar(b, esperadoB, 0);
    FijarHilosImagen(0);

    Anidado prog;
    prog.dentro = [&] {
        std::fill(dB.begin(), dB.end(), 0);
        aplicar(b, dB, 0);
        EXPECT_EQ(dB, esperadoB);
    };
    aplicar(a, dA, 70);
    EXPECT_EQ(dA, esperadoA);
    EXPECT_EQ(prog.veces, (h + 63) / 64); // every report, in order, none lost
    EXPECT_EQ(prog.informes.back(), (QPair<int, QString>{70 * 960 / h, QStringLiteral("Aplicando curva...")}));
}
