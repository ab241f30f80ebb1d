#!/usr/bin/env bash
# The full soak: an hour of play time (180,000 frames) of random input, game after game, with
# --driver null under ASan + UBSan. Prints the per-minute list sizes and memory; exits non-zero on a
# sanitizer report, a leak, a list that outlives its actors or memory that grows.
# Usage: scripts/soak.sh [FRAMES]   (default 180000; the test suite plays 9000)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
frames="${1:-180000}"
build="$root/build-sanitize"  # the same sanitizer build as test.sh

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSTOMP_SANITIZE=ON -DSTOMP_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target stomp-headless soak_test

# A small quarantine: freed memory that ASan holds back would otherwise read as growth for the
# first minutes of the memory samples.
export ASAN_OPTIONS="detect_leaks=1:quarantine_size_mb=16"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
STOMP_SOAK_FRAMES="$frames" "$build/tests/soak_test"
