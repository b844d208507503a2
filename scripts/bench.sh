#!/usr/bin/env bash
# Builds and runs every benchmark program (bench/*.cpp), or those named: bench.sh strvalue ...
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh" test
bash "$root/scripts/build.sh"
export ZENTROVEL_AUTOMATED=1 MESA_SHADER_CACHE_DISABLE=true
for b in "$root"/build/bench/bench_*; do
  name=${b##*/bench_}
  if [ $# -gt 0 ] && [[ ! " $* " =~ " $name " ]]; then continue; fi
  echo "== $name"
  "$b" --benchmark_min_time=0.2
done
