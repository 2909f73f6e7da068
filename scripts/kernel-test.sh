#!/usr/bin/env bash
# The programs against a wheel in the Linux kernel: boots the distribution's kernel in qemu with
# an initramfs made here (busybox and the HID, uhid, virtio and 9p modules), mounts this
# machine's root read-only over 9p, runs tarvo-uhid-wheel (the virtual wheel as a kernel HID
# device) and the real programs through hidraw and hidapi, and powers off.
#
#   scripts/kernel-test.sh [BUILD_DIR]      (default: build)
#
# Exit 0 when every scenario passed, 1 when one failed or the guest did not boot, 77 when qemu,
# the kernel or busybox is missing (1 under CI=true). TARVO_KERNEL_ACCEL=kvm|tcg skips the probe.
set -euo pipefail

guest_timeout=180 # the whole guest, boot to power-off; a run takes well under two minutes
markers="TARVO-GUEST"

# ---------------------------------------------------------------- inside the guest

guest_main() {
    set +e
    local build=$1 src=$2
    export HOME=/tmp/home XDG_CONFIG_HOME=/tmp/home/config XDG_RUNTIME_DIR=/tmp/runtime TMPDIR=/tmp
    export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="tarvoset.input.debug=false"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    ctl=$build/cli/tarvoctl
    uhid=$build/virtualwheel/tarvo-uhid-wheel
    failures=0
    declare -gA wheel_in wheel_out

    # A second wheel, plugged in first, so that enumeration lists it before the 2007 wheel.
    start_wheel KTR2 200a ktr2
    start_wheel R-VELO 2007 rvelo

    # name | exit code | what the output must match (extended regexes joined by " && ") | command
    scenario "list shows both wheels with hidraw paths" 0 \
        '^2007  /dev/hidraw[0-9]+  R-VELO$ && ^200a  /dev/hidraw[0-9]+  KTR2$' "$ctl" list
    scenario "info opens the first product id and reads every setting" 0 \
        '^product-id: 2007$ && ^battery: 87%$ && ^firmware: 	Aug  3 2023,14:05$ && ^pulse-width: 100$ && ^leds: (#ffffff ){47}#ffffff$' \
        "$ctl" info
    scenario "set --save" 0 '^paddle-mode: 131$' "$ctl" set --save pulse-width=60 paddle=right bite-point=30
    scenario "info shows the change" 0 '^pulse-width: 60$ && ^bite-point: 30$' "$ctl" info
    scenario "the wheel stored it" 0 '"flash":\{[^}]*"paddleMode":131,"pulseWidth":60' tell rvelo state
    scenario "backup" 0 '' "$ctl" backup /tmp/profile.json
    scenario "change after the backup" 0 '^pulse-width: 200$' "$ctl" set --save pulse-width=200 paddle=off
    scenario "restore gives the backed-up state" 0 '' "$ctl" restore /tmp/profile.json
    scenario "the wheel holds it again" 0 \
        '"flash":\{[^}]*"paddleMode":131,"pulseWidth":60 && "live":\{[^}]*"paddleMode":131,"pulseWidth":60' tell rvelo state
    scenario "clear-flash" 0 '' "$ctl" --yes clear-flash
    scenario "the flash is factory-new" 0 '"flash":\{[^}]*"paddleMode":50,"pulseWidth":100' tell rvelo state

    flash_full_image
    unplug_during_info
    permissions "$src"

    scenario "the window: two wheels, inputs, LED save, unplug, transfer cut" 0 '' \
        env TARVO_WHEEL_CONTROL=rvelo TARVO_SECOND_WHEEL_CONTROL=ktr2 "$build/tests/kernel/tst_kernelwindow"

    echo "$markers-RESULT failures=$failures"
}

start_wheel() { # model, product id, name: the control socket's, and the pipes' to its stdin and stdout
    mkfifo "/tmp/$3.in" "/tmp/$3.out"
    "$uhid" --virtual-wheel "$1" --virtual-wheel-pid "$2" --wheel-control "$3" --control-stdin \
        <"/tmp/$3.in" >"/tmp/$3.out" &
    exec {fd}>"/tmp/$3.in"
    wheel_in[$3]=$fd
    exec {fd}<"/tmp/$3.out"
    wheel_out[$3]=$fd
    local i
    for i in $(seq 100); do
        ls /sys/bus/hid/devices/0003:7E57:"${2^^}".*/hidraw/ >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "FAIL the $1 wheel did not appear"
    failures=$((failures + 1))
}

tell() { # wheel name, command...: the answer line
    local answer
    echo "${*:2}" >&"${wheel_in[$1]}"
    read -r -t 30 answer <&"${wheel_out[$1]}"
    echo "$answer"
    [ "${answer#error}" = "$answer" ]
}

# Runs one case: the exit code must match, and the output (stdout and stderr) every pattern, or
# with a leading "!" must not match it. No command may take more than a minute and a half.
scenario() { # name, exit code, patterns, command...
    local name=$1 code=$2 patterns=$3 output rc=0 ok=1 pattern started
    shift 3
    started=$(date +%s.%N)
    if declare -F "$1" >/dev/null; then
        output=$("$@" 2>&1) || rc=$?
    else
        output=$(timeout 90 "$@" 2>&1) || rc=$?
    fi
    [ "$rc" -eq "$code" ] || ok=0
    while [ -n "$patterns" ]; do
        pattern=${patterns%% && *}
        [ "$pattern" = "$patterns" ] && patterns= || patterns=${patterns#* && }
        if [ "${pattern:0:1}" = "!" ]; then
            grep -Eq -- "${pattern:1}" <<<"$output" && ok=0
        else
            grep -Eq -- "$pattern" <<<"$output" || ok=0
        fi
    done
    if [ $ok -eq 1 ]; then
        echo "ok   $name ($(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f s", b - a }'))"
    else
        echo "FAIL $name (exit $rc, expected $code; patterns $3)"
        sed 's/^/     | /' <<<"$output" | tail -40
        failures=$((failures + 1))
    fi
}

flash_full_image() {
    head -c 229376 /dev/urandom >/tmp/full.bin
    local md5 start end user system
    md5=$(md5sum /tmp/full.bin | cut -d' ' -f1)
    start=$(date +%s.%N)
    scenario "flash of a 229,376-byte image" 0 'progress 100%' \
        bash -c 'TIMEFORMAT="%U %S"; { time "$0" --yes flash /tmp/full.bin 2>&1; } 2>/tmp/flash.cpu' "$ctl"
    end=$(date +%s.%N)
    scenario "every block in order, then the end frame" 0 \
        "\"firmware\":\\{\"blocks\":14336,\"complete\":true,\"inOrder\":true,\"md5\":\"$md5\",\"size\":229376\\}" \
        tell rvelo state
    read -r user system </tmp/flash.cpu
    awk -v u="$user" -v s="$system" -v a="$start" -v b="$end" 'BEGIN {
        printf "BENCHMARK flash over hidraw: %.1f us of processor time per block (tarvoctl: user %.1f s, system %.1f s), " \
               "wall %.1f s for 14336 blocks, of which 4 s the wheel'"'"'s writing pause\n", (u + s) * 1e6 / 14336, u, s, b - a }'
}

unplug_during_info() {
    # Slow transfers, so that the unplug lands while info is reading.
    tell rvelo "latency 100" >/dev/null
    "$ctl" info >/tmp/info.out 2>&1 &
    local pid=$! i rc=0
    for i in $(seq 400); do
        ls -l /proc/$pid/fd 2>/dev/null | grep -q hidraw && break
        sleep 0.05
    done
    sleep 0.5
    tell rvelo unplug >/dev/null
    wait $pid || rc=$?
    scenario "unplug during info: exit 1 and the reason" 0 "^exit 1: .*reading the .* from the wheel failed" \
        bash -c "echo exit $rc: \$(cat /tmp/info.out)"
    tell rvelo "latency 0" >/dev/null
    tell rvelo plug >/dev/null
}

permissions() { # source folder
    local node as_nobody i
    for i in $(seq 50); do # the node of the wheel plugged in again
        node=$(basename "$(ls -d /sys/bus/hid/devices/0003:7E57:2007.*/hidraw/hidraw* 2>/dev/null | head -1)")
        [ -e "/dev/$node" ] && break
        sleep 0.1
    done
    mkdir -p /tmp/nobody && chown 65534:65534 /tmp/nobody && chmod 700 /tmp/nobody
    as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups
        env HOME=/tmp/nobody XDG_CONFIG_HOME=/tmp/nobody XDG_RUNTIME_DIR=/tmp/nobody)
    scenario "unprivileged list: present, not openable, the udev rule" 0 \
        "^2007  /dev/$node  No permission to open /dev/$node .*udev rule 70-tarvoset.rules" "${as_nobody[@]}" "$ctl" list
    scenario "unprivileged info: no wheel, and why" 3 "No permission to open /dev/$node" "${as_nobody[@]}" "$ctl" info
    scenario "unprivileged window: the reason in its log and on pbStatus" 0 \
        "tarvoset.device: No permission to open /dev/$node .*70-tarvoset.rules" "${as_nobody[@]}" \
        TARVO_EXPECT_NO_PERMISSION=1 "$build/tests/kernel/tst_kernelwindow" waitsWithoutPermission
    # udevadm test keeps the tags it computed under /run/udev: the case without the rule first.
    scenario "without the rule the node gets no uaccess tag" 0 '!^TAGS=.*:uaccess:' udevadm test "/sys/class/hidraw/$node"
    mkdir -p /run/udev/rules.d
    cp "$1/packaging/linux/70-tarvoset.rules" /run/udev/rules.d/
    scenario "with the packaged rule the node gets the uaccess tag" 0 '^TAGS=.*:uaccess:' \
        udevadm test "/sys/class/hidraw/$node"
    rm /run/udev/rules.d/70-tarvoset.rules
}

if [ "${1:-}" = "--guest" ]; then
    guest_main "$2" "$3"
    exit 0
fi

# ---------------------------------------------------------------- on the host

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)

kernel=$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -1 || true)
release=${kernel#/boot/vmlinuz-}
missing=()
command -v qemu-system-x86_64 >/dev/null || missing+=(qemu-system-x86)
{ [ -r "$kernel" ] && [ -f "/lib/modules/$release/modules.dep" ]; } || missing+=(linux-image-amd64)
{ [ -x /bin/busybox ] && ! ldd /bin/busybox >/dev/null 2>&1; } || missing+=(busybox-static)
command -v udevadm >/dev/null || missing+=(udev)
if [ ${#missing[@]} -gt 0 ]; then
    echo "kernel-test: cannot boot the test guest; install: apt-get install ${missing[*]}" >&2
    [ "${CI:-}" = "true" ] && exit 1
    exit 77
fi
for program in cli/tarvoctl virtualwheel/tarvo-uhid-wheel tests/kernel/tst_kernelwindow; do
    [ -x "$build/$program" ] || { echo "kernel-test: $build/$program is not built" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/initramfs
mkdir -p "$root"/{bin,sbin,usr/bin,usr/sbin,proc,sys,dev,host,modules}
cp /bin/busybox "$root/bin/busybox"

# The modules and what they need, each after its dependencies (modules.dep).
moddir=/lib/modules/$release
declare -A seen=()
order=()
add_module() { # path relative to moddir
    [ -n "${seen[$1]:-}" ] && return
    seen[$1]=1
    local dep
    for dep in $(grep -m1 "^$1:" "$moddir/modules.dep" | cut -d: -f2); do add_module "$dep"; done
    order+=("$1")
}
for name in virtio_pci 9pnet_virtio 9p uhid hid-generic; do
    path=$(grep -Em1 "(^|/)$name\\.ko(\\.[a-z]+)?:" "$moddir/modules.dep" | cut -d: -f1)
    [ -n "$path" ] || { echo "kernel-test: module $name not in $moddir" >&2; exit 1; }
    add_module "$path"
done
for path in "${order[@]}"; do
    target=$root/modules/$(basename "${path%.xz}")
    target=${target%.zst}
    case $path in
    *.xz) xz -dc "$moddir/$path" >"$target" ;;
    *.zst) zstd -qdc "$moddir/$path" >"$target" ;;
    *) cp "$moddir/$path" "$target" ;;
    esac
    basename "$target" >>"$root/modules/order"
done

cat >"$root/init" <<EOF
#!/bin/busybox sh
/bin/busybox --install -s
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in \$(cat /modules/order); do insmod /modules/\$m || echo "insmod \$m failed"; done
echo "$markers-UP"
if grep -q tarvo.probe /proc/cmdline; then poweroff -f; fi
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000,cache=loose hostroot /host
for d in tmp run; do mount -t tmpfs tmpfs /host/\$d; done
mount -t devtmpfs dev /host/dev
mount -t proc proc /host/proc
mount -t sysfs sys /host/sys
chroot /host /bin/bash "$src/scripts/kernel-test.sh" --guest "$build" "$src"
echo "$markers-EXIT \$?"
poweroff -f
EOF
chmod +x "$root/init"
(cd "$root" && find . | /bin/busybox cpio -o -H newc 2>/dev/null) >"$work/initramfs.cpio"

run_guest() { # accel, seconds, extra kernel arguments
    # One vCPU: without KVM, each feature report's round trip between two processes on two
    # vCPUs costs inter-processor interrupts, and a full flash took six times as long.
    local cpu=max
    [ "$1" = kvm ] && cpu=host
    timeout --kill-after=5 "$2" qemu-system-x86_64 -machine pc -accel "$1" -cpu "$cpu" -smp 1 -m 1536 \
        -nodefaults -no-user-config -display none -serial stdio -no-reboot \
        -kernel "$kernel" -initrd "$work/initramfs.cpio" -append "console=ttyS0 quiet panic=-1 $3" \
        -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap </dev/null
}

# KVM where it really runs a guest: in some nested set-ups /dev/kvm opens and then no vCPU runs.
accel=${TARVO_KERNEL_ACCEL:-}
if [ -z "$accel" ]; then
    accel=tcg
    if [ -r /dev/kvm ] && [ -w /dev/kvm ] && run_guest kvm 8 tarvo.probe 2>/dev/null | grep -q "$markers-UP"; then
        accel=kvm
    fi
fi
echo "kernel-test: $(basename "$kernel") under ${accel^^}, load average $(cut -d' ' -f1-3 /proc/loadavg)"
started=$(date +%s)
run_guest "$accel" "$guest_timeout" "" 2>&1 | tee "$work/console.log" | grep --line-buffered -v "^\[" || true
echo "kernel-test: guest ran $(($(date +%s) - started)) s"

if ! grep -q "$markers-UP" "$work/console.log"; then
    echo "kernel-test: the guest did not boot" >&2
    exit 1
fi
if ! grep -q "$markers-RESULT failures=0" "$work/console.log"; then
    grep -q "$markers-EXIT" "$work/console.log" || echo "kernel-test: the guest did not finish within ${guest_timeout} s" >&2
    exit 1
fi
