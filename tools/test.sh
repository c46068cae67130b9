#!/usr/bin/env bash
# Builds Melvora with its tests and benchmarks (installing missing packages first)
# and runs every test headless. Then a checked build (clang with AddressSanitizer,
# UndefinedBehaviorSanitizer and leak detection) runs the model, playlist file,
# workflow and player-component tests again and each fuzz target for a short
# while; any sanitizer report fails. Ends with CTest's summaries.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh --tests
cmake -S . -B build-tests -G Ninja -DMELVORA_BUILD_TESTS=ON -DMELVORA_BUILD_BENCH=ON
cmake --build build-tests
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-tests --output-on-failure -j2

checked=(model_tests playlist_io_tests playlist_travel_tests platform_files_tests platform_file_copy_tests playlist_export_tests long_work_tests list_workflow_tests lossless_lists_tests player_component_tests)
# The entry check and melvora --check; the folder walk and the volume rule.
checked+=(entry_check_tests check_command_tests folder_walk_tests volumes_tests ring_output_tests)
fuzzers=(fuzz_playlist_reader fuzz_playlist_roundtrip fuzz_mp3_decoder)
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DMELVORA_FUZZ=ON \
  -DMELVORA_BUILD_TESTS=ON -DMELVORA_BUILD_BENCH=OFF
cmake --build build-asan --target "${checked[@]}" "${fuzzers[@]}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
pattern="^($(IFS='|'; echo "${checked[*]}"))\$|_short\$"
ctest --test-dir build-asan -R "$pattern" --output-on-failure -j2
