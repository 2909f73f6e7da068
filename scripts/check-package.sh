#!/usr/bin/env bash
# Builds the Debian package from a configured build tree and checks it: its name and
# dependencies, the desktop entry and AppStream metadata, lintian, its file list, the programs
# started from a throwaway root, the maintainer scripts with and without udevadm, and the bash
# completion. Never installs anything into the machine's own root.
#
#   scripts/check-package.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -f "$build"/tarvoset_*.deb
cmake --build "$build" --target package >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    echo "FAIL: the package did not build" >&2
    exit 1
}
debs=("$build"/tarvoset_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || {
    echo "FAIL: expected one tarvoset_*.deb in $build, found: ${debs[*]}" >&2
    exit 1
}
deb=${debs[0]}
pass "built $deb"

# Named <package>_<version>_<architecture>.deb, the version with a Debian revision.
field() { dpkg-deb -f "$deb" "$1"; }
expected_name="$(field Package)_$(field Version)_$(field Architecture).deb"
[ "$(basename "$deb")" = "$expected_name" ] || fail "file name $(basename "$deb"), expected $expected_name"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture $(field Architecture)"
[[ $(field Version) =~ ^[0-9][0-9.]*-[0-9]+$ ]] || fail "version $(field Version) is not upstream-revision"
# The run-time dependencies come from dpkg-shlibdeps, not from a hand-kept list.
depends=$(field Depends)
for library in libc6 libqt6widgets6 libqt6network6 libhidapi-hidraw0; do
    [[ $depends == *"$library "* ]] || fail "Depends lacks $library: $depends"
done
pass "name $(basename "$deb"), Depends: $depends"

# Unpacked into a throwaway root: dpkg -x runs no maintainer script and needs no database.
root=$work/root
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"

# The file list: everything the build promised, and nothing else.
(cd "$root" && find . -type f -o -type l) | sed 's|^\./||' | sort >"$work/files"
sort "$build/packaging/package-files.txt" >"$work/expected"
missing=$(comm -13 "$work/files" "$work/expected")
extra=$(comm -23 "$work/files" "$work/expected")
[ -z "$missing" ] || fail "missing from the package: $(echo $missing)"
[ -z "$extra" ] || fail "not expected in the package: $(echo $extra)"
[ -z "$missing$extra" ] && pass "file list ($(wc -l <"$work/files") files)"

desktop=$(echo "$root"/usr/share/applications/*.desktop)
metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
if desktop-file-validate "$desktop"; then pass "desktop-file-validate"; else fail "desktop-file-validate"; fi
if appstreamcli validate --no-net "$metainfo"; then pass "appstreamcli validate"; else fail "appstreamcli validate"; fi

# The udev rule grants the hidraw nodes only, never the raw USB device node.
rule=$root/usr/lib/udev/rules.d/70-tarvoset.rules
if grep -v '^#' "$rule" | grep -q 'SUBSYSTEM=="usb"' || ! grep -q '^SUBSYSTEM=="hidraw"' "$rule"; then
    fail "the udev rule should tag hidraw nodes only"
else
    pass "udev rule tags hidraw nodes only"
fi

# Errors fail the check; warnings are shown (the README says which remain and why).
if lintian_output=$(lintian --fail-on error "$deb" 2>&1); then lintian_result=0; else lintian_result=$?; fi
grep -v 'running with root privileges' <<<"$lintian_output" || true
if [ "$lintian_result" -eq 0 ]; then pass "lintian: no errors"; else fail "lintian reports errors"; fi

# Each program starts from the throwaway root; Qt and hidapi come from the system.
read -r -a programs <"$build/packaging/package-programs.txt"
version=$(field Version)
for program in "${programs[@]}"; do
    if output=$(QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" \
        "$root/usr/bin/$program" --version 2>&1) && [[ $output == *"${version%-*}"* ]]; then
        pass "$program --version from the unpacked root: $output"
    else
        fail "$program --version from the unpacked root: $output"
    fi
done

# Maintainer scripts: with a udevadm they reload the rules and re-trigger the hidraw nodes;
# a failing udevadm or none at all (a container) never fails the installation.
mkdir -p "$work/fakebin" "$work/nobin"
cat >"$work/fakebin/udevadm" <<EOF
#!/bin/sh
echo "\$*" >>"$work/udevadm.log"
exit \${UDEVADM_RESULT:-0}
EOF
chmod +x "$work/fakebin/udevadm"
for script in postinst:configure postrm:remove postrm:purge; do
    name=${script%%:*}
    action=${script#*:}
    rm -f "$work/udevadm.log"
    if PATH=$work/fakebin /bin/sh "$work/control/$name" "$action" \
        && grep -qx 'control --reload-rules' "$work/udevadm.log" \
        && grep -q '^trigger .*--subsystem-match=hidraw' "$work/udevadm.log"; then
        pass "$name $action reloads and re-triggers hidraw"
    else
        fail "$name $action with udevadm: $(cat "$work/udevadm.log" 2>/dev/null)"
    fi
    UDEVADM_RESULT=1 PATH=$work/fakebin /bin/sh "$work/control/$name" "$action" \
        || fail "$name $action fails when udevadm fails"
    PATH=$work/nobin /bin/sh "$work/control/$name" "$action" || fail "$name $action fails without udevadm"
done
rm -f "$work/udevadm.log"
PATH=$work/fakebin /bin/sh "$work/control/postrm" upgrade || fail "postrm upgrade"
[ ! -e "$work/udevadm.log" ] || fail "postrm upgrade should leave udev alone"

# The bash completion of tarvoctl: the packaged one, or the source until tarvoctl is built.
completion=$root/usr/share/bash-completion/completions/tarvoctl
[ -f "$completion" ] || completion=packaging/linux/completion/tarvoctl
if bash scripts/check-completion.sh "$completion"; then
    pass "tarvoctl completion ($completion)"
else
    fail "tarvoctl completion ($completion)"
fi

if [ "$failures" -ne 0 ]; then
    echo "package checks: $failures failed" >&2
    exit 1
fi
echo "package checks passed"
