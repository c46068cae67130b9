#!/usr/bin/env bash
# Builds Melvora (installing missing packages first) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -G Ninja -DMELVORA_BUILD_TESTS=OFF
cmake --build build --target melvora
exec build/app/melvora "$@"
