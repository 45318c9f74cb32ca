#!/usr/bin/env bash
# Builds the libFuzzer harness of the ACV and AMP readers with clang (when it
# is installed) and runs it for a while: scripts/fuzz.sh [seconds]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
clang="$(command -v clang++ || command -v clang++-14 || true)"
if [ -z "$clang" ]; then
  echo "clang++ is not installed: the fuzzer needs it (apt-get install clang)." >&2
  exit 1
fi
out="$here/build/fuzz"
mkdir -p "$out/corpus"
cd "$here"
"$clang" -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
  -I. -Itests/curves $(pkg-config --cflags Qt6Widgets) \
  tests/curves/fuzz/acv_amp_fuzzer.cpp curves/*.cpp \
  platform/numbers.cpp platform/msgbox.cpp platform/files.cpp \
  $(pkg-config --libs Qt6Widgets) -o "$out/acv_amp_fuzzer"
QT_QPA_PLATFORM=offscreen "$out/acv_amp_fuzzer" -max_len=4096 -max_total_time="${1:-60}" "$out/corpus"
