#!/usr/bin/env bash
# Makes the application icons, packaging/icons/hicolor/NxN/apps/posling.png, from the About box's
# logo; they are committed, so run this only when the logo changes.
#   scripts/icons.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh posling-icons
rm -rf packaging/icons/hicolor
build/tools/posling-icons src/app/resources/tarvologo.bmp packaging/icons/hicolor
find packaging/icons -name '*.png' | sort
