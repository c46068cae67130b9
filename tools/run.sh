#!/usr/bin/env bash
# Builds Melvora (installing missing packages first) and starts it. The build
# is everything `cmake --install build` installs; the program starts in the
# folder this was called from, so the names given are taken from there.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
(
  cd "$repo"
  tools/setup.sh
  cmake -S . -B build -G Ninja -DMELVORA_BUILD_TESTS=OFF
  cmake --build build
) >&2
exec "$repo/build/app/melvora" "$@"
