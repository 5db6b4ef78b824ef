# Readers on the guest's own USB bus: each is a configfs gadget on a dummy_hcd controller with
# the configuration interface (vendor-defined, 64-byte reports) and, where asked, the keyboard
# interface (boot keyboard, 8-byte reports), as a KX12R has. The kernel's f_hid gives at most
# four HID functions in all. Sourced by scenarios.sh.

GADGETS=/sys/kernel/config/usb_gadget

# Usage page FF00, one collection, 64 input and 64 output bytes without report ids.
CONFIG_DESCRIPTOR='\x06\x00\xff\x09\x01\xa1\x01\x15\x00\x26\xff\x00\x75\x08\x95\x40\x09\x01\x81\x02\x95\x40\x09\x01\x91\x02\xc0'
# The boot keyboard's report descriptor (USB HID 1.11, appendix B.1).
KEYBOARD_DESCRIPTOR='\x05\x01\x09\x06\xa1\x01\x05\x07\x19\xe0\x29\xe7\x15\x00\x25\x01\x75\x01\x95\x08\x81\x02\x95\x01\x75\x08\x81\x03\x95\x05\x75\x01\x05\x08\x19\x01\x29\x05\x91\x02\x95\x01\x75\x03\x91\x03\x95\x06\x75\x08\x15\x00\x25\x65\x05\x07\x19\x00\x29\x65\x81\x00\xc0'

# make_gadget NAME VENDOR PRODUCT RELEASE SERIAL CONTROLLER [keyboard]
make_gadget() {
  local g="$GADGETS/$1"
  mkdir "$g"
  echo "0x$2" > "$g/idVendor"
  echo "0x$3" > "$g/idProduct"
  echo "0x$4" > "$g/bcdDevice"
  echo 0x0200 > "$g/bcdUSB"
  mkdir "$g/strings/0x409"
  echo "$5" > "$g/strings/0x409/serialnumber"
  echo "KX12R USB Proximity Reader" > "$g/strings/0x409/product"
  echo "Test Bench" > "$g/strings/0x409/manufacturer"
  mkdir -p "$g/configs/c.1"
  echo 100 > "$g/configs/c.1/MaxPower"
  add_function "$g" config 0 0 64 "$CONFIG_DESCRIPTOR"
  [ "${7:-}" = keyboard ] && add_function "$g" keyboard 1 1 8 "$KEYBOARD_DESCRIPTOR"
  echo "$6" > "$LOGS/$1.controller"
}

# add_function GADGET NAME PROTOCOL SUBCLASS LENGTH DESCRIPTOR
add_function() {
  local f="$1/functions/hid.$2"
  mkdir "$f"
  echo "$3" > "$f/protocol"
  echo "$4" > "$f/subclass"
  echo "$5" > "$f/report_length"
  printf "$6" > "$f/report_desc"
  ln -s "$f" "$1/configs/c.1/"
}

# The controller each gadget is plugged into is kept in the logs folder.
plug() { cat "$LOGS/$1.controller" > "$GADGETS/$1/UDC"; }
unplug() { echo "" > "$GADGETS/$1/UDC"; }

# The gadget side's node of a function: /dev/hidgN.
function_node() {
  local dev
  dev="$(cat "$GADGETS/$1/functions/hid.$2/dev")"
  echo "/dev/$(sed -n 's/^DEVNAME=//p' "/sys/dev/char/$dev/uevent")"
}

# The host side's node of a gadget's function, once the kernel has made it: /dev/hidrawN.
# FUNCTION is config or keyboard, told apart by the report descriptor.
host_node() {
  local serial="$1" want="$2" node descriptor
  for node in /sys/class/hidraw/hidraw*; do
    [ -e "$node" ] || continue
    grep -qx "HID_UNIQ=$serial" "$node/device/uevent" 2> /dev/null || continue
    descriptor="$(od -An -tx1 -N4 "$node/device/report_descriptor" | tr -d ' \n')"
    if [ "$want" = keyboard ] && [ "$descriptor" = 05010906 ]; then echo "/dev/${node##*/}"; fi
    if [ "$want" = config ] && [ "$descriptor" != 05010906 ]; then echo "/dev/${node##*/}"; fi
  done
}

# udev's record of a device node: there once udev has finished with it.
udev_record() {
  local numbers
  numbers="$(stat -c '%t %T' "$1")" || return 1
  echo "/run/udev/data/c$((16#${numbers% *})):$((16#${numbers#* }))"
}

# How many times slower than the reference guest this one runs (at least 1): a fixed piece of
# work timed once, so that every wait's limit grows with the emulator's speed on this host. The
# reference is the work's time in the software-emulated guest on an idle two-core host.
E2E_REFERENCE_MS=4000
calibrate() {
  local start=${EPOCHREALTIME/./} i
  for ((i = 0; i < 200000; i++)); do :; done
  E2E_CALIBRATION_MS=$(((${EPOCHREALTIME/./} - start) / 1000))
  E2E_SLOWNESS=$(((E2E_CALIBRATION_MS + E2E_REFERENCE_MS / 2) / E2E_REFERENCE_MS))
  [ "$E2E_SLOWNESS" -ge 1 ] || E2E_SLOWNESS=1
}
calibrate

# Waits up to `tenths` tenths of a second (times the guest's slowness) for a command to succeed.
within() {
  local tenths=$(($1 * E2E_SLOWNESS))
  shift
  for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
  "$@"
}

has_node() { [ -n "$(host_node "$1" config)" ]; }
recorded_by_udev() { has_node "$1" && [ -e "$(udev_record "$(host_node "$1" config)")" ]; }

# Waits until udev has recorded the host node of every given serial's configuration interface.
wait_for_readers() {
  local serial
  for serial; do
    within 600 recorded_by_udev "$serial" || { echo "no udev record for the reader $serial" >&2; return 1; }
  done
}

# wait_gone SERIAL: the host no longer has the reader's node, and udev has dropped its record
# (a reader plugged again soon may get the same node).
wait_gone() {
  local record=/nonexistent
  has_node "$1" && record="$(udev_record "$(host_node "$1" config)")"
  gone() { ! has_node "$1" && [ ! -e "$2" ]; }
  within 300 gone "$1" "$record"
}

# The gadget side's node of a function is there: the gadget is plugged and the kernel has made
# the node, which a busy machine may take a while to do.
function_ready() {
  local node
  node="$(function_node "$1" "$2" 2> /dev/null)" && [ -c "$node" ]
}

# start_model NAME PRODUCT RELEASE [options of kx12r-reader-gadget]: the model answers on the
# gadget's configuration function, once the plugged gadget has its node; its log is
# $LOGS/NAME.log.
start_model() {
  local name="$1" product="$2" release="$3"
  shift 3
  within 300 function_ready "$name" config || { echo "no gadget node for $name" >&2; return 1; }
  "$GADGET_MODEL" "$(function_node "$name" config)" "$LOGS/$name.log" \
    --product "$product" --version "$release" "$@" >> "$LOGS/$name.out" 2>&1 &
  echo $! > "$LOGS/$name.pid"
}

stop_model() {
  [ -f "$LOGS/$1.pid" ] && kill "$(cat "$LOGS/$1.pid")" 2> /dev/null
  rm -f "$LOGS/$1.pid"
}

# The reports a model has received so far, as lines of hex.
received() { grep '^<' "$LOGS/$1.log" 2> /dev/null | cut -c3-; }
