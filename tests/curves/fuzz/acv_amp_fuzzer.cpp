// libFuzzer entry for the ACV and AMP readers (clang only; not in the suite;
// scripts/fuzz.sh builds and runs it).
// The first byte chooses the reader and seeds the curve state. From the root:
//
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
//     -I. -Itests/curves $(pkg-config --cflags Qt6Widgets) \
//     tests/curves/fuzz/acv_amp_fuzzer.cpp curves/*.cpp \
//     platform/numbers.cpp platform/msgbox.cpp platform/files.cpp \
//     $(pkg-config --libs Qt6Widgets) -o acv_amp_fuzzer
//   ./acv_amp_fuzzer -max_len=4096 corpus/

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
