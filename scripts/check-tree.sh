#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Keeps the repository clean: no large or binary package files tracked, and every
# C++ file formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."

max_bytes=$((500 * 1024))
status=0
while IFS= read -r -d '' file; do
    [ -f "$file" ] || continue
    size=$(stat -c %s "$file")
    if [ "$size" -gt "$max_bytes" ]; then
        echo "Tracked file over 500 KB: $file ($size bytes)" >&2
        status=1
    fi
    case "$file" in
    *.deb | *.rpm | *.apk | *.AppImage | *.flatpak | *.snap | *.whl | *.jar | *.tar | *.tar.* | \
        *.tgz | *.zip | *.7z | *.so | *.so.* | *.a | *.o)
        echo "Binary package or build output tracked: $file" >&2
        status=1
        ;;
    esac
done < <(git ls-files -z)

mapfile -d '' sources < <(git ls-files -z -- '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
    echo "Run clang-format -i on the files above." >&2
    status=1
fi
exit $status
