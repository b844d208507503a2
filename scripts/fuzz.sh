#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*.cpp) with clang and runs each for a bounded time.
# Usage: fuzz.sh [seconds per target, default 60] [target names...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh" build
command -v clang++ >/dev/null || { apt-get update -qq; apt-get install -y -qq clang >/dev/null; }
secs=${1:-60}; shift || true
dir=$root/build-fuzz
CXX=clang++ cmake -S "$root" -B "$dir" -DZV_FUZZ=ON -DZV_TESTS=OFF -DZV_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$(nproc)"
for f in "$dir"/fuzz/fuzz_*; do
  name=${f##*/fuzz_}
  if [ $# -gt 0 ] && [[ ! " $* " =~ " $name " ]]; then continue; fi
  corpus=$dir/corpus/$name; mkdir -p "$corpus"
  [ -d "$root/fuzz/seeds/$name" ] && cp -n "$root/fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null || true
  echo "== $name for ${secs}s"
  "$f" -max_total_time="$secs" -rss_limit_mb=2048 "$corpus"
done
