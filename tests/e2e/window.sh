# The window program under Xvfb over the guest's readers, clicked with real X input. Sourced by
# scenarios.sh; the screenshots are kept in the host's build/e2e/.

# The first report carrying `hex` (code and parameter bytes) that a model received after line
# `from` of its log; true when there is one.
received_since() { tail -n "+$(($2 + 1))" "$LOGS/$1.log" 2> /dev/null | grep -q "^< $3"; }
log_lines() { wc -l < "$LOGS/$1.log"; }

window_over_real_readers() {
  export DISPLAY=:7 QT_QPA_PLATFORM=xcb
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 > "$LOGS/xvfb.out" 2>&1 &
  echo $! > "$LOGS/xvfb.pid"
  within 100 xdotool getdisplaygeometry > /dev/null 2>&1 || fail "Xvfb did not start"
  local r1_from r2_from window
  r1_from="$(log_lines r1)"
  "$WINDOW_PROGRAM" > "$LOGS/window.out" 2>&1 &
  echo $! > "$LOGS/window.pid"
  window_up() { window="$(xdotool search --onlyvisible --name 'Конфигуратор' 2> /dev/null | head -n 1)"; [ -n "$window" ]; }
  within 600 window_up || fail "the window did not come up: $(cat "$LOGS/window.out")"
  # The device list is filled by asking each reader for its variant first.
  within 100 received_since r1 "$r1_from" 76 || fail "the window did not ask E2E01 for its settings"
  sleep 1
  import -window root "$OUT/window-started.png"

  # Plugged while the window runs: asked within two seconds of its node.
  unplug r2
  wait_gone E2E02 || fail "E2E02's node stayed"
  r2_from="$(log_lines r2)"
  plug r2
  within 100 has_node E2E02 || fail "no node for E2E02 plugged back"
  within 20 received_since r2 "$r2_from" 76 || fail "E2E02 plugged back was not asked within 2 s"
  sleep 1

  # Row 1 of the device list, then variant 5 of the settings grid (points in the window).
  xdotool mousemove --window "$window" 100 32 click 1
  sleep 1
  r1_from="$(log_lines r1)"
  r2_from="$(log_lines r2)"
  xdotool mousemove --window "$window" 47 234 click 1
  local chosen=""
  choose() {
    if received_since r1 "$r1_from" '56 35'; then chosen=r1; elif received_since r2 "$r2_from" '56 35'; then chosen=r2; else return 1; fi
  }
  within 30 choose || fail "the click on row 5 sent no V 5"
  import -window root "$OUT/window-variant-5.png"

  # The reader in row 1 unplugged: it leaves the list, and row 6 goes to the other one.
  local other=r1 serial=E2E02
  [ "$chosen" = r1 ] && other=r2 serial=E2E01
  unplug "$chosen"
  wait_gone "$serial" || fail "the unplugged reader's node stayed"
  sleep 2
  xdotool mousemove --window "$window" 100 32 click 1
  sleep 1
  local other_from
  other_from="$(log_lines "$other")"
  xdotool mousemove --window "$window" 47 250 click 1
  within 30 received_since "$other" "$other_from" '56 36' || fail "row 6 did not reach the reader left"
  import -window root "$OUT/window-unplugged.png"
  plug "$chosen"
  kill "$(cat "$LOGS/window.pid")" "$(cat "$LOGS/xvfb.pid")" 2> /dev/null
}
