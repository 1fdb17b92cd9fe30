#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, checks the repository's hygiene, builds with warnings as
# errors, and runs every test. QUELTO_SANITIZE=1 builds and tests under
# AddressSanitizer + UBSan instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-tree.sh

build=build
opts=(-DQUELTO_WERROR=ON)
if [ "${QUELTO_SANITIZE:-0}" = 1 ]; then
    build=build-asan
    opts+=(-DQUELTO_SANITIZE=ON)
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${opts[@]}"
cmake --build "$build" --parallel

# The tests get a temporary folder of their own, which they must leave empty.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/tmp" "$scratch/runtime"
TMPDIR="$scratch/tmp" XDG_RUNTIME_DIR="$scratch/runtime" \
    ctest --test-dir "$build" --output-on-failure --timeout 300
left=$(find "$scratch/tmp" -mindepth 1 -maxdepth 1)
if [ -n "$left" ]; then
    echo "Tests left files in TMPDIR:" >&2
    echo "$left" >&2
    exit 1
fi
