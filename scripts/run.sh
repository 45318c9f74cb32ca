#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/deps.sh"
build="$here/build/release"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVORA_TESTS=OFF -DHALVORA_BENCH=OFF >/dev/null
cmake --build "$build" --target halvora
exec "$build/halvora" "$@"
