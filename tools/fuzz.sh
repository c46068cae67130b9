#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer,
# libFuzzer) in build-fuzz/ and runs each for the given time (default 300 s).
#   tools/fuzz.sh [seconds] [target ...]   targets: reader roundtrip mp3 (default all)
# New inputs collect in build-fuzz/corpus/<target>/, the committed seeds in
# tests/fuzz/corpus/ are read only. A crash, leak or failed check is kept in
# build-fuzz/crashes/ (reproduce: build-fuzz/tests/fuzz/fuzz_<target> FILE);
# add it to tests/fuzz/corpus/ with the fix. Exits non-zero when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-300}"
shift || true
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(reader roundtrip mp3)

tools/setup.sh --tests
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DMELVORA_FUZZ=ON \
  -DMELVORA_BUILD_TESTS=OFF -DMELVORA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_playlist_reader fuzz_playlist_roundtrip fuzz_mp3_decoder

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:-}"
mkdir -p build-fuzz/crashes
found=0
for t in "${targets[@]}"; do
  case "$t" in
    reader)    exe=fuzz_playlist_reader;    seeds=tests/fuzz/corpus/playlist; extra=(-dict=tests/fuzz/playlist.dict) ;;
    roundtrip) exe=fuzz_playlist_roundtrip; seeds=tests/fuzz/corpus/playlist; extra=(-dict=tests/fuzz/playlist.dict) ;;
    mp3)       exe=fuzz_mp3_decoder;        seeds=tests/fuzz/corpus/mp3; extra=(-max_len=32768) ;;
    *) echo "unknown target: $t (reader, roundtrip, mp3)" >&2; exit 2 ;;
  esac
  mkdir -p "build-fuzz/corpus/$t"
  log="build-fuzz/$t.log"
  echo "== $exe for ${seconds} s (log: $log)"
  if ! "build-fuzz/tests/fuzz/$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$t-" "${extra[@]}" \
      "build-fuzz/corpus/$t" "$seeds" >"$log" 2>&1; then
    found=1
    echo "   FOUND: $(grep -m1 -E 'ERROR|SUMMARY|deadly signal' "$log" || echo 'see the log')"
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$log" | sed 's/^/   /' || true
done
ls build-fuzz/crashes/ 2>/dev/null | sed 's/^/   kept: build-fuzz\/crashes\//'
exit "$found"
