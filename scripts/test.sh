#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test without a display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen POSLING_VIRTUAL_PANEL=0
ctest --test-dir build --output-on-failure --parallel "$(nproc)" "$@"
