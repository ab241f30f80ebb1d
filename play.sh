#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$root/scripts/deps.sh" play
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DSTOMP_TESTS=OFF -DSTOMP_BENCH=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target stomp
# The game reads gfx/ and keeps stats.dat in its working directory.
cd "$root"
exec "$root/build/stomp"
