#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the optimised build,
# then the same tests under the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j2 --timeout 300
scripts/test-sanitized.sh
