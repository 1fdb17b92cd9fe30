#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test.
# QUELTO_SANITIZE=1 builds and tests under AddressSanitizer + UBSan instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

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
ctest --test-dir "$build" --output-on-failure --timeout 300
