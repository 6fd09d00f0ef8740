#!/usr/bin/env bash
# Installs the Debian packages the suite needs (only what is missing), then configures and
# builds into build/. Safe to run again; runnable from any directory.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"

packages=(build-essential cmake pkg-config libopencv-dev libavutil-dev qtbase5-dev libgtest-dev libgmock-dev
  libbenchmark-dev libcli11-dev nlohmann-json3-dev xvfb xauth clang-format)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DORVANTA_WERROR=ON ${ORVANTA_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
