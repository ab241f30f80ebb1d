#!/usr/bin/env bash
# Runs clang-tidy with the checks in .clang-tidy over every C++ file a build compiles, and fails
# when it reports anything. Usage: scripts/tidy.sh [BUILD_DIR] (default build/; the build must
# have been configured, for its compile_commands.json). STOMP_TIDY_JOBS sets the parallel runs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
jobs=${STOMP_TIDY_JOBS:-$(nproc)}
database="$build/compile_commands.json"
[ -f "$database" ] || { echo "tidy: no $database; configure the build first" >&2; exit 2; }

mapfile -t files < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" | sort -u)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\n' "${files[@]}" |
  xargs -P "$jobs" -n 2 clang-tidy -p "$build" --quiet >"$log" 2>&1 || status=$?
# clang-tidy counts the warnings it filtered out of system headers; only findings are shown.
grep -v -E '^[0-9]+ (warning|error)s? (and [0-9]+ (warning|error)s? )?generated\.$' "$log" || true
if [ "$status" -ne 0 ]; then
  echo "tidy: clang-tidy reported findings in ${#files[@]} files checked" >&2
  exit 1
fi
echo "tidy: ${#files[@]} files clean"
