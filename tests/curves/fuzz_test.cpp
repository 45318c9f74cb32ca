// Deterministic mutation run over the ACV and AMP readers: 60,000 damaged,
// truncated and spliced files, each a clean rejection or a sound import.

#include "ayuda_curvas.h"

#include <gtest/gtest.h>

namespace {

std::vector<QByteArray> Semillas(bool amp)
{
    if (amp)
        return {LineaAMP(), LineaAMP(0, ",") + "\r\n" + LineaAMP(3, " ,") + "\r\n\r\n" + LineaAMP(7, "  "),
                "  " + LineaAMP(5, ", ") + " \n" + LineaAMP() + "\n",
                LineaAMP() + "\r" + LineaAMP(2, ",") + "\r" + LineaAMP() + "\r" + LineaAMP(9)};
    QByteArray muchos = U16({4, 6});
    for (int r = 0; r < 6; ++r) {
        muchos += U16({17});
        for (int k = 0; k < 17; ++k) muchos += U16({k * 15, k * 15});
    }
    return {U16({4, 4, 2, 0, 0, 255, 255, 3, 0, 0, 128, 100, 255, 255, 2, 0, 0, 255, 255, 2, 0, 0, 255, 255}),
            U16({1, 1, 3, 0, 0, 300, 128, 255, 255}),
            U16({4, 2, 2, 0, 0, 65535, 65535, 3, 10, 0, 32768, 40000, 65535, 65535}), muchos,
            U16({4, 3, 1, 5, 5, 0, 2, 0, 0, 255, 255})};
}

// A few byte changes, cuts, insertions, splices or 16-bit boundary values.
QByteArray Mutar(std::mt19937 &rng, const std::vector<QByteArray> &semillas, bool amp)
{
    auto U = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    static const char textos[] = "0123456789 ,.-+\r\n\tenaxE";
    static const int bordes[] = {0, 1, 2, 3, 4, 5, 15, 16, 17, 31, 32, 33, 255, 256, 32767, 32768, 65535};
    auto texto = [&] { return textos[U(0, int(sizeof textos) - 2)]; };
    QByteArray d = semillas[U(0, int(semillas.size()) - 1)];
    for (int c = U(1, 4); c > 0; --c) {
        const int pos = d.isEmpty() ? 0 : U(0, int(d.size()) - 1);
        const int op = U(0, 7);
        if (op == 0) d.truncate(U(0, int(d.size())));
        else if (op <= 3 && !d.isEmpty())
            d[pos] = op == 1 ? char(d[pos] ^ (1 << U(0, 7))) : op == 2 ? char(U(0, 255)) : texto();
        else if (op == 4) {
            const int v = bordes[U(0, int(std::size(bordes)) - 1)], p = amp ? pos : (pos & ~1);
            if (p + 1 < d.size()) d[p] = char(v >> 8), d[p + 1] = char(v & 0xFF);
        } else if (op == 5) d.insert(pos, QByteArray(U(1, 8), amp ? texto() : char(U(0, 255))));
        else if (op == 6) d.remove(pos, U(1, 16));
        else if (op == 7) {
            const QByteArray &otra = semillas[U(0, int(semillas.size()) - 1)];
            d = d.left(pos) + otra.mid(U(0, int(otra.size()) - 1));
        }
    }
    return d;
}

void Recorrer(bool amp, uint32_t semilla, int vueltas)
{
    arnes::InstalarCajas();
    std::mt19937 rng(semilla);
    const auto semillas = Semillas(amp);
    int aceptados = 0;
    for (int i = 0; i < vueltas; ++i) {
        arnes::PrepararEstado(rng);
        const QByteArray datos = i % 97 == 0 ? semillas[i % semillas.size()] : Mutar(rng, semillas, amp);
        const std::string fallo = arnes::Probar(datos, amp);
        if (!fallo.empty()) {
            ADD_FAILURE() << "input " << i << " (" << datos.toHex().left(200).constData() << "): " << fallo;
            break;
        }
        aceptados += arnes::vistas.cuenta == 0;
    }
    MsgBox::InstalarResponder({});
    // Both outcomes must be common, or the run proves little.
    EXPECT_GT(aceptados, vueltas / 50);
    EXPECT_LT(aceptados, vueltas - vueltas / 50);
}

} // namespace

TEST(FuzzCurvas, ACVMutados) { Recorrer(false, 20240611u, 30000); }
TEST(FuzzCurvas, AMPMutados) { Recorrer(true, 11062024u, 30000); }
