#!/usr/bin/env bash
# Idle CPU of the real editor on the demo level (goal: under 2 % of one core), under a
# virtual X server when there is no display. Usage: editor_idle.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-$root/build}
cmake --build "$dir" --target bench_editor_idle zentrovel zentrovel-tool >/dev/null
export ZENTROVEL_AUTOMATED=1 MESA_SHADER_CACHE_DISABLE=true
scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
if [ -n "${DISPLAY:-}" ]; then
  "$dir/bench/bench_editor_idle"
else
  xvfb-run -a -s "-screen 0 1024x768x24" "$dir/bench/bench_editor_idle"
fi
