#!/usr/bin/env bash
# Installs what is missing, builds the test configuration with the address and
# undefined-behaviour sanitizers, sets up the tests' own print queues, runs
# every test on Qt's offscreen platform, and checks that the machine's own
# printing is as it was before.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/deps.sh"

# What the machine's users rely on: the system-wide cups-pdf configuration,
# the system lpoptions, every queue that is not the tests' own (its device,
# options and PPD; not its state, which printing changes) and the default
# printer.
impresion_del_sistema() {
  sha256sum /etc/cups/cups-pdf.conf /etc/cups/lpoptions 2>&1 || true
  lpstat -d 2>&1 || true
  { lpstat -v 2>/dev/null || true; } | sed -n 's/^device for \([^:]*\): .*/\1/p' | { grep -v '^halvora-' || true; } | sort |
  while read -r q; do
    lpstat -v "$q" 2>&1
    lpoptions -p "$q" 2>&1 | tr ' ' '\n' |
      grep -Ev '^(printer-state|printer-state-change-time|printer-state-reasons|marker-change-time)=' | tr '\n' ' '
    echo
    sha256sum "/etc/cups/ppd/$q.ppd" 2>&1 || true
  done
}

# The printing tests print through local CUPS queues; without root or sudo
# they say so and skip. The machine's printing is read once its print server
# runs (on a fresh machine nothing has started it yet) and before the tests'
# queues are set up.
if [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null; then
  bash "$here/scripts/cups.sh" --servidores
  antes="$(impresion_del_sistema)"
  bash "$here/scripts/cups.sh" >/dev/null
else
  antes="$(impresion_del_sistema)"
  echo "test.sh: no root or sudo, the print-queue tests will be skipped" >&2
fi
build="$here/build/test"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORA_SANITIZE=ON -DHALVORA_WERROR=ON \
      -DHALVORA_TESTS=ON -DHALVORA_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
rc=0
(cd "$build" && ctest --output-on-failure -j "$(nproc)" "$@") || rc=$?

despues="$(impresion_del_sistema)"
if [ "$antes" != "$despues" ]; then
  # The tests print only through their own queues (halvora-*), which are
  # left out of the comparison: the change may well be another program's.
  {
    echo "test.sh: the machine's printing changed while the tests ran (ctest exit code $rc)."
    echo "test.sh: the tests touch only their own halvora-* queues; the change may come from another program (a queue added, removed or set up again, another default printer, an edited cups-pdf.conf or lpoptions)."
    echo "test.sh: what changed (- before, + after):"
    diff <(echo "$antes") <(echo "$despues") | sed -n 's/^< /  - /p; s/^> /  + /p' || true
    echo "test.sh: once the machine's printing is as it should be, run again: bash scripts/test.sh $*"
  } >&2
  exit 1
fi
echo "test.sh: the machine's printing (cups-pdf.conf, other queues, default printer) is as it was"
exit "$rc"
