#include "session/commands.h"

#include <array>

namespace vortexa {

namespace {

using enum TCommandId;
constexpr TBusyPolicy kRefused = TBusyPolicy::Refused;
constexpr TAvailability kAlways = TAvailability::Always;
constexpr TAvailability kHasPicture = TAvailability::HasPicture;

// Busy, the window takes only the draw button (Enter), closing and a new
// formula; everything else waits for the idle window.
constexpr std::array kCommandTable = {
    TCommandRule{Draw, TBusyPolicy::Interrupts, kAlways},
    TCommandRule{ChangeLimit, kRefused, kAlways},
    TCommandRule{Home, kRefused, kAlways},
    TCommandRule{Magnify, kRefused, kAlways},
    TCommandRule{Scroll, kRefused, kAlways},
    TCommandRule{SwitchRelief, kRefused, kAlways},
    TCommandRule{SetAngles, kRefused, kAlways},
    TCommandRule{Drag, kRefused, kAlways},
    TCommandRule{HistoryBack, kRefused, TAvailability::CanGoBack},
    TCommandRule{HistoryForward, kRefused, TAvailability::CanGoForward},
    TCommandRule{HistoryGoTo, kRefused, kAlways},
    TCommandRule{PasteText, kRefused, kAlways},
    TCommandRule{LoadFavorite, kRefused, kAlways},
    TCommandRule{TourToFavorite, kRefused, kAlways},
    TCommandRule{RandomTour, kRefused, kAlways},
    TCommandRule{RenderAtSize, kRefused, kAlways},
    TCommandRule{SaveTourVideo, kRefused, kHasPicture},
    TCommandRule{Resize, kRefused, kAlways},
    TCommandRule{DrawContinue, kRefused, kAlways},
    TCommandRule{DebugDemo, kRefused, kHasPicture},
    TCommandRule{CopyText, kRefused, kAlways},
    TCommandRule{SetColors, kRefused, kAlways},
    TCommandRule{SetOptions, kRefused, kAlways},
    TCommandRule{SetMagnifyRatio, kRefused, kAlways},
    TCommandRule{SetMoveRatio, kRefused, kAlways},
    TCommandRule{SetZoomAtPointer, kRefused, kAlways},
    // The engine takes a new formula once the running computation stopped.
    TCommandRule{SetFormula, TBusyPolicy::Allowed, kAlways},
    TCommandRule{SavePicture, kRefused, kHasPicture},
    TCommandRule{CopyPicture, kRefused, kHasPicture},
    TCommandRule{SaveAtSize, kRefused, kHasPicture},
    TCommandRule{CopyAtSize, kRefused, kHasPicture},
    TCommandRule{PrintPicture, kRefused, kHasPicture},
    TCommandRule{Wallpaper, kRefused, kHasPicture},
    TCommandRule{SetJpegQuality, kRefused, kAlways},
    TCommandRule{AddFavorite, kRefused, kAlways},
    TCommandRule{OrganizeFavorites, kRefused, kAlways},
    TCommandRule{SetTourSpeed, kRefused, kAlways},
    TCommandRule{SetTourSound, kRefused, kAlways},
    TCommandRule{SetLanguage, kRefused, kAlways},
    TCommandRule{FullScreen, kRefused, kAlways},
    TCommandRule{ChooseImageSize, kRefused, kAlways},
    TCommandRule{AddImageSize, kRefused, kAlways},
    TCommandRule{DeleteImageSize, kRefused, kAlways},
    TCommandRule{StatisticsWindow, kRefused, kAlways},
    TCommandRule{FormulaWindow, kRefused, kAlways},
    TCommandRule{ShowHelp, kRefused, kAlways},
    TCommandRule{About, kRefused, kAlways},
    TCommandRule{Exit, TBusyPolicy::Interrupts, kAlways},
};

// Every identity has its row, in the enumeration's order.
constexpr bool TableFollowsEnumeration() {
  for (std::size_t i = 0; i < kCommandTable.size(); ++i)
    if (static_cast<std::size_t>(kCommandTable[i].Id) != i) return false;
  return static_cast<std::size_t>(Exit) + 1 == kCommandTable.size();
}
static_assert(TableFollowsEnumeration());

}  // namespace

std::span<const TCommandRule> CommandTable() {
  return kCommandTable;
}

const TCommandRule& CommandRule(TCommandId id) {
  return kCommandTable.at(static_cast<std::size_t>(id));
}

}  // namespace vortexa
