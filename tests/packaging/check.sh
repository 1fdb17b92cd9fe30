#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What desktops and distributions read is valid, everything installs where it should,
# and the command line works without any display.
# Usage: check.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
binary="$build/src/app/quelto"

desktop-file-validate "$source/data/app.quelto.Quelto.desktop"
appstreamcli validate --strict --no-net "$build/app.quelto.Quelto.metainfo.xml"

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
for file in bin/quelto share/man/man1/quelto.1.gz share/applications/app.quelto.Quelto.desktop \
    share/metainfo/app.quelto.Quelto.metainfo.xml \
    share/icons/hicolor/scalable/apps/app.quelto.Quelto.svg \
    share/icons/hicolor/symbolic/apps/app.quelto.Quelto-symbolic.svg \
    share/doc/quelto/copyright share/doc/quelto/changelog.gz; do
    [ -f "$dest/usr/$file" ] || { echo "not installed: /usr/$file" >&2; exit 1; }
done

headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$binary" "$@"; }
headless --version | grep -qx "Quelto [0-9.]*"
headless --help | grep -q -- "--toggle"
for bad in --bogus stray; do
    status=0
    headless "$bad" 2>"$dest/err" || status=$?
    [ "$status" = 2 ] || { echo "quelto $bad exited $status, not 2" >&2; exit 1; }
    [ "$(wc -l < "$dest/err")" = 1 ] || { echo "quelto $bad: not one line on stderr" >&2; exit 1; }
done
echo "packaging checks passed"
