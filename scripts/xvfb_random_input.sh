#!/usr/bin/env bash
# The desktop build under Xvfb, fed random key presses and releases with xdotool, with the focus
# taken away to a second window and given back now and then. The game must stay up, keep
# drawing (two screenshots a moment apart differ), and still quit through its menu at the end.
# Usage: scripts/xvfb_random_input.sh [SECONDS] [STOMP_EXE]   (default 180 s, build/stomp)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-180}"
exe="$(realpath "${2:-$root/build/stomp}")"
[ -x "$exe" ] || { echo "xvfb_random_input: no desktop build at $exe" >&2; exit 2; }

work="$(mktemp -d /tmp/stomp-xvfb-XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

source "$root/scripts/xvfb.sh"
start_xvfb "$work/xvfb.log" || { echo "xvfb_random_input: Xvfb did not start" >&2; exit 2; }
pids+=("$xvfb_pid")

ln -s "$root/gfx" "$work/gfx"
(cd "$work" && exec env LIBGL_ALWAYS_SOFTWARE=1 "$exe" >"$work/stomp.log" 2>&1) &
game=$!
pids+=("$game")
window="$(timeout 30 xdotool search --sync --onlyvisible --pid "$game" | head -n 1)"
xmessage -geometry +0+600 "the other window" &
pids+=($!)
other="$(timeout 30 xdotool search --sync --onlyvisible --classname xmessage | head -n 1)"
xdotool windowfocus --sync "$window"

fail() {
  echo "xvfb_random_input: FAIL: $*"
  cat "$work/stomp.log"
  exit 1
}

# Up and down move the menu selection; space picks the line. Presses between two spaces are
# balanced so that the selection is 0 (start a game) or 2 (buy ammunition) when space comes, never
# the quit line. Escape is never sent: in the menu it quits.
shift_count=0
presses=0 focus_changes=0 probes=0
held=""
deadline=$((SECONDS + seconds))
next_probe=$((SECONDS + 5))
while [ "$SECONDS" -lt "$deadline" ]; do
  kill -0 "$game" 2>/dev/null || fail "the game ended after $presses presses"
  roll=$((RANDOM % 100))
  if [ "$roll" -lt 30 ]; then
    [ -n "$held" ] && xdotool keyup "$held"
    case $((RANDOM % 3)) in 0) held="" ;; 1) held=Left ;; 2) held=Right ;; esac
    [ -n "$held" ] && xdotool keydown "$held"
  elif [ "$roll" -lt 55 ]; then
    xdotool key Up
    shift_count=$(((shift_count + 4) % 5))
  elif [ "$roll" -lt 75 ]; then
    xdotool key Down
    shift_count=$(((shift_count + 1) % 5))
  else
    target=$(((RANDOM % 2) * 2))
    while [ "$shift_count" -ne "$target" ]; do
      xdotool key Down
      shift_count=$(((shift_count + 1) % 5))
    done
    sleep 0.15  # every press above is read before the space arrives
    xdotool key space
    sleep 0.15
    if [ $((RANDOM % 4)) -eq 0 ]; then
      # A focus change flushes keys, so it comes only when no press is still unread.
      xdotool windowfocus --sync "$other"
      sleep 0.$((RANDOM % 5 + 1))
      xdotool windowfocus --sync "$window"
      sleep 0.1
      focus_changes=$((focus_changes + 1))
    fi
  fi
  presses=$((presses + 1))
  sleep 0.0$((RANDOM % 8 + 2))
  if [ "$SECONDS" -ge "$next_probe" ]; then
    import -window "$window" "$work/a.png"
    sleep 0.3
    import -window "$window" "$work/b.png"
    cmp -s "$work/a.png" "$work/b.png" && fail "the picture stood still for 0.3 s (probe $probes)"
    probes=$((probes + 1))
    next_probe=$((SECONDS + 5))
  fi
done
[ -n "$held" ] && xdotool keyup "$held"

# Still responsive: quit through the game's own keys from whatever state it is in. Escape quits
# the menu, leaves game over, and pauses or continues a game; down and space on the pause screen
# end the game. Five rounds reach the menu from every state.
for _ in 1 2 3 4 5; do
  kill -0 "$game" 2>/dev/null || break
  xdotool key Escape
  sleep 0.3
  kill -0 "$game" 2>/dev/null || break
  xdotool key Down
  sleep 0.15
  xdotool key space
  sleep 0.3
done
status=0
timeout 10 tail --pid="$game" -f /dev/null || fail "the quit keys did not end the game within 10 s"
wait "$game" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status after quitting from the menu"
if [ -e "$work/stats.dat" ]; then
  size=$(stat -c %s "$work/stats.dat")
  [ "$size" -eq 24 ] || fail "stats.dat has $size bytes"
fi
echo "xvfb_random_input: ok: ${seconds}s, $presses actions, $focus_changes focus changes," \
  "$probes picture probes all moving, quit from the menu with status 0"
