#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test without a display.
#   scripts/test.sh [ctest arguments]        the Release build in build/
#   scripts/test.sh --sanitize [ctest args]  a second tree, build-sanitize/, with AddressSanitizer and
#                                            UndefinedBehaviorSanitizer; any report fails the run
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen POSLING_VIRTUAL_PANEL=0
if [ "${1:-}" = "--sanitize" ]; then
    shift
    generator=()
    command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
    if [ ! -f build-sanitize/build.ninja ] && [ ! -f build-sanitize/Makefile ]; then
        cmake -S . -B build-sanitize "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOSLING_SANITIZE=ON >/dev/null
    fi
    cmake --build build-sanitize --parallel "$(nproc)"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)" --timeout 900 "$@"
    exit
fi
scripts/build.sh
ctest --test-dir build --output-on-failure --parallel "$(nproc)" "$@"
