#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ (benchmarks left out) and runs them; any report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORTEXA_SANITIZE=address,undefined -DVORTEXA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-sanitize
ctest --test-dir build-sanitize --output-on-failure -j2 --timeout 600
