#!/usr/bin/env bash
# Configures and builds Zentrovel into build/ (or build-asan/ with --sanitize).
# Usage: build.sh [--sanitize] [cmake target...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=$root/build; flags=()
if [ "${1:-}" = --sanitize ]; then dir=$root/build-asan; flags+=(-DZV_SANITIZE=ON -DZV_BENCH=OFF); shift; fi
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" >/dev/null
if [ $# -gt 0 ]; then
  for t in "$@"; do cmake --build "$dir" -j"$(nproc)" --target "$t"; done
else
  cmake --build "$dir" -j"$(nproc)"
fi
