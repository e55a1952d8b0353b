#!/usr/bin/env bash
# Collects the interface's texts from the sources into the English
# translation data/translations/vortexa_en.ts: new texts arrive unfinished,
# to be translated in Qt Linguist or an editor; texts gone from the sources
# are dropped. The names of the recommended views come from data/osusume.fav,
# not from a source, so vortexa_recommended_en.ts keeps them by hand.
#
# --check changes nothing and fails when the translation misses a text of
# the sources or keeps one they no longer have.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
translation=data/translations/vortexa_en.ts

# The layers below the window know no Qt; they mark their texts with
# VORTEXA_TRANSLATABLE (engine/translatable.h), read here as QT_TRANSLATE_NOOP.
collect() {
  "$lupdate" -silent -locations none -no-obsolete -source-language ja -target-language en \
    -tr-function-alias QT_TRANSLATE_NOOP+=VORTEXA_TRANSLATABLE -extensions cpp,h \
    -I . app session formula favorites -ts "$1"
}

if [[ ${1:-} != --check ]]; then
  collect "$translation"
  exit
fi
copy=$(mktemp --suffix=.ts)
trap 'rm -f "$copy"' EXIT
cp "$translation" "$copy"
collect "$copy"
if ! diff -u "$translation" "$copy"; then
  echo "$translation is not up to date: run scripts/update-translations.sh and translate" >&2
  exit 1
fi
