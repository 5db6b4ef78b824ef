#!/usr/bin/env bash
# Shows the demo program under Xvfb, clicked with real X input, at 1x and at QT_SCALE_FACTOR=2:
# every tab and both popups go to build/screenshots/<scale>x/, and the README's pictures
# (docs/settings-tab.png, docs/files-tab.png, docs/card-test.png) are made again from the 1x
# run. Look at them after every change of the window.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(xvfb xdotool imagemagick)
install_missing_packages
build

shots="$BUILD_DIR/screenshots"
pids=()
trap 'kill "${pids[@]}" 2> /dev/null || true' EXIT

# Runs the demo at scale $1 on display $2 and goes through its screens.
show_window() {
  local scale="$1" display="$2" out="$shots/${1}x" window=""
  mkdir -p "$out"
  Xvfb "$display" -screen 0 1600x1100x24 > /dev/null 2>&1 &
  pids+=($!)
  export DISPLAY="$display"
  for _ in $(seq 50); do
    xdotool getdisplaygeometry > /dev/null 2>&1 && break
    sleep 0.2
  done
  xdotool getdisplaygeometry > /dev/null || { echo "Xvfb did not start on $display" >&2; exit 1; }
  QT_SCALE_FACTOR="$scale" "$BUILD_DIR/bin/kx12r-config-demo" > /dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    window="$(xdotool search --onlyvisible --name 'Конфигуратор' 2> /dev/null | head -n 1 || true)"
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "the demo window did not come up at ${scale}x" >&2; exit 1; }
  sleep 1
  # Points are given at 1x; the window system gets them scaled.
  at() { echo "$(($1 * scale)) $(($2 * scale))"; }
  hover() { xdotool mousemove --window "$window" $(at "$1" "$2"); sleep 0.5; }
  click() { hover "$1" "$2"; xdotool click 1; sleep 0.5; }
  shoot() { import -window "$window" "$out/$1.png"; }

  click 100 32    # the first demo reader
  click 190 282   # its variant 8, code format cell
  shoot 01-settings
  click 254 282   # "..." opens the code format list
  shoot 02-code-format-list
  xdotool key Escape; sleep 0.5
  click 90 282    # the prefix cell
  click 113 282   # "..." opens the pad
  hover 160 186   # over the eraser: its hint
  shoot 03-pad
  xdotool key Escape; sleep 0.5
  click 207 131
  shoot 04-files
  click 335 131
  shoot 05-database-page-locked
  click 100 188
  xdotool type --delay 20 "kx12r-admin"; xdotool key Return; sleep 1
  shoot 06-database-page
  click 460 131
  shoot 07-firmware-update
  click 580 131   # the card test
  click 60 418    # a card from the demo reader, as the US layout types it
  click 215 408   # the Russian layout
  click 60 418    # and the same reader's card through it
  shoot 08-card-test
  echo "$out"
}

show_window 1 :97
cp "$shots/1x/01-settings.png" "$ROOT/docs/settings-tab.png"
cp "$shots/1x/04-files.png" "$ROOT/docs/files-tab.png"
cp "$shots/1x/08-card-test.png" "$ROOT/docs/card-test.png"
show_window 2 :98
