#!/usr/bin/env bash
# Installs the Debian packages the suite needs (only what is missing), then configures and
# builds into build/. Safe to run again; runnable from any directory.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"

packages=(build-essential cmake pkg-config libopencv-dev libavutil-dev qtbase5-dev libgtest-dev libgmock-dev
  libbenchmark-dev libcli11-dev nlohmann-json3-dev xvfb xauth clang-format nodejs)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# A Node.js of another source may bring its own npm.
command -v npm >/dev/null || missing+=(npm)
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DORVANTA_WERROR=ON ${ORVANTA_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"

# The independent MAVLink decoder the tests read the autopilot link with, at the pinned version.
decoder="$build/mavlink_decoder"
if ! cmp -s "$root/tests/mavlink_decoder/package-lock.json" "$decoder/package-lock.json" ||
  [ ! -d "$decoder/node_modules/node-mavlink" ]; then
  mkdir -p "$decoder"
  cp "$root/tests/mavlink_decoder/package.json" "$root/tests/mavlink_decoder/package-lock.json" "$decoder/"
  (cd "$decoder" && npm ci --silent --no-audit --no-fund)
fi
