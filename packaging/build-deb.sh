#!/usr/bin/env bash
# Makes build-release/stomp_VERSION_ARCH.deb from a build of the game alone.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/packaging/build-game.sh"
cd "$root/build-release"
cpack -G DEB
