// The main window's menus as data: one row per item, separator or submenu,
// in the order the menus show them. An item gives a command of the session's
// command table; the window dispatches it by its identity.
#pragma once

#include <span>

#include "session/commands.h"

namespace vortexa {

// The menu bar and its menus, each one a target of rows.
enum class TMenu {
  Bar,
  File,
  JpegQuality,
  Display,
  Magnify,
  Reduce,
  Scroll,
  History,
  ImageSize,
  Favorite,
  TourDestinations,
  Option,
  MagnifyRatio,
  MoveRatio,
  TourSpeed,
  TourSound,
  Restrict,
  Language,
  Help,
};

enum class TRowKind {
  Item,
  Check,  // an item that ticks itself
  Radio,  // one of the menu's exclusive choices
  Separator,
  Submenu,      // opens the menu `Opens`
  Placeholder,  // kept hidden for the menu's layout; it gives no command
};

struct TMenuRow {
  TMenu Menu;
  TRowKind Kind;
  const char* Caption = "";
  const char* Hint = "";      // shown in status panel 3
  const char* Shortcut = "";  // as QKeySequence reads it; empty for none
  TCommandId Command = TCommandId::Draw;
  int Argument = 0;  // the zoom index, scroll direction, position or option bit
  TMenu Opens = TMenu::Bar;
  bool Hidden = false;
};

std::span<const TMenuRow> MenuRows();

}  // namespace vortexa
