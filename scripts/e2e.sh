#!/usr/bin/env bash
# The end-to-end suite: the built programs against the kernel's real USB and HID stack. A QEMU
# guest boots Debian's kernel, sees this machine's root read-only over 9p, and runs
# tests/e2e/scenarios.sh there: dummy_hcd controllers with configfs HID gadgets as readers, a
# reader model answering on each /dev/hidgN. One line per scenario, then a count; exit 1 on any
# failure. The suite runs twice: on an idle host, then with one host core kept busy beside it
# (stress-ng --cpu 1), since a suite that fails on a busy machine teaches people to ignore it.
# Logs and the window's screenshots land in build/e2e/ and build/e2e-busy/.
#   scripts/e2e.sh            the whole suite, idle and busy
#   E2E_BUSY=0                the idle run only
#   E2E_TIMEOUT=SECONDS       each guest's time limit (default 900)
#   E2E_KVM=1                 with KVM where /dev/kvm works
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(qemu-system-x86 linux-image-amd64 busybox-static kmod xvfb xdotool imagemagick udev jq
  xserver-xorg-core xserver-xorg-video-dummy xserver-xorg-input-libinput x11-xkb-utils xinput
  at-spi2-core python3-pyatspi dbus stress-ng ansible-core)
install_missing_packages
build kx12rctl kx12r-config kx12r-reader-gadget

# run_guest NAME: boots the guest with its output in build/NAME/ and prints its result lines;
# true when every scenario passed.
run_guest() {
  local OUT="$BUILD_DIR/$1"
  rm -rf "$OUT"
  mkdir -p "$OUT"/initramfs/{bin,modules,proc,sys,dev}

  # The newest installed kernel that has its modules here; the guest loads them from this root.
  local kernel="" candidate
  for candidate in $(ls -v /boot/vmlinuz-* 2>/dev/null); do
    [ -d "/lib/modules/${candidate#/boot/vmlinuz-}" ] && kernel="$candidate"
  done
  [ -n "$kernel" ] || { echo "e2e: no kernel with modules under /boot" >&2; return 1; }
  local release="${kernel#/boot/vmlinuz-}"

  # Only what mounting the host's root needs goes into the initramfs.
  local initramfs="$OUT/initramfs" module path
  cp /bin/busybox "$initramfs/bin/busybox"
  cp "$ROOT/tests/e2e/init.sh" "$initramfs/init"
  for module in virtio_pci 9pnet_virtio 9p; do
    modprobe -S "$release" --show-depends "$module" | awk '$1 == "insmod" { print $2 }'
  done | awk '!seen[$0]++' | while read -r path; do
    cp "$path" "$initramfs/modules/"
    basename "$path" >> "$initramfs/modules.order"
  done
  (cd "$initramfs" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1) > "$OUT/initramfs.cpio.gz"

  # The guest finds the project and the output folder by their real paths, through no link.
  local root out
  root="$(cd "$ROOT" && pwd -P)"
  out="$(cd "$OUT" && pwd -P)"

  local accel=(-accel tcg,thread=multi)
  # KVM only when asked for: some machines offer a /dev/kvm that never starts a guest.
  [ "${E2E_KVM:-0}" = 1 ] && accel=(-accel kvm "${accel[@]}")
  local console="$OUT/console.log" status=0
  echo "e2e: $1: booting $release in QEMU (${accel[1]%%,*}); console in $console"
  timeout "${E2E_TIMEOUT:-900}" qemu-system-x86_64 "${accel[@]}" -m 2048 -smp 2 \
    -nographic -no-reboot -monitor none -serial stdio -nic none -usb -device usb-tablet \
    -kernel "$kernel" -initrd "$OUT/initramfs.cpio.gz" \
    -append "console=ttyS0 panic=-1 quiet loglevel=3 e2e.root=$root e2e.out=$out" \
    -virtfs "local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap" \
    -virtfs "local,path=$out,mount_tag=out,security_model=none" \
    < /dev/null > "$console" 2>&1 || status=$?
  [ "$status" -eq 124 ] && echo "e2e: $1: the guest did not finish within ${E2E_TIMEOUT:-900} s" >&2

  # QEMU's own exit status says nothing about the scenarios: the guest's lines do.
  tr -d '\r' < "$console" | grep -oE 'E2E-(INFO|PASS|FAIL|RESULT).*' || true
  local result
  result="$(tr -d '\r' < "$console" | grep -E '^E2E-RESULT' | tail -n 1)"
  [[ "$result" =~ passed=([0-9]+)\ failed=0$ ]] && [ "${BASH_REMATCH[1]}" -gt 0 ] && return 0
  echo "e2e: $1: FAILED; the guest's console is in $console" >&2
  return 1
}

failed=0
run_guest e2e || failed=1
if [ "${E2E_BUSY:-1}" = 1 ]; then
  stress-ng --cpu 1 --quiet &
  busy=$!
  trap 'kill "$busy" 2> /dev/null' EXIT
  run_guest e2e-busy || failed=1
fi
exit "$failed"
