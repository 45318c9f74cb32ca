#!/usr/bin/env bash
# Sets up the two print queues of the project's own that the printing tests
# print through, and nothing else of the machine's printing:
#  - "halvora-pdf": cups-pdf (device cups-pdf:/halvora-pdf) with its own
#    configuration file /etc/cups/cups-pdf-halvora-pdf.conf, writing every
#    job to $HALVORA_PDF_OUT as job_<id>-<title>.pdf;
#  - "halvora-ipp": a driverless queue for an IPP Everywhere printer of our
#    own, ippeveprinter on localhost:$HALVORA_IPP_PORT, which keeps every job
#    it receives (PWG raster) in $HALVORA_IPP_DIR. A printer left running by
#    an earlier run is reused; a dead one is started again.
# The system-wide /etc/cups/cups-pdf.conf, the other queues and the system's
# default printer are never touched. Starts cupsd, the system D-Bus and Avahi
# when they are not running (no systemd needed). Needs root (or passwordless
# sudo); safe to run again and from several processes at once.
#
# With --servidores it only starts the daemons. Otherwise it prints what the
# tests need, one name=value a line:
#   pdf-queue, pdf-dir, ipp-queue, ipp-dir, ipp-uri
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if sudo -n true 2>/dev/null; then SUDO="sudo -n"; else
    echo "cups.sh: needs root or passwordless sudo to run a print queue" >&2
    exit 2
  fi
fi

pdf_queue=halvora-pdf
pdf_out="${HALVORA_PDF_OUT:-/var/spool/cups-pdf/halvora-pdf}"
pdf_conf=/etc/cups/cups-pdf-$pdf_queue.conf
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
ipp_queue=halvora-ipp
ipp_port="${HALVORA_IPP_PORT:-8632}"
ipp_dir="${HALVORA_IPP_DIR:-/var/spool/halvora-ipp}"
ipp_uri="ipp://localhost:$ipp_port/ipp/print"
[ -f "$ppd" ] || { echo "cups.sh: $ppd is missing (scripts/deps.sh installs printer-driver-cups-pdf)" >&2; exit 1; }
command -v ippeveprinter >/dev/null || { echo "cups.sh: ippeveprinter is missing (scripts/deps.sh installs cups-ipp-utils)" >&2; exit 1; }

# One process at a time sets things up.
exec 9>/tmp/halvora-cups.lock
flock 9

# Waits up to ten seconds for a command to succeed.
esperar() {
  for _ in $(seq 1 100); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# The system's D-Bus and Avahi, which the IPP Everywhere printer announces
# itself through.
bus() { dbus-send --system --dest=org.freedesktop.DBus --type=method_call --print-reply / org.freedesktop.DBus.GetId; }
if ! bus >/dev/null 2>&1; then
  $SUDO mkdir -p /run/dbus
  $SUDO rm -f /run/dbus/pid
  $SUDO dbus-daemon --system --fork 9>&-
  esperar bus || { echo "cups.sh: the system D-Bus did not start" >&2; exit 1; }
fi
if ! avahi-daemon --check 2>/dev/null; then
  $SUDO avahi-daemon -D 9>&-
  esperar avahi-daemon --check || { echo "cups.sh: avahi-daemon did not start" >&2; exit 1; }
fi

if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  $SUDO mkdir -p /run/cups
  $SUDO cupsd
  esperar sh -c 'lpstat -r | grep -q "is running"'
fi
lpstat -r | grep -q "is running" || { echo "cups.sh: cupsd did not start" >&2; exit 1; }
# "cups.sh --servidores": the daemons only, so that a caller can read the
# machine's printing as it is before the queues are set up.
[ "${1:-}" = "--servidores" ] && exit 0

# cups-pdf's own instance: a fixed output folder, the job id in every file
# name (tests run in parallel), the job's title after it.
conf="# The print tests' queue $pdf_queue (scripts/cups.sh).
Out $pdf_out
AnonDirName $pdf_out
Label 2
TitlePref 1
UserUMask 0022
AnonUMask 0022"
if [ "$(cat "$pdf_conf" 2>/dev/null)" != "$conf" ]; then
  printf '%s\n' "$conf" | $SUDO tee "$pdf_conf.tmp" >/dev/null
  $SUDO mv "$pdf_conf.tmp" "$pdf_conf"
fi
$SUDO mkdir -p "$pdf_out"
$SUDO chmod 1777 "$pdf_out"
# The jobs of earlier days are no test's any more.
$SUDO find "$pdf_out" -maxdepth 1 -type f -name '*.pdf' -mmin +1440 -delete
if [ "$(lpstat -v "$pdf_queue" 2>/dev/null)" != "device for $pdf_queue: cups-pdf:/$pdf_queue" ]; then
  $SUDO lpadmin -p "$pdf_queue" -E -v "cups-pdf:/$pdf_queue" -P "$ppd"
fi

# The IPP Everywhere printer: reused while it answers, started otherwise.
$SUDO mkdir -p "$ipp_dir/trabajos"
$SUDO chmod 755 "$ipp_dir" "$ipp_dir/trabajos"
vivo() { ipptool -q "$ipp_uri" get-printer-attributes.test; }
if ! vivo >/dev/null 2>&1; then
  pid="$(cat "$ipp_dir/pid" 2>/dev/null || true)"
  if [ -n "$pid" ] && grep -qa ippeveprinter "/proc/$pid/cmdline" 2>/dev/null; then $SUDO kill "$pid" || true; fi
  # It numbers jobs from 1 again: the files of the one before go.
  $SUDO find "$ipp_dir/trabajos" -mindepth 1 -delete
  # PWG raster only, so that CUPS renders every job for it; jobs are
  # "printed" at once and their files kept. Not announced (-r off): the queue
  # reaches it by its address, and an announced printer would appear in every
  # program's printer list on this machine and its network.
  $SUDO setsid ippeveprinter -p "$ipp_port" -n localhost -r off -k -d "$ipp_dir/trabajos" -f image/pwg-raster -c /bin/true \
    -M Halvora -m "Test IPP Everywhere" "$ipp_queue" </dev/null >"$ipp_dir/log" 2>&1 9>&- &
  echo $! | $SUDO tee "$ipp_dir/pid" >/dev/null
  esperar vivo || { echo "cups.sh: ippeveprinter did not start on port $ipp_port (see $ipp_dir/log)" >&2; exit 1; }
fi
if [ "$(lpstat -v "$ipp_queue" 2>/dev/null)" != "device for $ipp_queue: $ipp_uri" ]; then
  $SUDO lpadmin -p "$ipp_queue" -E -v "$ipp_uri" -m everywhere
fi

for q in "$pdf_queue" "$ipp_queue"; do
  $SUDO cupsenable "$q"
  $SUDO cupsaccept "$q"
done
printf 'pdf-queue=%s\npdf-dir=%s\nipp-queue=%s\nipp-dir=%s\nipp-uri=%s\n' \
  "$pdf_queue" "$pdf_out" "$ipp_queue" "$ipp_dir/trabajos" "$ipp_uri"
