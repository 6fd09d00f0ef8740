#!/usr/bin/env bash
# Sets up, then tracks a synthetic survey (generated into demo/ on first use, recorded as MJPG
# video as a camera delivers it) with the vision program in batch mode, and prints both
# estimates beside the truth: the precise pose of every tenth picture first, then the range
# solver's position of every window.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"
demo="$root/demo"
"$root/scripts/setup.sh"

# Detection settings of the range solver's chain for the generated scenes: similarity threshold
# 210 and median aperture 5 (IntMedian=2); the other trackbars at 0.
if [ ! -f "$demo/survey.avi" ] || [ ! -f "$demo/truth.csv" ] || [ ! -f "$demo/calibration.json" ]; then
  "$build/tools/orvanta-scene" --out "$demo" --frames 300 --path survey --shading 0.5 \
    --video "$demo/survey.avi" --threshold 210 >&2
fi

"$build/vision/orvanta" --headless --camera "$demo/survey.avi" \
  --calibration "$demo/calibration.json" --trackbars IntMedian=2 \
  --csv "$demo/track.csv" --poses "$demo/poses.csv"

# Truth rows are numbered from 1; picture k of the source (from 0) is truth row k + 1.
echo "Precise pose (every tenth picture; error in millimetres):"
awk -F, '
  FNR == 1 { next }
  NR == FNR { x[$1 - 1] = $2; y[$1 - 1] = $3; z[$1 - 1] = $4; yaw[$1 - 1] = $13; next }
  $2 == "" { missed++ }
  $2 != "" {
    e = sqrt(($3 - x[$1])^2 + ($4 - y[$1])^2 + ($5 - z[$1])^2) * 1000
    errors[++n] = e
    if ($1 % 10 == 0) {
      if (!shown++) printf "%7s %9s %9s %9s %8s   %9s %9s %9s %8s %7s\n", "picture", "x", "y", "z",
                           "heading", "true x", "true y", "true z", "heading", "error"
      printf "%7d %9.4f %9.4f %9.4f %8.2f   %9.4f %9.4f %9.4f %8.2f %7.1f\n", $1, $3, $4, $5,
             $10, x[$1], y[$1], z[$1], yaw[$1], e
    }
  }
  END {
    for (i = 2; i <= n; i++) {  # insertion sort: mawk has no asort
      v = errors[i]
      for (j = i - 1; j >= 1 && errors[j] > v; j--) errors[j + 1] = errors[j]
      errors[j + 1] = v
    }
    printf "%d pictures with a pose, %d without; median error %.1f mm, worst %.1f mm\n\n",
           n, missed, errors[int((n + 1) / 2)], errors[n]
  }' "$demo/truth.csv" "$demo/poses.csv"

# The set-up takes picture 0, so pass k searches picture 2k - 1: its truth is truth row 2k.
echo "Range solver (every window of five passes; error in metres):"
awk -F, '
  FNR == 1 { next }
  NR == FNR { x[$1] = $2; y[$1] = $3; z[$1] = $4; next }
  FNR == 2 { printf "%7s %9s %9s %9s   %9s %9s %9s %7s\n", "pass", "x", "y", "z",
                    "true x", "true y", "true z", "error" }
  {
    t = 2 * $1
    if ($7 == "") { printf "%7d %29s   %9.3f %9.3f %9.3f\n", $1, "(no position)", x[t], y[t], z[t]; next }
    e = sqrt(($7 - x[t])^2 + ($8 - y[t])^2 + ($9 - z[t])^2)
    printf "%7d %9.3f %9.3f %9.3f   %9.3f %9.3f %9.3f %7.3f\n", $1, $7, $8, $9, x[t], y[t], z[t], e
  }' "$demo/truth.csv" "$demo/track.csv"
