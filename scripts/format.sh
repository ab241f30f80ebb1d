#!/usr/bin/env bash
# Checks that every C++ file follows .clang-format and fails naming the files that do not.
# Usage: scripts/format.sh [--fix] (--fix rewrites them instead).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null ||
                     find app engine game tests tools bench -name '*.cpp' -o -name '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run --Werror "${files[@]}"
fi
