#!/usr/bin/env bash
# Builds TarvoSet and runs the whole test suite three times: a plain build, one under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the threaded tests under ThreadSanitizer;
# then runs each fuzz target for a few seconds, and builds the optional feature set and runs the
# tests that differ there. The plain build also makes the Debian package and checks it.
# Any failure makes it exit non-zero.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
tarvo_install_dependencies

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
# Qt wants a private runtime folder, and warns in every test without one (CI runs as root).
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
# Keep the per-report input lines out of the test logs.
export QT_LOGGING_RULES="tarvoset.input.debug=false"

configure() { # dir, extra cmake args...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DTARVO_WARNINGS_AS_ERRORS=ON "$@"
}

echo "== plain build"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Debian package"
scripts/check-package.sh build

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DTARVO_SANITIZE=address,undefined -DTARVO_BUILD_EXTRAS=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1" \
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== ThreadSanitizer (threaded tests)"
configure build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_SANITIZE=thread -DTARVO_BUILD_EXTRAS=OFF
cmake --build build-tsan -j "$jobs" --target threaded_tests
# Qt is not built with TSan: memory calls made inside Qt (its image-conversion pool, say) are
# not ours to judge, while every access in our own code still is.
TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1" \
    ctest --test-dir build-tsan --output-on-failure -L threaded -j "$jobs"

echo "== fuzz targets: a short run of each (libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer)"
CC=clang CXX=clang++ configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON -DTARVO_FUZZ_SECONDS=5 \
    -DTARVO_SANITIZE=address,undefined -DTARVO_BUILD_EXTRAS=OFF
cmake --build build-fuzz -j "$jobs" --target fuzz_targets
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-fuzz --output-on-failure -L fuzz -j "$jobs"

echo "== optional feature set (the tests that differ from the plain build), under ASan and UBSan"
configure build-optional-asan -DCMAKE_BUILD_TYPE=Debug -DTARVO_OPTIONAL_SET=ON -DTARVO_BUILD_EXTRAS=OFF \
    -DTARVO_SANITIZE=address,undefined -DTARVO_REQUIRE_WINE_TEST=ON
cmake --build build-optional-asan -j "$jobs" --target optional_tests
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1" \
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-optional-asan --output-on-failure -L optional -j "$jobs"
