#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer, under AddressSanitizer and
# UndefinedBehaviorSanitizer, into build-fuzz/, and runs each for SECONDS (default 600) from its
# committed corpus under fuzz/corpus/. New inputs collect in build-fuzz/fuzz/corpus/; an input
# that crashes a target is left as build-fuzz/fuzz/artifacts/TARGET-crash-*. Prints the
# executions of each target at the end; exits non-zero when any target failed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
tarvo_install_dependencies

seconds=${1:-600}
jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="*.debug=false"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVO_WARNINGS_AS_ERRORS=ON -DTARVO_FUZZ=ON -DTARVO_SANITIZE=address,undefined -DTARVO_BUILD_EXTRAS=OFF \
    -DTARVO_FUZZ_SECONDS="$seconds"
cmake --build build-fuzz -j "$jobs" --target fuzz_targets

mkdir -p build-fuzz/fuzz/logs
failed=0
summary=()
for corpus in fuzz/corpus/*/; do
    target=$(basename "$corpus")
    log=build-fuzz/fuzz/logs/$target.log
    echo "== $target: $seconds s"
    # ctest holds the target's arguments; each runs alone, so the figures compare.
    if ! ctest --test-dir build-fuzz -R "^$target\$" -V >"$log" 2>&1; then
        failed=1
        tail -n 40 "$log"
    fi
    runs=$(sed -n 's/.*stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    summary+=("$(printf '%-20s %12s executions in %s s' "$target" "${runs:-?}" "$seconds")")
done
printf '%s\n' "${summary[@]}"
exit $failed
