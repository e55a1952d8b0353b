#!/bin/bash
# The include graph points one way: engine <- formula, favorites <- render
# <- session <- app. No folder includes a higher layer's headers, and app/
# reaches the engine and the picture code only through session/, apart from
# the few files listed below. Tests are left out: they check the layers from
# outside. Prints every offending include and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Layer rank of each folder; formula and favorites stand side by side.
declare -A rank=([engine]=0 [formula]=1 [favorites]=1 [render]=2 [session]=3 [app]=4)

# app/ files that include engine/ or render/ headers, and why they must.
exceptions=(
  # The window implements the canvas and event pump its session draws through.
  "app/draw_form.h render/canvas.h"
  "app/window_pump.h render/canvas.h"
  # The colour strip paints the palette the session hands out, read-only.
  "app/form_parts.h render/palette.h"
  # Entry points fix the workers' team size and refuse a bad merged-steps
  # switch before any session exists.
  "app/main.cpp engine/team_size.h"
  "app/render_cli.cpp engine/team_size.h"
  "app/main.cpp engine/bla_table.h"
  "app/render_cli.cpp engine/bla_table.h"
)

failed=0
while IFS=: read -r file _ line; do
  header=$(sed -E 's/^#include "([^"]+)".*/\1/' <<<"$line")
  from=${file%%/*}
  to=${header%%/*}
  [[ -n ${rank[$to]:-} ]] || continue
  if ((rank[$to] > rank[$from])); then
    echo "$file includes the higher layer's $header"
    failed=1
  # grep reads the whole list: with -q it would stop at the match and, under
  # pipefail, printf's broken pipe would count as no match.
  elif [[ $from != "$to" && $from == app && ($to == engine || $to == render) ]] &&
       ! printf '%s\n' "${exceptions[@]}" | grep -xF "$file $header" >/dev/null; then
    echo "$file includes $header: the window goes through session/"
    failed=1
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^#include "[a-z]+/' \
           engine formula favorites render session app | grep -v '_test\.cpp:')
exit $failed
