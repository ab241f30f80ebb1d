#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan + UBSan) into build-fuzz and runs each one
# for a bounded time from its seed corpus. Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# (default 12 s each; scripts/fuzz.sh 600 for a long campaign). Exits non-zero on any finding;
# the crashing input is left in build-fuzz/findings/<target>/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-12}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(level stats font png input_script)
build="$root/build-fuzz"

mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTOMP_FUZZ=ON \
  -DSTOMP_SANITIZE=ON -DSTOMP_TESTS=OFF -DSTOMP_BENCH=OFF >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

# fsync on a RAM disk costs nothing, so the saving target runs at full speed.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for target in "${targets[@]}"; do
  exe="$(find "$build" -name "fuzz_$target" -type f -perm -u+x | head -n 1)"
  # Seeds stay untouched in the repo; what the run learns goes to a working corpus beside the build.
  work="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$work" "$findings"
  echo "== fuzz_$target for ${seconds}s"
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$findings/" \
      "$work" "$root/tests/fuzz/corpus/$target" >"$build/fuzz_$target.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/fuzz_$target.log" | tr '\n' ' '
    echo "corpus $(ls "$work" | wc -l) inputs: ok"
  else
    tail -n 40 "$build/fuzz_$target.log"
    echo "fuzz_$target: FINDING (see $build/fuzz_$target.log and $findings/)"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${#failed[@]} of ${#targets[@]} targets found faults: ${failed[*]}"
  exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran ${seconds}s each without a finding"
