#!/usr/bin/env bash
# Installs the Debian packages Zentrovel needs, only those that are missing.
#   deps.sh build   - compiler, SDL2, OpenGL, JSON, PNG, the model and picture importers
#   deps.sh test    - the build set plus GoogleTest, Google Benchmark, Xvfb, xdotool, package checks
set -euo pipefail
want=(cmake g++ make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1
      nlohmann-json3-dev libpng-dev libassimp-dev libstb-dev xvfb xauth zenity imagemagick)
if [ "${1:-build}" = test ]; then
  want+=(libgtest-dev libgmock-dev libbenchmark-dev xdotool x11-utils desktop-file-utils dpkg-dev file)
fi
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
