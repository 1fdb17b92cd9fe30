#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package (build-package/quelto_*.deb) and checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if ! dpkg-query -W -f='${Status}' lintian 2>/dev/null | grep -q 'install ok installed'; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends lintian
fi
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DQUELTO_BENCH=OFF
cmake --build build-package --parallel
(cd build-package && cpack -G DEB)
deb=$(ls build-package/quelto_*.deb)
lintian --fail-on error "$deb"
echo "Built and checked: $deb"
