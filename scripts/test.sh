#!/usr/bin/env bash
# Installs what is missing, builds the test configuration with the address and
# undefined-behaviour sanitizers, and runs every test on Qt's offscreen platform.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/deps.sh"
build="$here/build/test"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORA_SANITIZE=ON -DHALVORA_WERROR=ON \
      -DHALVORA_TESTS=ON -DHALVORA_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
