#!/usr/bin/env bash
# Installs what is missing, builds into build/ (Release) where needed, and
# makes the Debian package build/vortexa_<version>_amd64.deb through CPack;
# prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cmake --build build --target package >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
echo "$PWD/build/vortexa_${version}_amd64.deb"
