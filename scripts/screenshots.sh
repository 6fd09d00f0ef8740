#!/usr/bin/env bash
# Remakes the pictures in docs/ from real runs: the program under a virtual screen with a window
# manager, tracking a generated survey with its calibration; a few seconds after Start the whole
# screen goes to docs/screen-WxH.png. Three screens: a laptop's 1366 x 768 with a 1280 x 960
# camera, 1920 x 1080 with 640 x 480 and 1600 x 1200 with the demo's 320 x 240; the operator
# window of the last goes to docs/operator-window.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"
demo="$root/demo"
display="${ORVANTA_DISPLAY:-:57}"

missing=()
for p in xvfb openbox xdotool x11-utils imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
[ -f "$demo/survey.avi" ] || "$root/scripts/run.sh" >/dev/null
for size in 640x480 1280x960; do
  [ -f "$demo/survey-$size.avi" ] ||
    "$build/tools/orvanta-scene" --out "$demo/survey-$size" --frames 300 --path survey \
      --shading 0.5 --size "$size" --threshold 210 --video "$demo/survey-$size.avi" >/dev/null
done

export DISPLAY="$display"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
scratch="$(mktemp -d)"

# shoot SCREEN VIDEO CALIBRATION: one run, its screenshot in docs/screen-SCREEN.png.
shoot() {
  Xvfb "$display" -screen 0 "$1x24" >/dev/null 2>&1 &
  pids=($!)
  sleep 1
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  # A copy of the calibration: the run saves its trackbars at the end.
  cp "$3" "$scratch/calibration.json"
  "$build/vision/orvanta" --camera "$2" --calibration "$scratch/calibration.json" \
    --trackbars IntMedian=2 >/dev/null 2>&1 &
  pids+=($!)
  sleep 3
  window="$(xdotool search --sync --onlyvisible --name '^Orvanta$' | head -1)"
  xdotool mousemove --window "$window" 264 38 click 1  # Start
  sleep 5
  import -window root "$scratch/screen.png"
  cp "$scratch/screen.png" "$root/docs/screen-$1.png"
  eval "$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print "x=" $4}
    /Absolute upper-left Y/ {print "y=" $4} /Width/ {print "w=" $2} /Height/ {print "h=" $2}')"
  kill "${pids[@]}" 2>/dev/null || true
  wait "${pids[@]}" 2>/dev/null || true
  echo "docs/screen-$1.png"
}

shoot 1366x768 "$demo/survey-1280x960.avi" "$demo/survey-1280x960/calibration.json"
shoot 1920x1080 "$demo/survey-640x480.avi" "$demo/survey-640x480/calibration.json"
shoot 1600x1200 "$demo/survey.avi" "$demo/calibration.json"
convert "$scratch/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$root/docs/operator-window.png"
rm -rf "$scratch"
echo "docs/operator-window.png"
