#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Keeps the repository clean: no large or binary package files tracked, every C++
# file formatted as .clang-format says, and the tests within their budget.
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
# Tests stay at most 40 % of the code they test: non-blank lines of tests/ (helpers,
# services and case tables included; kept fuzz inputs, which a fuzzer wrote, are not)
# against those of src/.
count() { git ls-files -z -- "$@" | xargs -0 cat | grep -cv '^[[:space:]]*$' || true; }
code=$(count 'src/*.cpp' 'src/*.h')
tests=$(count 'tests/*.cpp' 'tests/*.h' 'tests/*.c' 'tests/*.py' 'tests/*.sh' 'tests/*.tsv' 'tests/*.txt' \
    ':!tests/*CMakeLists.txt')
echo "Test lines: $tests against $code lines of code ($((100 * tests / code)) %, at most 40 %)"
if [ $((100 * tests)) -gt $((40 * code)) ]; then
    echo "Tests are over their budget: find what a new test makes redundant." >&2
    status=1
fi
exit $status
