#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (when it is installed) and runs
# them for a while: the ACV and AMP readers, then the image loader.
#   scripts/fuzz.sh [seconds per harness] [curvas|imagen]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
clang="$(command -v clang++ || command -v clang++-14 || true)"
if [ -z "$clang" ]; then
  echo "clang++ is not installed: the fuzzer needs it (apt-get install clang)." >&2
  exit 1
fi
segundos="${1:-60}"
solo="${2:-}"
out="$here/build/fuzz"
cd "$here"
flags=(-std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I.)
qt_cflags=$(pkg-config --cflags Qt6Widgets)
qt_libs=$(pkg-config --libs Qt6Widgets)

if [ -z "$solo" ] || [ "$solo" = curvas ]; then
  mkdir -p "$out/corpus"
  # shellcheck disable=SC2086
  "$clang" "${flags[@]}" -Itests/curves $qt_cflags \
    tests/curves/fuzz/acv_amp_fuzzer.cpp curves/*.cpp \
    platform/numbers.cpp platform/msgbox.cpp platform/files.cpp platform/progress.cpp \
    $qt_libs -o "$out/acv_amp_fuzzer"
  QT_QPA_PLATFORM=offscreen "$out/acv_amp_fuzzer" -max_len=4096 -max_total_time="$segundos" "$out/corpus"
fi

if [ -z "$solo" ] || [ "$solo" = imagen ]; then
  mkdir -p "$out/corpus_imagen"
  # Seeds: one small image of every admitted format, made by the library.
  if [ -z "$(ls -A "$out/corpus_imagen")" ]; then
    cat > "$out/semillas.cpp" <<'CPP'
#include <FreeImage.h>
#include <string>
int main(int, char **argv)
{
    const FREE_IMAGE_FORMAT f[] = {FIF_PNG, FIF_JPEG, FIF_TIFF, FIF_BMP, FIF_GIF, FIF_WEBP};
    const char nombre[] = {0, 1, 2, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        FIBITMAP *b = FreeImage_Allocate(7, 5, f[i] == FIF_GIF ? 8 : 24);
        for (unsigned y = 0; y < 5; ++y)
            for (unsigned x = 0; x < (f[i] == FIF_GIF ? 7u : 21u); ++x) FreeImage_GetScanLine(b, y)[x] = (unsigned char)(x * 37 + y * 11);
        const std::string tmp = std::string(argv[1]) + "/tmp";
        FreeImage_Save(f[i], b, tmp.c_str(), 0);
        FreeImage_Unload(b);
        FILE *in = std::fopen(tmp.c_str(), "rb");
        const std::string sal = std::string(argv[1]) + "/semilla" + std::to_string(i);
        FILE *out = std::fopen(sal.c_str(), "wb");
        std::fputc(nombre[i], out);
        for (int c; (c = std::fgetc(in)) != EOF;) std::fputc(c, out);
        std::fclose(in);
        std::fclose(out);
        std::remove(tmp.c_str());
    }
}
CPP
    "$clang" -O1 "$out/semillas.cpp" -lfreeimage -o "$out/semillas"
    "$out/semillas" "$out/corpus_imagen"
  fi
  # shellcheck disable=SC2086
  "$clang" "${flags[@]}" $qt_cflags \
    tests/imaging/fuzz/imagen_fuzzer.cpp imaging/apertura.cpp imaging/freeimage_io.cpp imaging/fitrect.cpp \
    imaging/perfilicc.cpp platform/files.cpp platform/memoria.cpp platform/msgbox.cpp platform/numbers.cpp \
    platform/progress.cpp \
    $qt_libs -lfreeimage -o "$out/imagen_fuzzer"
  QT_QPA_PLATFORM=offscreen "$out/imagen_fuzzer" -max_len=65536 -rss_limit_mb=2048 -max_total_time="$segundos" \
    "$out/corpus_imagen"
fi
