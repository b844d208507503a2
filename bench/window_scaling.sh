#!/usr/bin/env bash
# The cost per frame of showing the picture scaled in a larger window, under software
# OpenGL on a virtual X server large enough for the window. Usage: window_scaling.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-$root/build}
cmake --build "$dir" --target bench_window_scaling >/dev/null
export ZENTROVEL_AUTOMATED=1 MESA_SHADER_CACHE_DISABLE=true
scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
xvfb-run -a -s "-screen 0 1700x1300x24" "$dir/bench/bench_window_scaling"
