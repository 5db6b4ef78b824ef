#!/usr/bin/env bash
# Makes the README's pictures from the demo program under Xvfb: the settings tab with the first
# demo reader selected (docs/settings-tab.png) and the files tab (docs/files-tab.png). Run it
# again when the window changes.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(xvfb xdotool imagemagick)
install_missing_packages
build

display=":97"
Xvfb "$display" -screen 0 1024x768x24 > /dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
for _ in $(seq 50); do
  xdotool getdisplaygeometry > /dev/null 2>&1 && break
  sleep 0.2
done
"$BUILD_DIR/bin/kx12r-config-demo" > /dev/null 2>&1 &
demo=$!
trap 'kill "$demo" "$xvfb" 2> /dev/null || true' EXIT

window=""
for _ in $(seq 50); do
  window="$(xdotool search --onlyvisible --name 'Конфигуратор' 2> /dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the demo window did not come up" >&2; exit 1; }
sleep 1
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.5; }

click 100 32    # the first demo reader
click 150 285   # its variant 8, code format cell
import -window "$window" "$ROOT/docs/settings-tab.png"
click 232 133   # the files tab
import -window "$window" "$ROOT/docs/files-tab.png"
echo "docs/settings-tab.png docs/files-tab.png"
