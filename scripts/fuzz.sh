#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang in build-fuzz/ and runs each for a while.
#   scripts/fuzz.sh [SECONDS_EACH] [TARGET ...]     default: 60 seconds, every target
# Seeds come from tests/fuzz/corpus/<name>; what a run finds goes to build-fuzz/corpus/<name>, and a
# crash, leak or time-out stops the script with the input that caused it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ is not installed (Debian package clang); nothing fuzzed" >&2
    exit 0
fi
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f build-fuzz/build.ninja ] && [ ! -f build-fuzz/Makefile ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPOSLING_FUZZ=ON >/dev/null
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(escapes printdata status registry interpreter bitmap)
cmake --build build-fuzz --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
for name in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$name"
    echo "fuzz_$name: ${seconds} s"
    set +e
    "build-fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="build-fuzz/" "build-fuzz/corpus/$name" \
        "tests/fuzz/corpus/$name" >"build-fuzz/fuzz_$name.log" 2>&1
    status=$?
    set -e
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|ERROR|SUMMARY|Test unit written" \
        "build-fuzz/fuzz_$name.log" || true
    [ "$status" -eq 0 ] || { echo "fuzz_$name failed; its log: build-fuzz/fuzz_$name.log" >&2; exit 1; }
done
