#!/usr/bin/env bash
# Installs the Debian packages stomp needs that are not there yet. Run by play.sh and test.sh.
# $1: "play" for what building and playing needs, "test" for everything the test suite uses too.
set -euo pipefail

packages=(build-essential cmake pkg-config libsdl2-dev libpng-dev zlib1g-dev libgl1-mesa-dev
          libegl-dev libegl-mesa0 libgl1-mesa-dri)
if [ "${1:-play}" = test ]; then
  # Tests, benchmarks, the data generators (FreeType, the font), the desktop tests (X server,
  # XTEST keys, screenshots, Xlib and XFixes headers, a window manager for fullscreen), the
  # fuzzers (clang's libFuzzer), the package checks, the format check and clang-tidy.
  packages+=(libgtest-dev googletest libbenchmark-dev libfreetype-dev fonts-dejavu-core xvfb xdotool
             imagemagick x11-utils libx11-dev libxfixes-dev openbox clang clang-format clang-tidy
             lintian desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
