#!/usr/bin/env bash
# Installs what is missing, builds the test configuration with the address and
# undefined-behaviour sanitizers, sets up the local print queue, and runs
# every test on Qt's offscreen platform.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/deps.sh"
# The printing tests print through a local CUPS queue; without root or sudo
# they say so and skip.
if [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null; then
  bash "$here/scripts/cups.sh" >/dev/null
else
  echo "test.sh: no root or sudo, the print-queue tests will be skipped" >&2
fi
build="$here/build/test"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORA_SANITIZE=ON -DHALVORA_WERROR=ON \
      -DHALVORA_TESTS=ON -DHALVORA_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
