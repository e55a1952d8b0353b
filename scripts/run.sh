#!/usr/bin/env bash
# Installs what is missing, builds, and renders the home view to a picture.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
picture="$PWD/vortexa-home.png"
build/app/vortexa-render --center 0,0 --range 2 --limit 1000 --size 590x400 -o "$picture"
echo "$picture"
