#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need,
# asking apt only when something is missing; --fuzz adds what fuzz/run.sh needs.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev qt6-multimedia-dev
  libjpeg62-turbo-dev libdeflate-dev libmpfr-dev zlib1g-dev
  libavcodec-dev libavformat-dev libswscale-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk
  # Translations: lrelease, Qt's CMake support for it, and Qt's own Japanese.
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  # The Debian package: dependencies found from the binaries (dpkg-shlibdeps
  # in dpkg-dev; CPack tells binaries by file).
  dpkg-dev file
)
# fuzz/run.sh: clang with its libFuzzer and sanitizer run-times.
if [[ ${1:-} == --fuzz ]]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
