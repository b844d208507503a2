#!/usr/bin/env bash
# Builds Zentrovel and runs every test, under a virtual X server when there is no display.
# Usage: test.sh [--sanitize]   (--sanitize: AddressSanitizer + UndefinedBehaviorSanitizer build)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh" test
bash "$root/scripts/build.sh" "$@"
dir=$root/build; [ "${1:-}" = --sanitize ] && dir=$root/build-asan
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CACHE_HOME=$scratch/cache XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config
export MESA_SHADER_CACHE_DISABLE=true ZENTROVEL_AUTOMATED=1 DBUS_SESSION_BUS_ADDRESS=disabled:
mkdir -p "$scratch/xvfb" "$scratch/tmp"
cd "$dir"
# The Debian package, which the package test checks (only for the regular build).
if [ "$dir" = "$root/build" ]; then
  cpack -G DEB >/dev/null || { echo "cpack -G DEB failed" >&2; exit 1; }
fi
# The virtual X server keeps its files apart from the tests' temporary directory. Its own clean-up
# may complain; the tests' result is what counts.
export ZV_SCRATCH=$scratch
TMPDIR=$scratch/xvfb xvfb-run -a -s "-screen 0 1024x768x24" \
  sh -c 'TMPDIR="$ZV_SCRATCH/tmp" ctest --output-on-failure -j"$(nproc)"; echo $? > "$ZV_SCRATCH/ctest.rc"' || true
rc=$(cat "$scratch/ctest.rc" 2>/dev/null || echo 1)
exit "$rc"
