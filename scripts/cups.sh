#!/usr/bin/env bash
# Makes the local CUPS print queue "PDF" (cups-pdf) that the printing tests
# print through: starts cupsd when it is not running (no systemd needed),
# adds the queue when missing, makes it the default, and has cups-pdf write
# every job to $HALVORA_PDF_OUT as job_<id>-<title>.pdf. Needs root (or
# passwordless sudo); safe to run again and from several processes at once.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if sudo -n true 2>/dev/null; then SUDO="sudo -n"; else
    echo "cups.sh: needs root or passwordless sudo to run a print queue" >&2
    exit 2
  fi
fi

out="${HALVORA_PDF_OUT:-/var/spool/cups-pdf/halvora}"
conf=/etc/cups/cups-pdf.conf
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] || { echo "cups.sh: $ppd is missing (scripts/deps.sh installs printer-driver-cups-pdf)" >&2; exit 1; }

# One process at a time sets things up.
exec 9>/tmp/halvora-cups.lock
flock 9

# cups-pdf: a fixed output folder readable by everyone, the job id in every
# file name (tests run in parallel), the job's title after it.
want="Out $out
AnonDirName $out
Label 2
TitlePref 1
UserUMask 0000
AnonUMask 0000"
if ! grep -qx "# halvora" "$conf" 2>/dev/null; then
  $SUDO sed -i -E '/^(Out|AnonDirName|Label|TitlePref|UserUMask|AnonUMask)[[:space:]]/d' "$conf"
  printf '# halvora\n%s\n' "$want" | $SUDO tee -a "$conf" >/dev/null
fi
$SUDO mkdir -p "$out"
$SUDO chmod 1777 "$out"

if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  $SUDO mkdir -p /run/cups
  $SUDO cupsd
  for _ in $(seq 1 100); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.1
  done
fi
lpstat -r | grep -q "is running" || { echo "cups.sh: cupsd did not start" >&2; exit 1; }

if ! lpstat -v PDF >/dev/null 2>&1; then
  $SUDO lpadmin -p PDF -E -v cups-pdf:/ -P "$ppd" 2>/dev/null
fi
$SUDO cupsenable PDF
$SUDO cupsaccept PDF
[ "$(lpstat -d 2>/dev/null)" = "system default destination: PDF" ] || $SUDO lpadmin -d PDF
echo "$out"
