#!/usr/bin/env bash
# Configures and builds Tarnvik in build/ (or the folder given), with the
# extra CMake options given after it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build}
shift || true
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" "${generator[@]}" "$@" >/dev/null
else
  cmake -S "$top" -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
