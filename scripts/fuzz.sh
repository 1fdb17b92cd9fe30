#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS (default 60).
# Inputs that crash are written to fuzz-artifacts/; copy them into
# tests/core/text/fuzz-inputs/ so the regression test replays them.
set -euo pipefail
cd "$(dirname "$0")/.."
QUELTO_FUZZ_DEPS=1 scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUELTO_FUZZ=ON -DQUELTO_BENCH=OFF
cmake --build build-fuzz --parallel --target fuzz_math fuzz_highlighter fuzz_listediting fuzz_storage
mkdir -p fuzz-artifacts
for target in fuzz_math fuzz_highlighter fuzz_listediting fuzz_storage; do
    corpus="build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    echo "== $target"
    "build-fuzz/fuzz/$target" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 \
        -artifact_prefix=fuzz-artifacts/ -print_final_stats=1 "$corpus" tests/core/text/fuzz-inputs
done
