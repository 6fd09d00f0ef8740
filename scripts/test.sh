#!/usr/bin/env bash
# Sets up (packages, build) and runs the whole test suite.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
ctest --test-dir "${ORVANTA_BUILD_DIR:-$root/build}" --output-on-failure -j"$(nproc)"
