#!/usr/bin/env bash
# Sets up and runs the main job.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"${ORVANTA_BUILD_DIR:-$root/build}/model/quellmar"
