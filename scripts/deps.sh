#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Quiet when everything is already present; needs root (or sudo) otherwise.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
  libfreeimage-dev libjpeg-dev liblcms2-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fontconfig
  xdg-utils
  cups cups-client cups-ipp-utils printer-driver-cups-pdf poppler-utils icc-profiles-free liblcms2-2 libcups2-dev
  dbus avahi-daemon
  qt6-translations-l10n
  imagemagick
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
