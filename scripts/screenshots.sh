#!/usr/bin/env bash
# Remakes the pictures in docs/ from a real run: the program under a virtual 1600 x 1200 screen
# with a window manager, tracking the demo survey (run.sh generates it) with its calibration;
# four seconds after Start the whole screen goes to docs/tracking-screen.png and the operator
# window to docs/operator-window.png.
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

export DISPLAY="$display"
Xvfb "$display" -screen 0 1600x1200x24 >/dev/null 2>&1 &
pids=($!)
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
sleep 1
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
# A copy of the calibration: the run saves its trackbars at the end.
calibration="$(mktemp --suffix=.json)"
cp "$demo/calibration.json" "$calibration"
"$build/vision/orvanta" --camera "$demo/survey.avi" --calibration "$calibration" \
  --trackbars IntMedian=2 >/dev/null 2>&1 &
pids+=($!)
sleep 3
window="$(xdotool search --sync --onlyvisible --name '^Orvanta$' | head -1)"
xdotool mousemove --window "$window" 264 38 click 1  # Start
sleep 4
shot="$(mktemp --suffix=.png)"
import -window root "$shot"
eval "$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print "x=" $4}
  /Absolute upper-left Y/ {print "y=" $4} /Width/ {print "w=" $2} /Height/ {print "h=" $2}')"
cp "$shot" "$root/docs/tracking-screen.png"
convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage "$root/docs/operator-window.png"
rm -f "$shot" "$calibration"
echo "docs/tracking-screen.png, docs/operator-window.png"
