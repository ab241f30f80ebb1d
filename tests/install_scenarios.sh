#!/usr/bin/env bash
# Installs the game the ways a player can, in an order a player might, and after each step starts
# it in a private HOME under Xvfb: play.sh's install, `cmake --install` into ~/.local, the .deb
# (unpacked by dpkg into a private root, so the machine is left as it was), with removals between.
# Every start must run the game in the player's folder with the data of the install started, read
# the player's stats.dat and write the same progress back; no install's data may be changed or
# turned into a link. The package itself must pass lintian, desktop-file-validate and appstreamcli,
# and the launcher must make its data link from whatever it finds (a stand-in game, no window).
# Usage: tests/install_scenarios.sh [BUILD_DIR]   (a build holding the game, default build/)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "${1:-$root/build}")
[ -x "$build/stomp" ] || { echo "install_scenarios: no game built in $build" >&2; exit 2; }

work=$(mktemp -d /tmp/stomp-install-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "install_scenarios: FAIL: $*" >&2
  [ -f "$work/game.log" ] && sed 's/^/  game: /' "$work/game.log" >&2
  exit 1
}
step() { echo "install_scenarios: [${SECONDS}s] $*"; }

# --- The package and its metadata --------------------------------------------------------------
step "building the package"
bash "$root/packaging/build-deb.sh" >"$work/package.log" 2>&1 ||
  { cat "$work/package.log"; fail "packaging"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build-release/CMakeCache.txt")
deb=$(ls "$root/build-release/stomp_${version}_"*.deb)
step "checking $deb"
lintian --fail-on error,warning "$deb" ||
  fail "lintian reports the package"
dpkg-deb -x "$deb" "$work/unpacked"
[ "$(dpkg-parsechangelog -l "$root/packaging/changelog" -S Version)" = "$version" ] ||
  fail "packaging/changelog does not start with version $version"
grep -q "<release version=\"$version\"" "$root/packaging/stomp.metainfo.xml" ||
  fail "packaging/stomp.metainfo.xml has no release $version"
desktop-file-validate "$work/unpacked/usr/share/applications/stomp.desktop" ||
  fail "desktop-file-validate rejects the menu entry"
# No network: the screenshots' addresses are checked where the project's pages are published.
appstreamcli validate --no-net "$work/unpacked/usr/share/metainfo/"*.metainfo.xml ||
  fail "appstreamcli rejects the metainfo"

# --- The launcher's link, with a stand-in game that says where it runs ------------------------
fake="$work/fake"
cmake --install "$build" --prefix "$fake" >/dev/null
# shellcheck disable=SC2016  # expanded by the stand-in when it runs
printf '#!/bin/sh\necho "$(pwd -P) $(readlink gfx || echo folder)"\n' >"$fake/libexec/stomp/stomp"
fake_data=$(realpath "$fake/share/games/stomp/gfx")
mkdir -p "$work/other/gfx"
touch "$work/other/gfx/font.dat"
# $1: what is at the player's gfx before the start (a command using $link), $2: the exit status,
# $3: what the game must find at gfx: a link to the install's data, or the folder left there.
launcher_case() {
  local folder="$work/cases/$((++cases))" out status=0
  # shellcheck disable=SC2034  # used by the command in $1
  local link="$folder/stomp/gfx"
  mkdir -p "$folder/stomp"
  eval "$1"
  out=$(XDG_DATA_HOME=$folder "$fake/bin/stomp" 2>"$work/launcher.err") || status=$?
  [ "$status" -eq "$2" ] || fail "with '$1' before: status $status: $(cat "$work/launcher.err")"
  [ "$2" -ne 0 ] || [ "$out" = "$(realpath "$folder/stomp") $3" ] ||
    fail "with '$1' before, the game found '$out'"
}
cases=0
# shellcheck disable=SC2016  # each command expands $link when it runs
{
  launcher_case ':' 0 "$fake_data"
  launcher_case 'ln -s "$link" "$link"' 0 "$fake_data"
  launcher_case 'ln -s /nonexistent "$link"' 0 "$fake_data"
  launcher_case 'ln -s "$work/other/gfx" "$link"' 0 "$fake_data"
  launcher_case 'mkdir "$link"' 0 "$fake_data"
  launcher_case 'mkdir "$link"; touch "$link/mine"' 0 folder
  launcher_case 'touch "$link"' 1 ''
}
[ -f "$work/other/gfx/font.dat" ] || fail "a start changed the folder an old link led to"
[ -f "$work/cases/6/stomp/gfx/mine" ] || fail "a start changed the player's own gfx folder"
[ -f "$work/cases/7/stomp/gfx" ] || fail "a start removed a file of the player's"

# --- A player's home and a screen --------------------------------------------------------------
export HOME="$work/home"
unset XDG_DATA_HOME
player="$HOME/.local/share/stomp"
mkdir -p "$player"
# Progress of someone who has played: highscore 42, item 2, 1234 coins, supplies 3, 5 and 7.
printf '\x2a\0\0\0\x02\0\0\0\xd2\x04\0\0\x03\0\0\0\x05\0\0\0\x07\0\0\0' >"$work/progress"
cp "$work/progress" "$player/stats.dat"
# The link the old launcher left after play.sh and an install into ~/.local: it points at itself.
ln -s "$player/gfx" "$player/gfx"

source "$root/scripts/xvfb.sh"
start_xvfb "$work/xvfb.log" || fail "Xvfb did not start"
pids+=("$xvfb_pid")
export LIBGL_ALWAYS_SOFTWARE=1

# Data folders of the installs that exist; each must stay a real copy of gfx/.
installs=()
check_installs() {
  local data
  for data in "${installs[@]}"; do
    [ ! -L "$data" ] || fail "$data became a link"
    diff -r -x font-LICENSE.txt "$root/gfx" "$data" >/dev/null || fail "$data was changed"
  done
}

# Starts a launcher (or play.sh), plays a game and ends it from the pause screen, which saves,
# then quits from the menu. $1: the data folder the game must use; the rest: the command.
play() {
  local data=$1 pid window status
  shift
  step "starting $*"
  local before
  before=$(stat -c %i "$player/stats.dat")
  "$@" >"$work/game.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  window=$(timeout 120 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1) ||
    true
  [ -n "$window" ] || fail "no window from $*"
  [ "$(readlink "/proc/$pid/cwd")" = "$(realpath "$player")" ] ||
    fail "the game does not run in $player"
  [ "$(readlink -f "$player/gfx")" = "$(readlink -f "$data")" ] ||
    fail "$player/gfx leads to $(readlink -f "$player/gfx"), not $data"
  timeout 20 xdotool windowfocus --sync "$window" || true  # the key checks that follow tell
  # Keys count once the menu is drawn (before that the window is black).
  local waited=0
  until [ "$(import -window "$window" png:- 2>/dev/null | identify -format '%[fx:mean>0.01]' -)" \
    = 1 ]; do
    [ $((waited += 1)) -le 300 ] || fail "the menu did not show within 60 s"
    sleep 0.2
  done
  # Start, pause, choose "end game" and take it (the game is saved), then quit from the menu.
  local key
  for key in space Escape Down space Escape; do
    sleep 0.5
    xdotool key "$key"
  done
  timeout 20 tail --pid="$pid" -f /dev/null || fail "the game did not quit"
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "exit status $status"
  [ "$(stat -c %i "$player/stats.dat")" != "$before" ] || fail "stats.dat was not saved"
  cmp -s "$player/stats.dat" "$work/progress" || fail "stats.dat lost the player's progress"
  check_installs
}

# --- Install orders ----------------------------------------------------------------------------
# play.sh first: it builds nothing new (the package build made it) and installs into the clone.
play_data="$root/build-release/prefix/share/games/stomp/gfx"
installs+=("$play_data")
play "$play_data" "$root/play.sh"

step "cmake --install into ~/.local while the player's folder links into the clone"
cmake --install "$build" --prefix "$HOME/.local" >/dev/null
local_data="$HOME/.local/share/games/stomp/gfx"
installs+=("$local_data")
play "$local_data" "$HOME/.local/bin/stomp"

step "the .deb, unpacked by dpkg into $work/root"
mkdir -p "$work/root/var/lib/dpkg/info" "$work/root/var/lib/dpkg/updates"
touch "$work/root/var/lib/dpkg/status"
sandbox_dpkg() { dpkg --root="$work/root" --force-not-root --force-depends --log=/dev/null "$@"; }
sandbox_dpkg -i "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log"; fail "dpkg -i"; }
deb_data="$work/root/usr/share/games/stomp/gfx"
installs+=("$deb_data")
play "$deb_data" "$work/root/usr/games/stomp"

step "removing the .deb: the link it leaves goes nowhere"
sandbox_dpkg -r stomp >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log"; fail "dpkg -r"; }
unset 'installs[2]'
[ ! -e "$player/gfx" ] || fail "the link should be stale now"
play "$local_data" "$HOME/.local/bin/stomp"

step "removing the ~/.local install"
xargs rm -f <"$build/install_manifest.txt"
unset 'installs[1]'
play "$play_data" "$root/build-release/prefix/games/stomp"

# A player's folder that is where an install puts its data (XDG_DATA_HOME=~/.local/share/games):
# the install replaces the link there instead of writing through it.
step "cmake --install into the player's folder itself"
export XDG_DATA_HOME="$HOME/.local/share/games"
player="$XDG_DATA_HOME/stomp"
mkdir -p "$player"
cp "$work/progress" "$player/stats.dat"
play "$play_data" "$root/build-release/prefix/games/stomp"
cmake --install "$build" --prefix "$HOME/.local" >/dev/null
[ ! -L "$player/gfx" ] || fail "the install left the link in place"
installs+=("$local_data")
play "$local_data" "$HOME/.local/bin/stomp"
play "$local_data" "$root/build-release/prefix/games/stomp"

# --- The launcher's own arguments --------------------------------------------------------------
launcher="$HOME/.local/bin/stomp"
[ "$("$launcher" --version)" = "stomp $version" ] || fail "--version"
"$launcher" --help | grep -q '^Usage: stomp ' || fail "--help"
for args in "--fullscreen" "--help --version"; do
  status=0
  # shellcheck disable=SC2086  # the arguments are split on purpose
  "$launcher" $args >/dev/null 2>&1 || status=$?
  [ "$status" -eq 2 ] || fail "'$args' gave status $status, not 2"
done

step "ok"
