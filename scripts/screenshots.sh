#!/usr/bin/env bash
# Takes the README's pictures of every window, docs/screenshots/*.png, under Xvfb, on the built-in
# virtual printer; they are committed, so run this when a window changes.
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh posling-screenshots
mkdir -p docs/screenshots
rm -f docs/screenshots/*.png
# An empty configuration folder: the built-in devices, whatever this user's devices.ini says.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
env -u POSLING_DEVICES -u POSLING_CAPTURE_DIR -u POSLING_VIRTUAL_PANEL XDG_CONFIG_HOME="$config" \
    timeout 300 xvfb-run -a -s "-screen 0 1600x1000x24" build/tools/posling-screenshots docs/screenshots
du -ch docs/screenshots/*.png | tail -n 1
