// The pixel loops' thread pool. Progress reports run the event loop, so a
// handler may start another loop while the pool works for the first: that
// one must finish on the calling thread, and both give the one-thread result.

#include "ayuda_imagen.h"

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
    Tablas([](int v) { return 255 - v; }, [](int v) { return v / 3; }, [](int v) { return v ^ 0x55; });
    InvertirHorizontal = true;
    Pixeles esperadoA(a.size(), 0), esperadoB(b.size(), 0), dA(a.size(), 0), dB(b.size(), 0);
    FijarHilosImagen(1);
    AplicarCurvaBuffer(a, esperadoA, w, h, paso, true, 0);
    AplicarCurvaBuffer(b, esperadoB, w, h, paso, true, 0);
    FijarHilosImagen(0);

    Anidado prog;
    prog.dentro = [&] {
        std::fill(dB.begin(), dB.end(), 0);
        AplicarCurvaBuffer(b, dB, w, h, paso, true, 0);
        EXPECT_EQ(dB, esperadoB);
    };
    AplicarCurvaBuffer(a, dA, w, h, paso, true, 70);
    EXPECT_EQ(dA, esperadoA);
    EXPECT_EQ(prog.veces, (h + 63) / 64); // every report, in order, none lost
    EXPECT_EQ(prog.informes.back(), (QPair<int, QString>{70 * 960 / h, QStringLiteral("Aplicando curva...")}));
}
