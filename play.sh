#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it, from any folder. The game is installed
# into build-release/prefix and started through its launcher, which runs it in the player's folder
# (${XDG_DATA_HOME:-~/.local/share}/stomp, where stats.dat is kept).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$root/scripts/deps.sh" play
bash "$root/packaging/build-game.sh"
cmake --install "$root/build-release" --prefix "$root/build-release/prefix" >/dev/null
exec "$root/build-release/prefix/games/stomp" "$@"
