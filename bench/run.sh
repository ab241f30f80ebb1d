#!/usr/bin/env bash
# Builds the benchmarks in Release, runs them all and regenerates the measured part of
# docs/performance.md: everything between the bench:begin and bench:end markers is replaced, the
# rest of the file (other sections) is kept as it is.
#
#   bench/run.sh                build, run, rewrite the report
#   bench/run.sh --report-only  rewrite the report from the results of the last run
#   STOMP_BENCH_JOBS=N          parallel build jobs (default 2)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-bench"
results="$build/bench-results"
doc="$root/docs/performance.md"
programs=(frame_logic_bench frame_draw_bench startup_bench simulation_bench)

run() {  # result name, program, extra flags...
  local name=$1 program=$2; shift 2
  echo "== $name" >&2
  "$build/bench/$program" --benchmark_out="$results/$name.json" --benchmark_out_format=json "$@" >&2
}
# Repetitions give medians that a shared machine's noise moves less; the two quad loops are
# interleaved so that both see the same load.
run_all() {
  run logic frame_logic_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
  run draw frame_draw_bench --benchmark_filter=BM_DrawFrame --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true
  run quads frame_draw_bench --benchmark_filter=Quads --benchmark_repetitions=10 \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
  run startup startup_bench --benchmark_report_aggregates_only=true
  run simulation simulation_bench
}

if [ "${1:-}" != --report-only ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSTOMP_TESTS=OFF >/dev/null
  cmake --build "$build" -j"${STOMP_BENCH_JOBS:-2}" --target stomp-headless gl_baseline "${programs[@]}"
  mkdir -p "$results"
  cut -d' ' -f1-3 /proc/loadavg > "$results/load-before"
  run_all
  cut -d' ' -f1-3 /proc/loadavg > "$results/load-after"
  date -u '+%Y-%m-%d %H:%M UTC' > "$results/date"
fi

# One line per benchmark entry of a result file (by its name in run_all): name, aggregate (or "-"), then key=value pairs.
flatten() {
  awk '
    /"benchmarks": \[/ { inside = 1; next }
    !inside { next }
    /^ *\{/ { line = ""; name = ""; agg = "-"; next }
    /^ *\}/ { if (name != "") print name "\t" agg "\t" line; next }
    match($0, /^ *"[^"]+": /) {
      key = $0; sub(/^ *"/, "", key); sub(/": .*/, "", key)
      value = $0; sub(/^ *"[^"]+": /, "", value); sub(/,$/, "", value); gsub(/"/, "", value)
      if (key == "name") name = value
      else if (key == "aggregate_name") agg = value
      else line = line " " key "=" value
    }
  ' "$results/$1.json"
}

# The value of `key` in the entry of result `name` whose name is `prefix` or continues it after a "/"
# or "_", and whose aggregate is `agg` ("-" for a plain run); empty when there is none.
value() {  # result name, prefix, agg, key
  flatten "$1" | awk -F'\t' -v prefix="$2" -v agg="$3" -v key="$4" '
    index($1, prefix) == 1 && $2 == agg && substr($1, length(prefix) + 1, 1) ~ /^([\/_]|)$/ {
      n = split($3, pairs, " ")
      for (i = 1; i <= n; i++) {
        split(pairs[i], kv, "=")
        if (kv[1] == key && !found) { found = 1; print kv[2] }
      }
    }
    END { if (!found) { print "n/a"; print "bench/run.sh: no " key " for " prefix " (" agg ")" > "/dev/stderr" } }'
}

# printf of an arithmetic expression; "n/a" when a figure in it is missing.
calc() {
  case "$2" in *n/a*) echo "n/a" ;; *) awk "BEGIN { printf \"$1\", $2 }" ;; esac
}
meets() {  # value, goal, "below" or "above"
  if [ "$1" = n/a ]; then echo "not measured"; return; fi
  if awk -v v="$1" -v g="$2" -v way="$3" 'BEGIN { exit !((way == "below") ? v < g : v >= g) }'; then
    echo "met"
  else
    echo "**missed**"
  fi
}

logic_row() {  # factor, label, goal in µs or ""
  local p="BM_LogicFrame/factor:$1"
  local cpu wall
  cpu=$(value logic "$p" median cpu_time)
  wall=$(value logic "$p" median real_time)
  local goal="" verdict=""
  if [ -n "$3" ]; then goal="< $3 µs"; verdict=$(meets "$cpu" "$3" below); fi
  echo "| $2 | $(value logic "$p" median creatures | calc_int) | $(value logic "$p" median drops | calc_int) | $(value logic "$p" median effects | calc_int) | $(calc %.1f "$cpu") | $(calc %.1f "$wall") | $(calc %.2f "$cpu / 200") % | $goal | $verdict |"
}
calc_int() { awk '{ if ($1 == "n/a") print $1; else printf "%d", $1 }'; }

draw_row() {  # factor, label
  local p="BM_DrawFrame/factor:$1"
  local wall
  wall=$(value draw "$p" median real_time)
  echo "| $2 | $(calc %.0f "$wall") | $(calc %.1f "$wall / 200") % |"
}

startup_row() {  # prefix, label, time goal, memory goal
  local median worst rss
  median=$(value startup "$1" median real_time)
  worst=$(value startup "$1" max real_time)
  rss=$(value startup "$1" max peak_rss_MiB)
  local verdict=""
  if [ -n "$3" ]; then
    verdict="time $(meets "$median" "$3" below), memory $(meets "$rss" "$4" below)"
  fi
  echo "| $2 | $(calc %.0f "$median") | $(calc %.0f "$worst") | $(calc %.1f "$rss") | $verdict |"
}

generate() {
  local cpu_model cores memory date
  cpu_model=$(lscpu | awk -F: '/^Model name/ { sub(/^ +/, "", $2); print $2; exit }')
  cores=$(nproc)
  memory=$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
  date=$(cat "$results/date")

  local engine_min raw_min engine_median raw_median engine_cpu raw_cpu overhead cpu_overhead
  engine_min=$(value quads BM_DrawImageQuads min real_time)
  raw_min=$(value quads BM_RawGlQuads min real_time)
  engine_median=$(value quads BM_DrawImageQuads median real_time)
  raw_median=$(value quads BM_RawGlQuads median real_time)
  engine_cpu=$(value quads BM_DrawImageQuads median cpu_time)
  raw_cpu=$(value quads BM_RawGlQuads median cpu_time)
  overhead=$(calc %.1f "($engine_min / $raw_min - 1) * 100")
  cpu_overhead=$(calc %.1f "($engine_cpu / $raw_cpu - 1) * 100")

  local shots_cpu shots_wall shots_effects
  shots_cpu=$(value logic BM_HundredShots median cpu_time)
  shots_wall=$(value logic BM_HundredShots median real_time)
  shots_effects=$(value logic BM_HundredShots median effects_after | calc_int)

  local sim_wall sim_fps sim_factor sim_frames sim_games
  sim_wall=$(value simulation BM_SimulationSpeed - real_time)
  sim_fps=$(value simulation BM_SimulationSpeed - frames_per_s)
  sim_factor=$(value simulation BM_SimulationSpeed - times_real_time)
  sim_frames=$(value simulation BM_SimulationSpeed - frames | calc_int)
  sim_games=$(value simulation BM_SimulationSpeed - game_overs | calc_int)

  cat <<EOF
<!-- bench:begin -->
<!-- Generated by bench/run.sh; edit the script, not this part. -->
## Measured budgets

Figures of $date on: $cpu_model, $cores cores, $memory of memory. Release build. Load average
(1, 5, 15 min) before the run: $(cat "$results/load-before"); after: $(cat "$results/load-after"). The machine is shared, so wall
times carry other processes' load; the logic figures are judged on the benchmark thread's CPU time.
Regenerate with \`bench/run.sh\`.

A frame has 20 ms (50 Hz).

### Logic per frame (null driver)

One frame is what the main loop does while playing: the play step (figure, drops and creatures
updated and drawn), the effects updated and drawn, the HUD. Worlds: the typical one (25 creatures,
5 drops, 100 effects, the figure running) and up to a hundred times fuller; medians of 5
repetitions.

| World | Creatures | Drops | Effects | CPU µs/frame | Wall µs/frame | Share of 20 ms (CPU) | Goal | |
|---|---|---|---|---|---|---|---|---|
$(logic_row 1 "typical" 200)
$(logic_row 2 "2×" "")
$(logic_row 5 "5×" "")
$(logic_row 10 "10×" 2000)
$(logic_row 20 "20×" "")
$(logic_row 50 "50×" "")
$(logic_row 100 "100×" "")

Growth: a least-squares fit of CPU time against N = creatures + drops (the effects grow in step)
gives $(calc %.2f "$(value logic BM_LogicFrame BigO cpu_coefficient) / 1000") µs × N, RMS error $(calc %.0f "$(value logic BM_LogicFrame RMS rms) * 100") %.
Each of the figure's pixel steps queries every creature and drop, and every creature and effect is
updated and drawn once.

A hundred shots fired in one frame of the typical world, then the frame played:
$(calc %.0f "$shots_cpu") µs CPU ($(calc %.0f "$shots_wall") µs wall), $shots_effects effects alive afterwards.

### Drawing per frame (GL driver, offscreen context)

The same frames with the OpenGL driver on the headless backend's EGL context (Mesa's software
rasteriser on this machine), each ending in glFinish so that rasterising is counted. Wall time,
medians of 3 repetitions; the rasteriser works on its own threads, so CPU time of the benchmark
thread says little here.

| World | Wall µs/frame | Share of 20 ms |
|---|---|---|
$(draw_row 0 "no creatures, drops or effects (background, figure, HUD)")
$(draw_row 1 "typical")
$(draw_row 10 "10×")
$(draw_row 100 "100×")

DrawImage against bare OpenGL 1.1 (glBegin/glTexCoord2f/glVertex2f/glEnd, same texture bound) on
the same context, 1000 quads of 32×32 per iteration, 10 repetitions of each interleaved at random in
one run. The fastest repetition is the one least disturbed by other processes, so the goal is judged
on it; the thread's CPU time is the cost of issuing the commands, without the rasteriser.

| Per 1000 quads | Fastest wall µs | Median wall µs | Median CPU µs (issuing thread) |
|---|---|---|---|
| DrawImage | $(calc %.0f "$engine_min") | $(calc %.0f "$engine_median") | $(calc %.0f "$engine_cpu") |
| bare GL 1.1 | $(calc %.0f "$raw_min") | $(calc %.0f "$raw_median") | $(calc %.0f "$raw_cpu") |

The engine's overhead over bare GL: $overhead % in wall time (goal: within 10 %:
$(meets "$overhead" 10 below)), $cpu_overhead % in the issuing thread's CPU time.

### Start-up and memory

\`stomp-headless --frames 1\` from process start to its exit right after the first presented frame,
10 runs each; peak resident set of the child from wait4. The bare GL context is a program that
opens the same offscreen context through the engine and presents one cleared frame, without any
game data: the floor the GL stack sets.

| Run | Median ms | Worst ms | Peak RSS MiB | Goal: < 150 ms, < 64 MiB |
|---|---|---|---|---|
$(startup_row "BM_StartupToFirstFrame/gl" "stomp-headless (gl driver)" 150 64)
$(startup_row "BM_BareGlContext" "bare GL context" "" "")
$(startup_row "BM_StartupToFirstFrame/null" "stomp-headless --driver null" "" "")

### Simulation speed

\`stomp-headless --driver null --frames $sim_frames\` with an input script that starts game after
game, runs, jumps, spin-jumps and dashes; the session reached game over $sim_games times. Mean of 3
runs: $(calc %.0f "$sim_wall") ms, $(calc %.0f "$sim_fps") frames per second, $(calc %.0f "$sim_factor")×
real time (goal: at least 1000×, 50,000 frames per second: $(meets "$sim_fps" 50000 above)).

### Allocations

That CBox, BoxColl and MapColl allocate nothing per call is a test, not a benchmark:
\`tests/alloc_test.cpp\` counts every call of the global allocation functions around several
hundred thousand queries.
<!-- bench:end -->
EOF
}

generate > "$results/report.md"
if [ ! -f "$doc" ]; then
  printf '# Performance\n\nHow much of its 20 ms frame the game uses, how that grows as the world fills, and\nwhat start-up costs.\n\n' > "$doc"
fi
if ! grep -q '<!-- bench:begin -->' "$doc"; then
  printf '<!-- bench:begin -->\n<!-- bench:end -->\n' >> "$doc"
fi
awk -v report="$results/report.md" '
  /<!-- bench:begin -->/ { while ((getline line < report) > 0) print line; skipping = 1; next }
  /<!-- bench:end -->/ { skipping = 0; next }
  !skipping { print }
' "$doc" > "$doc.new"
mv "$doc.new" "$doc"
echo "wrote $doc" >&2
