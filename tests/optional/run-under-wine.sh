#!/bin/sh
# Runs a Windows test program under Wine in a prefix of its own, made here and removed after.
# Usage: run-under-wine.sh WINE PROGRAM.exe
set -eu
wine=$1
program=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/tarvo-wine.XXXXXX")
trap 'wineserver_bin=$(dirname "$(readlink -f "$wine")")/wineserver; WINEPREFIX=$prefix "$wineserver_bin" -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No display is needed: the program only uses the registry.
unset DISPLAY
"$wine" "$program"
