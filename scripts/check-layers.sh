#!/bin/bash
# The include graph points one way: engine <- formula, favorites <- render
# <- session <- app. No folder includes a higher layer's headers, and app/
# reaches the engine and the picture code only through session/. Tests are
# left out: they check the layers from outside. Prints every offending
# include and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Layer rank of each folder; formula and favorites stand side by side.
declare -A rank=([engine]=0 [formula]=1 [favorites]=1 [render]=2 [session]=3 [app]=4)

failed=0
while IFS=: read -r file _ line; do
  header=$(sed -E 's/^#include "([^"]+)".*/\1/' <<<"$line")
  from=${file%%/*}
  to=${header%%/*}
  [[ -n ${rank[$to]:-} ]] || continue
  if ((rank[$to] > rank[$from])); then
    echo "$file includes the higher layer's $header"
    failed=1
  elif [[ $from == app && ($to == engine || $to == render) ]]; then
    echo "$file includes $header: the window goes through session/"
    failed=1
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^#include "[a-z]+/' \
           engine formula favorites render session app | grep -v '_test\.cpp:')
exit $failed
