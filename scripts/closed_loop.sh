#!/usr/bin/env bash
# Closes the loop: quellmar simulates three seconds of the vehicle moving over the balls and
# writes its camera's poses, orvanta-scene renders them as MJPG video, orvanta tracks the video,
# and the tracked poses are printed beside the simulated ones. Into closed-loop/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"
out="$root/closed-loop"
"$root/scripts/setup.sh"
mkdir -p "$out"

# From 1.6 m above the rectangle (the bottom 3 m down, the vehicle 1.4 m deep), heading east,
# pushed ahead by 1 N and turning under a small yaw moment.
"$build/model/quellmar" simulate --duration 3 --step 0.01 \
  --state 0.05,0,0,0,0,0.05,0.35,0.2,1.4,0,0,1.5707963 --tau 1,0,0,0,0,0.001 \
  --bottom-depth 3 --camera-poses "$out/camera.csv" --csv "$out/state.csv"
"$build/tools/orvanta-scene" --poses "$out/camera.csv" --out "$out/scene" \
  --video "$out/sim.avi" --threshold 210 --shading 0.5 >&2
"$build/vision/orvanta" --headless --camera "$out/sim.avi" \
  --calibration "$out/scene/calibration.json" --trackbars IntMedian=2 \
  --poses "$out/tracked.csv" --csv "$out/track.csv"

echo "Tracked camera positions beside the simulated ones (every fifth picture; millimetres):"
awk -F, '
  FNR == 1 { next }
  NR == FNR { x[$1 - 1] = $2; y[$1 - 1] = $3; z[$1 - 1] = $4; next }
  $2 != "" {
    e = sqrt(($3 - x[$1])^2 + ($4 - y[$1])^2 + ($5 - z[$1])^2) * 1000
    n++; sum += e; if (e > worst) worst = e
    if ($1 % 5 == 0) printf "%4d  tracked %8.4f %8.4f %8.4f   simulated %8.4f %8.4f %8.4f   %5.1f\n",
                            $1, $3, $4, $5, x[$1], y[$1], z[$1], e
  }
  END { printf "%d pictures: mean error %.1f mm, worst %.1f mm\n", n, sum / n, worst }
' "$out/camera.csv" "$out/tracked.csv"
