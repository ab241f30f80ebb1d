# Sourced by the scripts that play the desktop game on a private X server.
#
# start_xvfb LOG_FILE: starts Xvfb with a 1024x768 screen on a display number it finds free itself
# (-displayfd, so no other server can take the number between a check and the start), waits until
# it accepts clients, exports DISPLAY and sets xvfb_pid. -noreset: the server would otherwise reset
# whenever its last client leaves, refusing whoever connects meanwhile. Fails when it never starts.
start_xvfb() {
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$number" >"$1" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [ -s "$number" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  DISPLAY=":$(head -n 1 "$number")"
  rm -f "$number"
  [ "$DISPLAY" != ":" ] || return 1
  export DISPLAY
}
