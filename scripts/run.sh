#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window; without a display
# it renders the home view to a picture instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec build/app/vortexa "$@"
fi
echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set): rendering the home view instead."
picture="$PWD/vortexa-home.png"
build/app/vortexa-render --center 0,0 --range 2 --limit 1000 --size 590x400 -o "$picture" >/dev/null
echo "$picture"
