#!/usr/bin/env bash
# Builds TarvoSet into build/ and starts it with a virtual wheel (--demo).
# Extra arguments go to the program, e.g. ./run.sh --hid-trace trace.log
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
tarvo_install_dependencies

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target tarvoset tarvoctl
exec build/app/tarvoset --demo "$@"
