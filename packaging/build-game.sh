#!/usr/bin/env bash
# Builds the game alone (no tests, benchmarks or data generators) in build-release, with Debian's
# hardening flags and the launcher in games/, as play.sh and the .deb ship it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir="$root/build-release"
cd "$root"  # dpkg-buildflags maps this folder out of the debug info
# The flags count when the folder is first configured; +all adds bind-now to relro.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DSTOMP_TESTS=OFF -DSTOMP_BENCH=OFF \
  -DSTOMP_TOOLS=OFF -DSTOMP_INSTALL_BINDIR=games >/dev/null
cmake --build "$dir" -j"$(nproc)" --target stomp
