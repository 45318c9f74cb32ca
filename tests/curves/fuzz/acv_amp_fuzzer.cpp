// Fuzz target for the ACV and AMP readers. The first byte chooses the reader
// and seeds the curve state; the rest is the file. Built with every test
// build and run over semillas/; scripts/fuzz.sh runs it under libFuzzer.

#include "fuzz/arnes_curvas.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    arnes::InstalarCajas();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    const bool amp = (data[0] & 1) != 0;
    std::mt19937 rng(data[0]);
    arnes::PrepararEstado(rng);
    const std::string fallo =
        arnes::Probar(QByteArray(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1)), amp);
    if (!fallo.empty()) {
        std::fprintf(stderr, "%s reader: %s\n", amp ? "AMP" : "ACV", fallo.c_str());
        std::abort();
    }
    return 0;
}
