# The window's card test over a gadget reader typing through a real X server: Xorg with the
# dummy video driver reads the gadget's keyboard interface through udev and libinput, and the
# window's verdicts, and the names of its controls, are read through AT-SPI, as a screen reader
# reads them. Sourced by scenarios.sh after the readers are up; the screenshots are kept in the
# host's build/e2e/.

# "#K12345678" and Enter.
type_card() { KEY_GAP=0.05 type_keys "$1" 02:20 02:0e 00:1e 00:1f 00:20 00:21 00:22 00:23 00:24 00:25 00:28; }

# The newest verdict, once the log has `rows` reads.
newest_verdict() {
  /usr/bin/python3 "$ROOT/tests/e2e/window_cell.py" "$(cat "$LOGS/card-window.pid")" \
    "Журнал считываний" "$1" 2 180 2>> "$LOGS/atspi.err"
}

card_test_in_both_layouts() {
  printf 'Variant=8\r\nPrefix=#K\r\nCode_format=7\r\nSuffix=\r\nEnding=13\r\nbuZzer_off=0\r\nstandAlone=0\r\nRepeat_message=0\r\n\r\n' > "$WORK/card.kxr"
  "$CTL" apply "$WORK/card.kxr" --all > /dev/null 2>&1
  # The old reader would be the one selected, and it has nothing to compare with.
  unplug r3
  wait_gone E2E03 || fail "E2E03's node stayed"
  modprobe evdev
  mkdir -p /var/lib/xkb
  mount -t tmpfs tmpfs /var/lib/xkb
  export DISPLAY=:8
  Xorg "$DISPLAY" -config "$ROOT/tests/e2e/xorg.conf" -noreset -nolisten tcp -novtswitch \
    -sharevts -logfile "$LOGS/Xorg.log" > "$LOGS/xorg.out" 2>&1 &
  echo $! > "$LOGS/xorg.pid"
  within 300 xdotool getdisplaygeometry > /dev/null 2>&1 || fail "Xorg did not start: $(tail -n 5 "$LOGS/Xorg.log")"
  reader_keyboard() { xinput list --name-only 2> /dev/null | grep -q 'KX12R'; }
  within 300 reader_keyboard || fail "X has no keyboard of the reader: $(xinput list 2>&1)"
  dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately > /dev/null 2>&1 &
    a11y_bus() {
      dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2> /dev/null | grep -q true
    }
    for _ in $(seq 300); do a11y_bus && break; sleep 0.1; done
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$0" > "$1/card-window.out" 2>&1 &
    echo $! > "$1/card-window.pid"
    wait' "$WINDOW_PROGRAM" "$LOGS" > "$LOGS/card-session.out" 2>&1 &
  echo $! > "$LOGS/card-session.pid"
  local window
  window_up() { window="$(xdotool search --onlyvisible --name 'Конфигуратор' 2> /dev/null | head -n 1)"; [ -n "$window" ]; }
  within 600 window_up || fail "the window did not come up: $(cat "$LOGS/card-window.out")"
  # No window manager gives the window the keys: it is given them, as a click would.
  timeout 30 xdotool windowfocus --sync "$window" || fail "the window did not take the keys"
  local pid keyboard verdict
  pid="$(cat "$LOGS/card-window.pid")"
  # Each step waits for what the window shows of it, as a screen reader hears it.
  holds() { /usr/bin/python3 "$ROOT/tests/e2e/window_state.py" "$pid" "$1" "$2" 180 2>> "$LOGS/atspi.err"; }
  holds "Подключенные устройства" showing || fail "the window's device list never showed"
  xdotool mousemove --window "$window" 580 131 click 1   # the card test's tab
  holds "Поле приема" focused || fail "the card test's field never took the keys"
  keyboard="$(function_node r1 keyboard)"

  setxkbmap us
  # Choosing the reader in the device list first: the card still lands in the card test.
  xdotool mousemove --window "$window" 100 32 click 1
  holds "Подключенные устройства" focused || fail "the click on the device list was not taken"
  type_card "$keyboard"
  verdict="$(newest_verdict 1)" || fail "no read reached the log (English layout)"
  [[ "$verdict" == "Совпадает с настройками считывателя: префикс «#K», код «12345678»"* ]] ||
    fail "in the English layout: $verdict"
  setxkbmap ru
  type_card "$keyboard"
  verdict="$(newest_verdict 2)" || fail "no second read reached the log (Russian layout)"
  [[ "$verdict" == "В принимающей программе включена русская раскладка клавиатуры: считыватель набирает «#K12345678<Enter>»"* ]] ||
    fail "in the Russian layout: $verdict"
  /usr/bin/python3 "$ROOT/tests/e2e/window_names.py" "$pid" 2 \
    > "$WORK/names.out" 2>> "$LOGS/atspi.err" ||
    fail "what a screen reader hears: $(cat "$WORK/names.out")"
  import -window root "$OUT/card-test.png"
  return 0
}

# Whatever happened, the next scenarios find the bus as it was.
card_test_cleanup() {
  local name
  for name in card-session card-window xorg; do
    [ -f "$LOGS/$name.pid" ] && kill "$(cat "$LOGS/$name.pid")" 2> /dev/null
  done
  umount /var/lib/xkb 2> /dev/null
  plug r3
}
