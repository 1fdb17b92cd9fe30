#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Quelto needs to build, test and run. Idempotent:
# does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev libqt6svg6 libicu-dev libboost-dev
    libbenchmark-dev
    libxcb1-dev libxcb-keysyms1-dev libxcb-shape0-dev libxkbcommon-dev libxkbcommon-x11-dev x11proto-dev
    xkb-data x11-xkb-utils xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core openbox trayer clang-format
    libssl-dev appstream desktop-file-utils dbus python3-dbus python3-gi at-spi2-core python3-pyatspi
    xwayland qt6-wayland
    kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde qtwayland5 plasma-wayland-protocols
    libwayland-dev
)
if [ "${QUELTO_FUZZ_DEPS:-0}" = 1 ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
