#include "app/estilo.h"
#include "platform/colorref.h"

#include <gtest/gtest.h>

namespace {

QColor C(uint32_t ref) { return ColorRef::AQColor(ref); }

} // namespace

TEST(Estilo, ContrasteDeReferencia)
{
    EXPECT_DOUBLE_EQ(Estilo::Contraste(Qt::white, Qt::black), 21.0);
    EXPECT_DOUBLE_EQ(Estilo::Contraste(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(Estilo::Contraste(C(0x202020), C(0x202020)), 1.0);
    // The design's light text on its window: about 12.3 to 1.
    EXPECT_NEAR(Estilo::Contraste(C(Estilo::TextoClaro), C(Estilo::FondoOscuro)), 12.35, 0.01);
}

TEST(Estilo, ColoresDelDisenoLegibles)
{
    // Colours that read on their background are kept as designed; the others
    // move towards white on dark and towards black on light, just enough.
    const struct {
        const char *caso;
        uint32_t texto, fondo;
        bool igual;
    } casos[] = {
        {"captions 909090 on the window", 0x909090, 0x202020, true},
        {"green channel on its frame", 0x40C040, 0x303030, true},
        {"button text", 0x000000, Estilo::FondoBoton, true},
        {"coordinates 707070 on the window", 0x707070, 0x202020, false},
        {"red channel on its frame", 0x4040FF, 0x303030, false},
        {"blue channel on its frame", 0xC04040, 0x303030, false},
        {"light grey on white", 0xC0C0C0, 0xFFFFFF, false},
    };
    for (const auto &c : casos) {
        const QColor t = C(c.texto), f = C(c.fondo), r = Estilo::Legible(t, f);
        EXPECT_GE(Estilo::Contraste(r, f), Estilo::ContrasteMinimo) << c.caso;
        EXPECT_EQ(r == t, c.igual) << c.caso << " " << r.name().toStdString();
        if (c.igual) continue;
        const bool aclara = f.lightnessF() < 0.5;
        for (int k : {0, 1, 2}) {
            const int antes = k == 0 ? t.red() : (k == 1 ? t.green() : t.blue());
            const int despues = k == 0 ? r.red() : (k == 1 ? r.green() : r.blue());
            EXPECT_TRUE(aclara ? despues >= antes : despues <= antes) << c.caso;
        }
        // Just enough, not all the way to white or black.
        EXPECT_LT(Estilo::Contraste(r, f), Estilo::ContrasteMinimo + 0.3) << c.caso;
    }
}
