#!/usr/bin/env bash
# Builds the fuzz targets (tests/*/fuzz/*_fuzzer.cpp) with clang and libFuzzer,
# the program's libraries instrumented for coverage and the sanitizers, and
# runs each for a while from its seeds (tests/*/fuzz/semillas) and the corpus
# it grew before (build/fuzz/corpus/<target>); inputs that fail land in
# build/fuzz/artefactos/.
#   scripts/fuzz.sh [seconds per target] [target...]
# The test build links the same targets as plain programs that run the seeds.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
clang="$(command -v clang++ || command -v clang++-14 || true)"
if [ -z "$clang" ]; then
  echo "clang++ is not installed: the fuzzer needs it (apt-get install clang)." >&2
  exit 1
fi
segundos="${1:-60}"
shift || true
build="$here/build/fuzz"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$clang" \
      -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" -DHALVORA_SANITIZE=ON -DHALVORA_LIBFUZZER=ON \
      -DHALVORA_TESTS=ON -DHALVORA_BENCH=OFF >/dev/null
objetivos=("$@")
if [ ${#objetivos[@]} -eq 0 ]; then
  for f in "$here"/tests/*/fuzz/*_fuzzer.cpp; do objetivos+=("$(basename "$f" .cpp)"); done
fi
cmake --build "$build" --target "${objetivos[@]}"
for o in "${objetivos[@]}"; do
  semillas="$(dirname "$(ls "$here"/tests/*/fuzz/"$o".cpp)")/semillas"
  mkdir -p "$build/corpus/$o" "$build/artefactos"
  echo "== $o: $segundos s"
  QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$here/tests/lsan.supp" \
    "$build/tests/$o" -max_len=65536 -rss_limit_mb=2048 -max_total_time="$segundos" -print_final_stats=1 \
    -artifact_prefix="$build/artefactos/$o-" \
    "$build/corpus/$o" "$semillas"
done
