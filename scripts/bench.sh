#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds in release mode and runs every benchmark under bench/, printing the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-release --parallel
for b in build-release/bench/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    QT_QPA_PLATFORM=offscreen "$b" --benchmark_counters_tabular=true
done
echo "== start-up"
bench/startup.sh build-release/src/app/quelto
echo "== typing lost to a crash"
bench/crashloss.sh build-release/src/app/quelto "${CRASHLOSS_RUNS:-5}"
