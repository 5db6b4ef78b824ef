#!/usr/bin/env bash
# The demo window under Wine on a virtual X display: it comes up with the demo readers, and each
# tab, clicked with real X input, goes to a screenshot to be looked at.
#   demo_window.sh DEMO_EXE QT_BIN_FOLDER SCREENSHOTS   (WINEPREFIX and WINELOADER set)
set -euo pipefail
demo="$1"
qt_bin="$2"
shots="$3"
display=:93
mkdir -p "$shots"
Xvfb "$display" -screen 0 1280x900x24 > /dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2> /dev/null || true; kill "$xvfb" 2> /dev/null || true' EXIT
# A Wine session started without a display (the earlier steps) would keep this program's
# windows off the screen: this one starts afresh.
wineserver -k 2> /dev/null || true
wineserver -w
export DISPLAY="$display"
for _ in $(seq 50); do
  xdotool getdisplaygeometry > /dev/null 2>&1 && break
  sleep 0.2
done
WINEPATH="$qt_bin" "$WINELOADER" "$demo" > "$shots/demo.log" 2>&1 &
window=""
for _ in $(seq 450); do  # up to 90 s: a first start of Wine is slow
  window="$(xdotool search --onlyvisible --name 'Конфигуратор' 2> /dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "demo_window: the demo window did not come up under Wine" >&2
  cat "$shots/demo.log" >&2
  exit 1
fi
sleep 2
click() { xdotool mousemove --window "$window" "$1" "$2"; sleep 0.3; xdotool click 1; sleep 1; }
shoot() { import -window "$window" "$shots/$1.png"; }
click 100 32
shoot 01-settings
for tab in "207 131 02-files" "335 131 03-database-page" "460 131 04-firmware-update" \
  "580 131 05-card-test"; do
  read -r x y name <<< "$tab"
  click "$x" "$y"
  shoot "$name"
done
echo "demo_window: the window under Wine: $shots"
