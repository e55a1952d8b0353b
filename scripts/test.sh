#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the optimised build
# and its Debian package, then the same tests under the address and
# undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Builds, then makes the Debian package that the test package_contents checks.
scripts/package.sh >/dev/null
ctest --test-dir build --output-on-failure -j2 --timeout 300
scripts/test-sanitized.sh
