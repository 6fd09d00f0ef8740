#!/usr/bin/env bash
# Sets up, then tracks a synthetic dive (generated into demo/ on first use) with the vision
# program in batch mode and prints each estimated position beside the true one.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"
demo="$root/demo"
"$root/scripts/setup.sh"

# Detection settings that find all four balls from 1.3 to 2.2 m in the generated scenes:
# similarity threshold 210 and median aperture 5 (IntMedian=2); the other trackbars at 0.
if [ ! -f "$demo/truth.csv" ] || [ ! -f "$demo/calibration.json" ]; then
  "$build/tools/orvanta-scene" --out "$demo" --frames 300 --threshold 210 >&2
fi

"$build/vision/orvanta" --headless --camera "$demo/frame_%05d.png" \
  --calibration "$demo/calibration.json" --trackbars IntMedian=2 --csv "$demo/track.csv"

# The set-up takes picture 1, so pass k searches picture 2k: its truth is the row of frame 2k.
awk -F, '
  FNR == 1 { next }
  NR == FNR { x[$1] = $2; y[$1] = $3; z[$1] = $4; next }
  FNR == 2 { printf "%5s %9s %9s %9s   %9s %9s %9s %7s\n", "pass", "x", "y", "z",
                    "true x", "true y", "true z", "error" }
  {
    t = 2 * $1
    if ($7 == "") { printf "%5d %29s   %9.3f %9.3f %9.3f\n", $1, "(no position)", x[t], y[t], z[t]; next }
    e = sqrt(($7 - x[t])^2 + ($8 - y[t])^2 + ($9 - z[t])^2)
    printf "%5d %9.3f %9.3f %9.3f   %9.3f %9.3f %9.3f %7.3f\n", $1, $7, $8, $9, x[t], y[t], z[t], e
  }' "$demo/truth.csv" "$demo/track.csv"
