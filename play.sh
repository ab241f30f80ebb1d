#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it, from any folder. The game is installed
# into build-play/prefix and started through its launcher, so it runs in the player's data folder
# (${XDG_DATA_HOME:-~/.local/share}/stomp), where stats.dat is kept and gfx/ is linked in.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$root/scripts/deps.sh" play
cmake -S "$root" -B "$root/build-play" -DCMAKE_BUILD_TYPE=Release -DSTOMP_TESTS=OFF -DSTOMP_BENCH=OFF -DSTOMP_TOOLS=OFF >/dev/null
cmake --build "$root/build-play" -j"$(nproc)" --target stomp
cmake --install "$root/build-play" --prefix "$root/build-play/prefix" >/dev/null
exec "$root/build-play/prefix/bin/stomp" "$@"
