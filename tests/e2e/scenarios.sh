#!/bin/bash
# The end-to-end scenarios, run inside the guest (tests/e2e/init.sh) as root, on this machine's
# root seen read-only: $1 is the project folder, $2 a folder the host reads back afterwards.
# Prints "E2E-PASS name" or "E2E-FAIL name: why" per scenario, then "E2E-RESULT passed=N failed=M".
set -u
ROOT="$1"
OUT="$2"
LOGS="$OUT/logs"
WORK="$OUT/work"
CTL="$ROOT/build/bin/kx12rctl"
WINDOW_PROGRAM="$ROOT/build/bin/kx12r-config"
GADGET_MODEL="$ROOT/build/tests/e2e/kx12r-reader-gadget"
mkdir -p "$LOGS" "$WORK"
export LANG=C.UTF-8 HOME=/root XDG_RUNTIME_DIR=/run/user/0
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
source "$ROOT/tests/e2e/gadgets.sh"

echo "E2E-INFO calibration ${E2E_CALIBRATION_MS} ms, waits scaled by ${E2E_SLOWNESS}"
passed=0
failed=0
# scenario NAME FUNCTION: the function prints why it failed and returns non-zero.
scenario() {
  local started=$SECONDS why
  if why="$("$2" 2>&1)"; then
    echo "E2E-PASS $1 ($((SECONDS - started)) s)"
    passed=$((passed + 1))
  else
    echo "E2E-FAIL $1: $(echo "$why" | tail -n 5 | tr '\n' ' ')"
    echo "$why" > "$LOGS/failed-$1.txt"
    failed=$((failed + 1))
  fi
}
# Each scenario runs in a subshell of its own: a failure ends that scenario only.
fail() { echo "$*"; exit 1; }

# ---- the bus: three controllers with a reader each; QEMU's USB tablet is a HID device of
# another kind beside them
modprobe configfs && mount -t configfs configfs /sys/kernel/config 2> /dev/null
modprobe dummy_hcd num=3 && modprobe libcomposite && modprobe usb_f_hid && modprobe usbhid ||
  { echo "E2E-RESULT passed=0 failed=1 (the kernel's USB gadget modules did not load)"; exit 1; }
/lib/systemd/systemd-udevd --daemon > /dev/null 2>&1
udevadm trigger --action=add > /dev/null 2>&1
mkdir -p /run/udev/rules.d

make_gadget r1 04d8 0002 0184 E2E01 dummy_udc.0 keyboard
make_gadget r2 04d8 00df 0170 E2E02 dummy_udc.1
make_gadget r3 04d8 f6f1 0153 E2E03 dummy_udc.2
for name in r1 r2 r3; do plug "$name"; done
start_model r1 0002 0184
start_model r2 00DF 0170
start_model r3 F6F1 0153
wait_for_readers E2E01 E2E02 E2E03 || echo "the readers did not come up"

PROFILE="$WORK/profile.kxr"
printf 'Variant=8\r\nPrefix=#K\r\nCode_format=3\r\nSuffix=!\r\nEnding=9\r\nbuZzer_off=1\r\nstandAlone=0\r\nRepeat_message=1\r\n\r\n' > "$PROFILE"
is_set_command() { grep -qE '^(56|50|43|53|45|5A|41|52|4E) '; }

list_shows_readers() {
  "$CTL" list --json > "$WORK/list.json" || fail "list ended with $?"
  local got
  got="$(jq -c '[.readers[] | [.product_id, .firmware, .serial, .configurable]]' "$WORK/list.json")"
  [ "$got" = '[["0002","1.84","E2E01",true],["00DF","1.70","E2E02",true],["F6F1","1.53","E2E03",false]]' ] ||
    fail "readers listed: $got"
}

apply_save_identify() {
  # The old reader is passed over: the others are written, and the work is only partly done.
  local status=0
  "$CTL" apply "$PROFILE" --all > "$WORK/apply.out" 2> "$WORK/apply.err" || status=$?
  [ "$status" -eq 1 ] || fail "apply --all ended with $status: $(cat "$WORK/apply.err")"
  grep -qE '^E2E03 +не может быть настроен' "$WORK/apply.out" ||
    fail "apply printed $(cat "$WORK/apply.out")"
  grep -qF 'Считыватель «E2E03» не может быть настроен: версия ПО 1.53, нужна 1.70 или новее.' \
    "$WORK/apply.err" || fail "the old reader was not explained: $(cat "$WORK/apply.err")"
  "$CTL" list --json > "$WORK/list-after.json" || fail "list ended with $?"
  local held
  held="$(jq -c '[.readers[] | select(.configurable) | [.variant, .prefix, .code_format.number, .suffix, .ending.code, .buzzer_off, .stand_alone, .repeat]] | unique' "$WORK/list-after.json")"
  [ "$held" = '[[8,"#K",3,"!",9,true,false,true]]' ] || fail "the readers hold $held"
  received r3 | is_set_command && fail "the old reader was sent a set command"
  rm -f "$WORK/saved.kxr"
  "$CTL" save "$WORK/saved.kxr" --serial E2E02 > /dev/null 2>&1 || fail "save ended with $?"
  cmp "$PROFILE" "$WORK/saved.kxr" || fail "the saved file differs from the applied one"
  "$CTL" identify --serial E2E01 > /dev/null 2>&1 || fail "identify ended with $?"
  [ "$(received r1 | tail -n 1 | cut -c1-2)" = 48 ] || fail "the last report to E2E01 was not H"
}

# The Ansible collection over two gadget readers on the real USB stack: check mode reports the
# change and writes nothing, the first run writes and verifies, the second is ok and writes
# nothing (the readers' report logs prove both), and diff mode shows before and after.
ansible_puts_settings_on_readers() {
  printf 'Variant=8\r\nPrefix=#A\r\nCode_format=3\r\nSuffix=\r\nEnding=13\r\nbuZzer_off=0\r\nstandAlone=0\r\nRepeat_message=0\r\n\r\n' > "$WORK/ansible.kxr"
  printf -- '- hosts: all\n  gather_facts: false\n  tasks:\n    - kx12r.readers.settings:\n        src: %s\n        serial: [E2E01, E2E02]\n        executable: %s\n' \
    "$WORK/ansible.kxr" "$CTL" > "$WORK/site-play.yml"
  mkdir -p "$WORK/ansible-tmp"
  play() {
    ANSIBLE_COLLECTIONS_PATH="$ROOT/ansible" ANSIBLE_LOCAL_TEMP="$WORK/ansible-tmp" \
      ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 ANSIBLE_NOCOLOR=1 PYTHONDONTWRITEBYTECODE=1 \
      ansible-playbook -i localhost, -c local "$@" "$WORK/site-play.yml" 2>&1
  }
  changed() { grep -oE 'localhost +: ok=[0-9]+ +changed=[0-9]+' | grep -oE '[0-9]+$'; }
  sets() { echo $(($(received r1 | grep -cE '^(56|50|43|53|45|5A|41|52|4E) ') + $(received r2 | grep -cE '^(56|50|43|53|45|5A|41|52|4E) '))); }
  local before after out
  before="$(sets)"
  out="$(play --check --diff)"
  [ "$(changed <<< "$out")" = 1 ] || fail "check mode: $out"
  grep -q '#A' <<< "$out" || fail "check mode showed no diff: $out"
  [ "$(sets)" = "$before" ] || fail "check mode wrote to a reader"
  out="$(play)"
  [ "$(changed <<< "$out")" = 1 ] || fail "the first run: $out"
  [ "$(sets)" -gt "$before" ] || fail "the first run wrote nothing"
  [ "$("$CTL" list --json | jq -c '[.readers[] | select(.serial == "E2E01" or .serial == "E2E02") | .prefix] | unique')" = '["#A"]' ] ||
    fail "the readers do not hold the file: $("$CTL" list --json)"
  after="$(sets)"
  out="$(play)"
  [ "$(changed <<< "$out")" = 0 ] || fail "the second run: $out"
  [ "$(sets)" = "$after" ] || fail "the second run wrote to a reader"
}

# A reader plugged in is set from the site's file by kx12r-apply@.service: the udev rule wants the
# unit for that reader by its serial number, and the unit's own command lines (read from the
# unit the build made, the site file and record moved to this test's folder) write the reader,
# read it back, record it and make it beep.
plugged_reader_gets_the_site_file() {
  cp "$ROOT/data/71-kx12r-apply.rules" /run/udev/rules.d/
  local node wants
  node="$(host_node E2E01 config)"
  wants="$(udevadm test --action=add "$(udevadm info -q path -n "$node")" 2>&1 | sed -n 's/^SYSTEMD_WANTS=//p')"
  rm -f /run/udev/rules.d/71-kx12r-apply.rules
  [[ "$wants" == *kx12r-apply@E2E01.service* ]] || fail "the rule wants «$wants» for E2E01"
  printf 'Variant=8\r\nPrefix=#U\r\nCode_format=3\r\nSuffix=\r\nEnding=13\r\nbuZzer_off=0\r\nstandAlone=0\r\nRepeat_message=0\r\n\r\n' > "$WORK/site.kxr"
  local unit="$ROOT/build/data/kx12r-apply@.service" key line
  [ -f "$unit" ] || fail "no unit in the build: $unit"
  for key in ExecStart ExecStartPost; do
    line="$(sed -n "s/^$key=//p" "$unit" | sed -e "s|%I|E2E01|g" -e "s|/etc/kx12r/site.kxr|$WORK/site.kxr|" \
      -e "s|/var/log/kx12r-apply.jsonl|$WORK/plugged.jsonl|")"
    local words
    read -ra words <<< "$line"
    words[0]="$CTL"  # the installed program's place, as the build's
    "${words[@]}" > "$WORK/plugged-$key.out" 2>&1 || fail "$key ended with $?: $(cat "$WORK/plugged-$key.out")"
  done
  [ "$(received r1 | tail -n 1 | cut -c1-2)" = 48 ] || fail "E2E01 did not beep last"
  [ "$("$CTL" list --json | jq -r '.readers[] | select(.serial == "E2E01") | .prefix')" = "#U" ] ||
    fail "E2E01 does not hold the site's file"
  jq -e 'select(.serial == "E2E01" and .result == "written" and .read_back)' "$WORK/plugged.jsonl" > /dev/null ||
    fail "no record of E2E01: $(cat "$WORK/plugged.jsonl" 2>&1)"
}

# Keys typed as boot-keyboard reports on a reader's keyboard interface $1: each key given as
# its modifier byte and usage in hex (02:20 is Shift and 3, "#"), then all keys up. With
# KEY_GAP set, that many seconds pass between keys (X reads them as a person's typing);
# without it the keys come as a reader sends them, in one burst.
type_keys() {
  local node="$1" key
  shift
  for key in "$@"; do
    printf "\\x${key%%:*}\\x00\\x${key#*:}\\x00\\x00\\x00\\x00\\x00" > "$node"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00' > "$node"
    [ -n "${KEY_GAP:-}" ] && sleep "$KEY_GAP"
  done
  return 0
}

# ";123?" then Enter.
type_card_message() { type_keys "$1" 00:33 00:1e 00:1f 00:20 02:38 00:28; }

# start_watch NAME COUNT: watch E2E01 for COUNT messages as JSON into $WORK/NAME.json, in the
# background (its pid in $watcher), once it says it reads the reader: typing before watch has
# the node open is lost, as it would be on a real reader.
start_watch() {
  timeout 60 "$CTL" watch --serial E2E01 --count "$2" --json > "$WORK/$1.json" 2> "$WORK/$1.err" &
  watcher=$!
  watching() { grep -q 'ожидание карты' "$WORK/$1.err"; }
  within 300 watching "$1" || fail "watch never opened the reader: $(cat "$WORK/$1.err")"
}

watch_types_the_message() {
  local keyboard watcher
  keyboard="$(function_node r1 keyboard)"
  # Variant 3: ";", the code, "?" and Enter.
  sed 's/^Variant=8/Variant=3/' "$PROFILE" > "$WORK/variant-3.kxr"
  "$CTL" apply "$WORK/variant-3.kxr" --serial E2E01 > /dev/null 2>&1 || fail "apply ended with $?"
  start_watch watch 1
  while kill -0 "$watcher" 2> /dev/null; do
    type_card_message "$keyboard"
    sleep 1
  done
  wait "$watcher" || fail "watch ended with $?: $(cat "$WORK/watch.err")"
  grep -q '";123?' "$WORK/watch.json" || fail "watch printed $(cat "$WORK/watch.json")"
  grep -q 'ж123,' "$WORK/watch.json" || fail "no Russian-layout text in $(cat "$WORK/watch.json")"
}

# A reader set to end with Tab while watch runs: the message is judged against the new settings.
watch_follows_a_reader_set_anew() {
  local keyboard watcher
  keyboard="$(function_node r1 keyboard)"
  printf 'Variant=8\r\nPrefix=#K\r\nCode_format=10\r\nSuffix=\r\nEnding=13\r\nbuZzer_off=0\r\nstandAlone=0\r\nRepeat_message=0\r\n\r\n' > "$WORK/enter.kxr"
  sed 's/^Ending=13/Ending=9/' "$WORK/enter.kxr" > "$WORK/tab.kxr"
  "$CTL" apply "$WORK/enter.kxr" --serial E2E01 > /dev/null 2>&1 || fail "apply (Enter) ended with $?"
  start_watch anew 2
  "$CTL" apply "$WORK/tab.kxr" --serial E2E01 > /dev/null 2>&1 || fail "apply (Tab) ended with $?"
  local round
  for round in 1 2 3 4 5; do
    kill -0 "$watcher" 2> /dev/null || break
    type_keys "$keyboard" 02:20 02:0e 00:20 00:27 00:25 00:26 00:1e 00:2b # #K30891 Tab
    sleep 2
  done
  wait "$watcher" || fail "watch ended with $?: $(cat "$WORK/anew.err")"
  [ "$(grep -c '"verdict":"matches"' "$WORK/anew.json")" = 2 ] ||
    fail "not judged against the new ending: $(cat "$WORK/anew.json")"
  grep -q '"card":30891' "$WORK/anew.json" || fail "no card decoded: $(cat "$WORK/anew.json")"
  tail -n 1 "$WORK/anew.json" | grep -q '"ending":"Tab"' ||
    fail "the second message did not end at its Tab: $(cat "$WORK/anew.json")"
}

unplugged_in_the_middle_of_apply() {
  stop_model r1
  : > "$LOGS/r1.log"
  start_model r1 0002 0184 --unplug-after 3 "$GADGETS/r1/UDC"
  sleep 0.5
  local started=$SECONDS status
  timeout 60 "$CTL" apply "$PROFILE" --serial E2E01 > "$WORK/unplug.out" 2> "$WORK/unplug.err"
  status=$?
  [ "$status" != 124 ] || fail "apply did not end within 60 s"
  [ $((SECONDS - started)) -le 15 ] || fail "apply took $((SECONDS - started)) s"
  [ "$status" = 1 ] || fail "apply ended with $status: $(cat "$WORK/unplug.err")"
  grep -q 'прерван' "$WORK/unplug.out" || fail "apply printed $(cat "$WORK/unplug.out")"
  [ "$(received r1 | wc -l)" = 3 ] || fail "E2E01 received $(received r1 | wc -l) reports"
  wait_gone E2E01 || fail "the unplugged reader's node stayed"
  "$CTL" list --json > "$WORK/list-unplugged.json"
  [ "$(jq -c '[.readers[].serial]' "$WORK/list-unplugged.json")" = '["E2E02","E2E03"]' ] ||
    fail "listed after unplugging: $(jq -c '[.readers[].serial]' "$WORK/list-unplugged.json")"
  plug r1
  start_model r1 0002 0184 || fail "the model of E2E01 did not start"
  wait_for_readers E2E01 || fail "the reader plugged back has no node"
  "$CTL" list --json > "$WORK/list-back.json"
  [ "$(jq -c '[.readers[].serial] | sort' "$WORK/list-back.json")" = '["E2E01","E2E02","E2E03"]' ] ||
    fail "listed after plugging back: $(jq -c '[.readers[].serial]' "$WORK/list-back.json")"
}

# A reader listed while udev still holds its node (its event queue stopped for a second) is
# waited for, not reported missing.
listed_while_udev_is_busy() {
  unplug r2
  wait_gone E2E02 || fail "the unplugged reader's node stayed"
  udevadm control --stop-exec-queue
  plug r2
  within 200 has_node E2E02 || { udevadm control --start-exec-queue; fail "no node for the plugged reader"; }
  [ ! -e "$(udev_record "$(host_node E2E02 config)")" ] || fail "udev was done before the listing"
  "$CTL" list --json > "$WORK/list-busy.json" &
  local lister=$!
  sleep 1
  udevadm control --start-exec-queue
  wait "$lister" || fail "list ended with $?"
  jq -e '[.readers[].serial] | index("E2E02")' "$WORK/list-busy.json" > /dev/null ||
    fail "listed while udev was busy: $(jq -c '[.readers[].serial]' "$WORK/list-busy.json")"
}

# A reader whose firmware answers only two seconds after it appears is still listed.
late_reader_is_listed() {
  stop_model r2
  unplug r2
  wait_gone E2E02 || fail "the unplugged reader's node stayed"
  plug r2
  start_model r2 00DF 0170 --silent-ms 2000
  wait_for_readers E2E02 || fail "no node for the plugged reader"
  "$CTL" list --json > "$WORK/list-late.json"
  jq -e '.readers[] | select(.serial == "E2E02" and .configurable)' "$WORK/list-late.json" > /dev/null ||
    fail "the late reader was not listed as configurable: $(cat "$WORK/list-late.json")"
}

# Station mode: the readers present are done at once, one plugged in meanwhile as soon as udev
# announces it, each once, and only the ones that hold the file get the signal (H).
station_configures_each_plugged_reader() {
  stop_model r2
  unplug r2
  wait_gone E2E02 || fail "the unplugged reader's node stayed"
  local sets_before
  sets_before="$(received r1 | grep -c '^50 ')"
  timeout 120 "$CTL" apply "$PROFILE" --each --count 3 --json > "$WORK/station.json" 2> "$WORK/station.err" &
  local station=$!
  within 300 grep -q E2E03 "$WORK/station.json" || fail "the readers present were not done: $(cat "$WORK/station.err")"
  plug r2
  start_model r2 00DF 0170 || fail "the model of E2E02 did not start"
  local plugged=$SECONDS status=0
  wait "$station" || status=$?
  [ "$status" = 1 ] || fail "the station ended with $status (the old reader makes it 1): $(cat "$WORK/station.err")"
  [ $((SECONDS - plugged)) -le 20 ] || fail "the plugged reader took $((SECONDS - plugged)) s"
  [ "$(jq -sc '[.[] | [.serial, .result]]' "$WORK/station.json")" = \
    '[["E2E01","written"],["E2E03","not_configurable"],["E2E02","written"]]' ] ||
    fail "the station printed $(cat "$WORK/station.json")"
  [ "$(received r1 | grep -c '^50 ')" = $((sets_before + 1)) ] || fail "E2E01 was written more than once"
  [ "$(received r2 | tail -n 1 | cut -c1-2)" = 48 ] || fail "the last report to E2E02 was not H"
  received r3 | grep -q '^48 ' && fail "the old reader got the signal"
  return 0
}

access_needs_the_rule() {
  setpriv --reuid=65534 --regid=65534 --clear-groups "$CTL" identify --serial E2E01 > /dev/null 2> "$WORK/denied.err"
  local status=$?
  [ "$status" = 3 ] || fail "identify as a user ended with $status"
  grep -q 'не разрешает программе доступ' "$WORK/denied.err" || fail "the user was told: $(cat "$WORK/denied.err")"
  grep -q '70-kx12r.rules' "$WORK/denied.err" || fail "the message names no rule: $(cat "$WORK/denied.err")"
  cp "$ROOT/data/70-kx12r.rules" /run/udev/rules.d/
  udevadm control --reload
  udevadm trigger --action=change --subsystem-match=hidraw
  udevadm settle --timeout=120 || fail "udev did not finish applying the rule"
  local serial node tags others=0
  for serial in E2E01 E2E02 E2E03; do
    node="$(host_node "$serial" config)"
    tags="$(udevadm info -q property "$node" | sed -n 's/^TAGS=//p')"
    [[ "$tags" == *:uaccess:* ]] || fail "$serial's configuration node is not tagged: $tags"
  done
  for node in /dev/hidraw*; do
    case "$node" in "$(host_node E2E01 config)" | "$(host_node E2E02 config)" | "$(host_node E2E03 config)") continue ;; esac
    others=$((others + 1))
    tags="$(udevadm info -q property "$node" | sed -n 's/^TAGS=//p')"
    [[ "$tags" != *:uaccess:* ]] || fail "$node (not a configuration interface) is tagged uaccess"
  done
  [ "$others" -ge 2 ] || fail "the keyboard interface and the tablet have no nodes"
  rm -f /run/udev/rules.d/70-kx12r.rules
  udevadm control --reload
}

scenario list_shows_readers list_shows_readers
scenario apply_save_identify apply_save_identify
scenario ansible_puts_settings_on_readers ansible_puts_settings_on_readers
scenario plugged_reader_gets_the_site_file plugged_reader_gets_the_site_file
scenario watch_types_the_message watch_types_the_message
scenario watch_follows_a_reader_set_anew watch_follows_a_reader_set_anew
scenario unplugged_in_the_middle_of_apply unplugged_in_the_middle_of_apply
scenario listed_while_udev_is_busy listed_while_udev_is_busy
scenario late_reader_is_listed late_reader_is_listed
scenario station_configures_each_plugged_reader station_configures_each_plugged_reader
scenario access_needs_the_rule access_needs_the_rule
source "$ROOT/tests/e2e/window.sh"
scenario window_over_real_readers window_over_real_readers
source "$ROOT/tests/e2e/card_test.sh"
scenario card_test_in_both_layouts card_test_in_both_layouts
card_test_cleanup

echo "E2E-RESULT passed=$passed failed=$failed"
