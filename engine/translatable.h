// Marks a text that the interface shows, so that the translation tools
// (scripts/update-translations.sh) collect it under `context`. The text
// itself stays as written; the window looks up its translation in context.
// The layers below the window use it instead of Qt's QT_TRANSLATE_NOOP,
// since they know no Qt.
#pragma once

#define VORTEXA_TRANSLATABLE(context, text) text
