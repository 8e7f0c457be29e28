#!/usr/bin/env bash
# Installs what is missing, builds, and starts Posling on the virtual printer.
set -euo pipefail
cd "$(dirname "$0")/.."
# Said before the long build, not after it.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Posling needs a graphical display and none is set (DISPLAY is empty); run it from a desktop session, or without one as: xvfb-run -a scripts/run.sh" >&2
    exit 2
fi
scripts/setup.sh
scripts/build.sh
exec build/src/posling "$@"
