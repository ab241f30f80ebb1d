#!/usr/bin/env bash
# Installs what is missing, checks the format, builds everything with warnings as errors and runs
# the whole test suite and the install scenarios with the package checks
# (tests/install_scenarios.sh), then the suite again under AddressSanitizer +
# UndefinedBehaviorSanitizer, then a short run of every fuzz target and of random keys against the
# desktop window, then clang-tidy. STOMP_QUICK=1 stops after the install scenarios.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
jobs=$(nproc)
bash "$root/scripts/deps.sh" test

run_suite() {  # build dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 300
}

bash "$root/scripts/format.sh"
run_suite "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTOMP_WERROR=ON
bash "$root/tests/install_scenarios.sh" "$root/build"
[ "${STOMP_QUICK:-0}" = 1 ] && exit 0
run_suite "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DSTOMP_SANITIZE=ON -DSTOMP_BENCH=OFF \
  -DSTOMP_WERROR=ON
bash "$root/scripts/fuzz.sh" 12
bash "$root/scripts/xvfb_random_input.sh" 15 "$root/build/stomp"
bash "$root/scripts/tidy.sh" "$root/build"
