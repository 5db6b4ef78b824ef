#!/bin/busybox sh
# The guest's first process: mount the host's root read-only over 9p with writable scratch
# folders on top, the project's folder shown through them wherever it lies, then run the
# scenarios on it. The last line the host looks for is printed by the scenarios; whatever
# happens, the guest powers off.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
for module in $(cat /modules.order); do insmod "/modules/$module" || echo "e2e: insmod $module failed"; done

set -- $(cat /proc/cmdline)
for word; do case "$word" in e2e.root=*) root="${word#e2e.root=}" ;; e2e.out=*) out="${word#e2e.out=}" ;; esac; done

mkdir -p /host
if ! mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144 hostroot /host; then
  echo "E2E-RESULT passed=0 failed=1 (the host's root could not be mounted)"
  poweroff -f
fi
# A second view of the root, kept whole under the scratch folders below.
mkdir -p /whole
mount --bind /host /whole
for dir in run tmp root home var/tmp; do mount -t tmpfs tmpfs "/host/$dir"; done
# A checkout in a home folder or under /tmp would be hidden by them: it is shown again.
mkdir -p "/host$root" 2> /dev/null
mount --bind "/whole$root" "/host$root"
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 out "/host$out"
mount --move /dev /host/dev
mount --move /proc /host/proc
mount --move /sys /host/sys
ln -s /proc/self/fd /host/dev/fd
mkdir -p /host/dev/pts /host/dev/shm
mount -t devpts devpts /host/dev/pts
mount -t tmpfs tmpfs /host/dev/shm

# The host's root becomes the guest's own (udevadm refuses to work in a chroot).
exec switch_root /host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root TERM=dumb \
  /bin/bash -c '/bin/bash "$0/tests/e2e/scenarios.sh" "$0" "$1"; /bin/busybox poweroff -f' \
  "$root" "$out"
