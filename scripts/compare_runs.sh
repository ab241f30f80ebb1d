#!/usr/bin/env bash
# Plays the scripted games of scripts/runs/ through stomp-headless and keeps their traces and
# screenshots, so that a change meant to keep behaviour can be checked byte for byte.
#
#   scripts/compare_runs.sh STOMP_HEADLESS OUT_DIR [BASELINE_DIR]
#
# Each run gets a fresh directory with gfx/ and the stats.dat its script names in a
# "# stats: highscore item money stock0 stock1 stock2" line. With BASELINE_DIR the outputs are
# compared with an earlier recording; the status is 1 when anything differs.
set -euo pipefail

[ $# -ge 2 ] || { sed -n '5p' "$0" >&2; exit 2; }
bin=$(realpath "$1")
out=$(realpath -m "$2")
baseline=${3:+$(realpath "$3")}
root=$(cd "$(dirname "$0")/.." && pwd)
shots=(0 20 60 120 200 300 400 1000 2000 2990 3100 4000)

mkdir -p "$out"
for script in "$root"/scripts/runs/*.txt; do
  name=$(basename "$script" .txt)
  work=$(mktemp -d)
  ln -s "$root/gfx" "$work/gfx"
  stats=$(sed -n 's/^# stats: //p' "$script")
  if [ -n "$stats" ]; then
    # Six little-endian 32-bit ints.
    for value in $stats; do
      printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((value & 255)) $((value >> 8 & 255)) \
        $((value >> 16 & 255)) $((value >> 24 & 255)))"
    done > "$work/stats.dat"
  fi
  last=$(awk '$1 ~ /^[0-9]+$/ && $1 > m { m = $1 } END { print m + 10 }' "$script")
  args=(--frames "$last" --input "$script" --trace "$out/$name.trace")
  for f in "${shots[@]}"; do
    [ "$f" -lt "$last" ] && args+=(--screenshot "$f:$out/$name-$f.png")
  done
  status=0
  (cd "$work" && "$bin" "${args[@]}") || status=$?
  echo "$status" > "$out/$name.status"
  [ -f "$work/stats.dat" ] && cp "$work/stats.dat" "$out/$name.stats.dat"
  rm -rf "$work"
  echo "$name: status $status, $(wc -l < "$out/$name.trace") frames"
done

if [ -n "$baseline" ]; then
  if diff -r "$baseline" "$out" > /dev/null; then
    echo "identical to $baseline ($(ls "$out" | wc -l) files)"
  else
    diff -rq "$baseline" "$out" || true
    exit 1
  fi
fi
