#!/usr/bin/env bash
# Builds Melvora with its tests and benchmarks (installing missing packages first)
# and runs every test headless. Ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh --tests
cmake -S . -B build-tests -G Ninja -DMELVORA_BUILD_TESTS=ON -DMELVORA_BUILD_BENCH=ON
cmake --build build-tests
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-tests --output-on-failure -j2
