#!/usr/bin/env bash
# Configures (once) and builds Posling in build/ as a Release build, incrementally.
#   scripts/build.sh [target...]   only the targets named, when any
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
# A configure that failed half-way leaves a cache but no build files: configure again then.
if [ ! -f build/build.ninja ] && [ ! -f build/Makefile ]; then
    cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake --build build --parallel "$(nproc)" "${targets[@]}"
