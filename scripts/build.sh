#!/usr/bin/env bash
# Configures (once) and builds Posling in build/ as a Release build, incrementally.
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build --parallel "$(nproc)"
