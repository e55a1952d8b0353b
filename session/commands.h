// The command table: every command the window, the renderer or a test can
// give, with what it does while another command runs and when it is
// available at all. The session runs its commands only through this table,
// and the window asks it before it runs one of its own.
#pragma once

#include <span>

namespace vortexa {

enum class TCommandId {
  // The view and the picture (the session runs them in its busy scope).
  Draw,
  ChangeLimit,
  Home,
  Magnify,
  Scroll,
  SwitchRelief,
  SetAngles,
  Drag,
  HistoryBack,
  HistoryForward,
  HistoryGoTo,
  PasteText,
  LoadFavorite,
  TourToFavorite,
  RandomTour,
  RenderAtSize,
  SaveTourVideo,
  Resize,
  DrawContinue,
  DebugDemo,
  // Settings and texts of the session.
  CopyText,
  SetColors,
  SetOptions,
  SetMagnifyRatio,
  SetMoveRatio,
  SetZoomAtPointer,
  SetFormula,
  // The window's own.
  SavePicture,
  CopyPicture,
  SaveAtSize,
  CopyAtSize,
  PrintPicture,
  Wallpaper,
  SetJpegQuality,
  AddFavorite,
  OrganizeFavorites,
  SetTourSpeed,
  SetTourSound,
  SetLanguage,
  FullScreen,
  ChooseImageSize,
  AddImageSize,
  DeleteImageSize,
  StatisticsWindow,
  FormulaWindow,
  ShowHelp,
  About,
  Exit,
};

// What a command does when it arrives while another one runs.
enum class TBusyPolicy {
  Refused,     // nothing
  Interrupts,  // stops the running command (the draw button, closing)
  Allowed,     // runs all the same
};

// When a command can be given at all, busy or not.
enum class TAvailability {
  Always,
  CanGoBack,     // the history has an entry before the current one
  CanGoForward,  // and after it
  HasPicture,    // the picture has a size
};

struct TCommandRule {
  TCommandId Id;
  TBusyPolicy Busy;
  TAvailability Available;
};

std::span<const TCommandRule> CommandTable();
const TCommandRule& CommandRule(TCommandId id);

}  // namespace vortexa
