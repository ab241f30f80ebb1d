#!/usr/bin/env bash
# Mutation testing: plants each fault of a list (scripts/mutants.txt) in a scratch copy of the tree,
# one at a time, rebuilds incrementally, runs the test suite and tells whether a test caught it.
#
#   scripts/mutate.sh [-l LIST] [-c] [-k] [REGEX]
#     REGEX   only the mutants whose file or description matches (grep -E)
#     -l      another list file
#     -c      only check that every text is found exactly once (no build, no tests)
#     -k      keep going after a failing baseline (reports are then meaningless; for debugging)
#
# The scratch tree and its build live in $STOMP_MUTATE_DIR (default: build-mutate/ in the tree);
# both are reused, so a second run only rebuilds what changed. Per mutant the result is KILLED
# (some test failed, timed out or crashed), SURVIVED (the whole suite passed), STALE (the text is
# not found exactly once in the file: the list needs updating) or NOT BUILT (the mutant does not
# compile). Only KILLED counts as caught. The last line is the summary.
#
# The suite runs in passes that stop at the first failure: the unit suites, then the end-to-end
# suites that run the game, then (for mutants in the code that reads and writes files) the suites
# that run it on damaged files. What is left out and why: docs/testing.md. Every survivor has passed
# every test of every pass it ran.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
list=$root/scripts/mutants.txt
keep_going=0 check_only=0
while getopts "l:ck" opt; do
  case $opt in
    l) list=$(realpath "$OPTARG") ;;
    c) check_only=1 ;;
    k) keep_going=1 ;;
    *) sed -n '2,10p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
filter=${1:-}

work=${STOMP_MUTATE_DIR:-$root/build-mutate}
src=$work/src
build=$work/build
jobs=${STOMP_MUTATE_JOBS:-$(nproc)}
# Test executables by what they cost. Not run: the desktop suites (desktop*, see above) and
# data_test, which checks gfx/ with the generators in tools/ and runs no game or engine code. The
# end-to-end suites start the game's executables. The file suites damage the game's files and run
# it on them: they run only for mutants in the code that reads or writes files.
end_to_end='shell_e2e_test headless_test world_e2e_test soak_test'
file_suites='corrupt_files_test save_faults_test'
not_run='data_test'
file_code=' game/stats.cpp game/level.cpp game/font.cpp game/startup.cpp engine/files.cpp engine/stream.cpp engine/png.cpp engine/pixmap.cpp engine/image.cpp '

# --- the scratch tree: the working tree's files (committed or not), copied only when changed, so
# the build stays incremental.
sync_tree() {
  mkdir -p "$src"
  local now_list=$work/files.new old_list=$work/files
  git -C "$root" ls-files -co --exclude-standard | grep -v '^build' >"$now_list"
  while IFS= read -r f; do
    [ -f "$root/$f" ] || continue
    if ! cmp -s "$root/$f" "$src/$f"; then
      mkdir -p "$(dirname "$src/$f")"
      cp "$root/$f" "$src/$f"
    fi
  done <"$now_list"
  if [ -f "$old_list" ]; then
    comm -23 <(sort "$old_list") <(sort "$now_list") | while IFS= read -r f; do rm -f "$src/$f"; done
  fi
  mv "$now_list" "$old_list"
}

configure() {
  local launcher=() linker=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
                                            -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  command -v ld.lld >/dev/null && linker=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
  local generator=()
  command -v ninja >/dev/null && generator=(-G Ninja)
  [ -f "$build/CMakeCache.txt" ] && generator=()
  # Optimised without debug information: quick links, tests at full speed.
  cmake -S "$src" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE=-O2 -DCMAKE_C_FLAGS_RELEASE=-O2 -DSTOMP_BENCH=OFF \
    "${launcher[@]}" "${linker[@]}" >/dev/null
}

build_tree() { cmake --build "$build" -j"$jobs" >"$work/build.log" 2>&1; }

# The ctest name pattern of the suites in the given test executables.
suites_of() {
  local exe names=()
  for exe in "$@"; do
    names+=($("$build/tests/$exe" --gtest_list_tests | sed -n 's/^\([A-Za-z0-9_]*\)\..*/\1/p'))
  done
  local IFS='|'
  echo "^(${names[*]})\."
}

# The unit suites run whole, one executable after the other, until one fails; the end-to-end and
# file suites through ctest in parallel, until one fails. Answers 0 when every test passed; the
# failed tests are in $work/failed. $1: the mutated file (empty: the baseline, which runs all).
run_suite() {
  : >"$work/failed"
  local exe name
  for exe in "$build"/tests/*_test; do
    name=${exe##*/}
    case " $end_to_end $file_suites $not_run " in *" $name "*) continue ;; esac
    # The desktop suites start X servers, a window manager and the game: too slow for every
    # mutant. The timer suite starts one bare X server and is over in a fraction of a second.
    case $name in desktop_timer_test) ;; desktop*) continue ;; esac
    if ! (cd "$src" && timeout 300 "$exe" >"$work/unit.log" 2>&1); then
      sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_/]*\.[A-Za-z0-9_/]*\).*/\1/p' "$work/unit.log" |
        sort -u >>"$work/failed"
      [ -s "$work/failed" ] || echo "$name" >>"$work/failed"
      return 1
    fi
  done
  run_ctest "$end_to_end_tests" || return 1
  if [ -z "${1:-}" ] || [[ $file_code == *" $1 "* ]]; then run_ctest "$file_tests"; fi
}

run_ctest() {
  local log=$work/ctest.log
  ctest --test-dir "$build" -j"$jobs" --timeout 300 --stop-on-failure -R "$1" >"$log" 2>&1
  local status=$?
  sed -En 's/^[[:space:]]*[0-9]+ - ([^ ]+) \(.*/\1/p' "$log" >>"$work/failed"
  return $status
}

# --- the list: "file: PATH" sets the file for the mutants after it; each mutant is three lines,
# "find: TEXT", "put: TEXT" and "why: TEXT" (TEXT is everything after the first ": ", exactly;
# "\n" in find and put is a line break). Lines starting with # and blank lines are ignored.
files=() finds=() puts=() whys=()
parse_list() {
  local file="" find="" put="" have_find=0 have_put=0 line n=0
  while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    case $line in
      '' | '#'*) continue ;;
      'file: '*) file=${line#file: } ;;
      'find: '*) find=${line#find: }; find=${find//\\n/$'\n'}; have_find=1 ;;
      'put:'*) put=${line#put:}; put=${put# }; put=${put//\\n/$'\n'}; have_put=1 ;;
      'why: '*)
        if [ -z "$file" ] || [ $have_find = 0 ] || [ $have_put = 0 ]; then
          echo "$list:$n: a mutant needs file:, find: and put: before why:" >&2
          exit 2
        fi
        files+=("$file") finds+=("$find") puts+=("$put") whys+=("${line#why: }")
        have_find=0 have_put=0
        ;;
      *) echo "$list:$n: cannot read: $line" >&2; exit 2 ;;
    esac
  done <"$list"
}

count_of() {  # text, file content: how many times the text occurs
  local text=$1 rest=$2 n=0
  while [[ $rest == *"$text"* ]]; do
    rest=${rest#*"$text"}
    n=$((n + 1))
  done
  echo $n
}

parse_list
sync_tree
if [ $check_only = 1 ]; then
  stale=0
  for i in "${!files[@]}"; do
    n=0
    [ -f "$src/${files[$i]}" ] && n=$(count_of "${finds[$i]}" "$(cat "$src/${files[$i]}")")
    [ "$n" = 1 ] || { stale=$((stale + 1)); echo "STALE #$((i + 1)) ${files[$i]}: ${whys[$i]} (found $n times)"; }
  done
  echo "mutants: ${#files[@]}  stale: $stale"
  exit $((stale > 0))
fi
configure || { echo "cmake failed in $build"; exit 2; }
echo "baseline: building and running the unmutated suite in $build"
if ! build_tree; then
  tail -30 "$work/build.log"
  echo "the unmutated tree does not build"
  exit 2
fi
end_to_end_tests=$(suites_of $end_to_end)
file_tests=$(suites_of $file_suites)
if ! run_suite; then
  echo "the unmutated tree fails: $(tr '\n' ' ' <"$work/failed")"
  [ $keep_going = 1 ] || exit 2
fi

killed=0 survived=0 stale=0 unbuilt=0 total=0
survivors=()
start=$(date +%s)
for i in "${!files[@]}"; do
  file=${files[$i]} find=${finds[$i]} put=${puts[$i]} why=${whys[$i]}
  if [ -n "$filter" ] && ! printf '%s\n%s\n' "$file" "$why" | grep -qE -- "$filter"; then
    continue
  fi
  total=$((total + 1))
  label="#$((i + 1)) $file: $why"
  path=$src/$file
  if [ ! -f "$path" ]; then
    stale=$((stale + 1)); echo "STALE      $label (no such file)"; continue
  fi
  original=$(cat "$path"; printf x)
  original=${original%x}
  n=$(count_of "$find" "$original")
  if [ "$n" != 1 ]; then
    stale=$((stale + 1)); echo "STALE      $label (text found $n times)"; continue
  fi
  printf '%s' "${original%%"$find"*}$put${original#*"$find"}" >"$path"
  began=$(date +%s)
  if ! build_tree; then
    result="NOT BUILT "; unbuilt=$((unbuilt + 1))
  elif run_suite "$file"; then
    result="SURVIVED  "; survived=$((survived + 1)); survivors+=("$label")
  else
    result="KILLED    "; killed=$((killed + 1))
  fi
  printf '%s' "$original" >"$path"
  by=$(head -3 "$work/failed" 2>/dev/null | tr '\n' ' ')
  [ "$result" = "KILLED    " ] && label="$label  [by ${by% }]"
  echo "$result $label  ($(($(date +%s) - began)) s)"
done
build_tree  # leave the scratch build matching the tree

minutes=$((($(date +%s) - start + 59) / 60))
percent=0
[ $total -gt 0 ] && percent=$(awk -v k=$killed -v t=$total 'BEGIN { printf "%.1f", 100 * k / t }')
for s in "${survivors[@]}"; do echo "survivor: $s"; done
echo "mutants: $total  killed: $killed  survived: $survived  stale: $stale  not built: $unbuilt" \
  " ($percent % killed, $minutes min)"
