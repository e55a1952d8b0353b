#include "session.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "favorites/number_text.h"
#include "session/language.h"

namespace vortexa {

namespace {

// Zooming in stops at the deepest range a view can have.
bool PastTheDeepest(const TFloatExp& range) {
  return range < DeepestRange();
}

// What zooms do to the colours and the relief once the new counts are in:
// the relief rises again, the colours stay.
constexpr TDisplayDriver::TColorMorph kZoomMorph{};

// Ratio positions step from ×2 (position 0) to ×16 (position 3).
constexpr int kLastMagnifyIndex = 3;
constexpr int kFirstReduceIndex = 4;

// Appending rather than chaining operator+ keeps GCC 12 from false -Wrestrict alarms.
std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts)
    text.append(part);
  return text;
}

}  // namespace

int WheelZoomIndex(bool up, int ratio, bool shift, bool ctrl) {
  const int position =
      std::clamp(ratio - (shift ? 1 : 0) + (ctrl ? 1 : 0), 0, kMagnifyRatioPositions - 1);
  return up ? kLastMagnifyIndex - position : kFirstReduceIndex + position;
}

QPoint ScrollSigns(int tag) {
  static constexpr std::array<QPoint, 9> kSigns = {QPoint(1, 1),  QPoint(1, 0),  QPoint(1, -1),
                                                   QPoint(0, 1),  QPoint(0, 0),  QPoint(0, -1),
                                                   QPoint(-1, 1), QPoint(-1, 0), QPoint(-1, -1)};
  return kSigns.at(static_cast<std::size_t>(tag));
}

TSession::TSession(TCanvas& canvas, TEventPump& pump) : FPump(pump), FDrawGrid(FCalcGrid, canvas) {
  FDriver.OnProgress = [this](int percent, bool& abort) {
    FProgress = percent;
    if (FObserver) FObserver->ProgressChanged();
    abort = FAbortRequested;
  };
  ApplyColors(FColors);
}

void TSession::Notify(void (TSessionObserver::*event)()) {
  if (FObserver) (FObserver->*event)();
}

// ---- busy protocol ----

bool TSession::BeginDraw() {
  if (FProgress != -1) return false;
  FProgress = 0;
  FDrawStart = FPump.NowMs();
  if (FObserver) FObserver->BusyChanged(true);
  return true;
}

void TSession::EndDraw() {
  FAbortRequested = false;
  FProgress = -1;
  if (FObserver) {
    FObserver->BusyChanged(false);
    FObserver->CommandEnded(static_cast<double>(FPump.NowMs() - FDrawStart));
  }
}

bool TSession::Allows(TCommandId id) const {
  const TCommandRule& rule = CommandRule(id);
  if (rule.Busy == TBusyPolicy::Refused && Busy()) return false;
  switch (rule.Available) {
    case TAvailability::Always:
      return true;
    case TAvailability::CanGoBack:
      return FHistory.CanBack();
    case TAvailability::CanGoForward:
      return FHistory.CanForward();
    case TAvailability::HasPicture:
      return FDrawGrid.Width() > 0 && FDrawGrid.Height() > 0;
  }
  return false;
}

bool TSession::RunCommand(TCommandId id, const std::function<void(TBusyScope& busy)>& work) {
  if (!Allows(id) || !BeginDraw()) return false;
  struct TEndDraw {
    TSession& Session;
    ~TEndDraw() { Session.EndDraw(); }
  } endDraw{*this};
  TBusyScope busy(FPump);
  work(busy);
  return true;
}

bool TSession::RequestStop() {
  const bool running = FTourRunning || Busy();
  FTourRunning = false;
  if (Busy()) FAbortRequested = true;
  return running;
}

// ---- view ----

std::string TSession::XText() const {
  return FormatGeneral(FView.CenterX, CoordinateDigits(FView.Range));
}

std::string TSession::YText() const {
  return FormatGeneral(FView.CenterY, CoordinateDigits(FView.Range));
}

std::string TSession::RangeText() const {
  return FormatGeneral(FView.Range, kRangeDigits);
}

void TSession::ShowView() {
  FCalcGrid.SetView(FView.CenterX, FView.CenterY, FView.Limit, FView.Range);
  DrawInfo();
  FDrawGrid.SetLimit(FView.Limit);
  Notify(&TSessionObserver::ViewShown);
}

bool TSession::DrawView(TPassDisplay display) {
  return RunCommand(TCommandId::Draw, [this, display](TBusyScope& busy) {
    if (display == TPassDisplay::FinalOnly)
      FDriver.Redraw(busy);
    else
      FDriver.Draw(busy, false);
  });
}

TMBItem TSession::StoreView(const std::string& name) const {
  TMBItem item;
  item.X = FView.CenterX;
  item.Y = FView.CenterY;
  item.Range = FView.Range;
  item.Limit = FView.Limit;
  item.Name = name;
  item.ColorIndex = static_cast<std::int8_t>(FColors.ColorMode);
  item.Hue = static_cast<std::int8_t>(FColors.Hue);
  item.Saturation = static_cast<std::int8_t>(FColors.Saturation);
  item.Highlight = static_cast<std::int8_t>(FColors.Highlight);
  item.Period = static_cast<std::int8_t>(FColors.Period);
  item.Tour = 1;
  return item;
}

// Records come from files and pasted texts: values outside the controls'
// ranges are brought into them instead of reaching the palette or the grid.
void TSession::LoadView(const TMBItem& item) {
  LoadView({item.X, item.Y, item.Range, item.Limit},
           {item.ColorIndex, item.Hue, item.Saturation, item.Highlight, item.Period});
}

void TSession::LoadView(const TViewState& view, const TColorPositions& colors) {
  FView = view;
  FView.Limit = std::clamp(view.Limit, 1, kMaxLimit);
  // The draw that follows shows the new colours.
  ApplyColors(ClampColors(colors));
}

void TSession::DrawInfo() {
  FDrawGrid.DrawInfo(QString::fromStdString(XText()), QString::fromStdString(YText()),
                     QString::fromStdString(RangeText()), ShownFavoriteName(FDestName));
}

QColor TSession::PaletteStripColor(int x, int width) const {
  const TColor32 color = FDrawGrid.Palette().Entry(PaletteStripIndex(x, width));
  return QColor(qRed(color), qGreen(color), qBlue(color));
}

void TSession::PresentPicture() {
  DrawInfo();
  FDrawGrid.Present();
}

void TSession::AddHistory(const std::string& name) {
  TMBItem* entry = FHistory.AddView(FView.CenterX, FView.CenterY, FView.Range);
  if (!entry) return;
  *entry = StoreView(name);
  entry->Tour = 0;
}

// ---- commands ----

void TSession::PressDraw(const TViewState& fields) {
  if (FTourRunning) {
    FTourRunning = false;
    return;
  }
  if (Busy()) {
    FAbortRequested = true;
    return;
  }
  // A field still showing the centre keeps all of it: its text is only the
  // centre rounded to the digits shown, and drawing again must not move the view.
  const int shownDigits = CoordinateDigits(FView.Range);
  const bool keepX = FormatGeneral(fields.CenterX, shownDigits) == XText();
  const bool keepY = FormatGeneral(fields.CenterY, shownDigits) == YText();
  const TViewState shown = std::exchange(FView, fields);
  if (keepX) FView.CenterX = shown.CenterX;
  if (keepY) FView.CenterY = shown.CenterY;
  ShowView();
  AddHistory("");
  DrawView();
}

void TSession::ChangeLimit(int limit) {
  RunCommand(TCommandId::ChangeLimit, [this, limit](TBusyScope& busy) {
    const int oldLimit = FView.Limit;
    FView.Limit = std::clamp(limit, 1, kMaxLimit);
    if (FView.Limit > oldLimit) {
      ShowView();
      FDriver.RaiseLimit(busy);
    } else {
      // Counts above the new limit turn into the set's colour; nothing is computed.
      FDrawGrid.SetLimit(FView.Limit);
      FDrawGrid.Render(true);
    }
  });
}

void TSession::Home() {
  RunCommand(TCommandId::Home, [this](TBusyScope& busy) {
    FView = TViewState{};
    ShowView();
    ApplyColors(TColorPositions{});
    FDrawGrid.SetElevation(kFlatElevation);
    FDrawGrid.SetRotation(0);
    Notify(&TSessionObserver::AnglesChanged);
    AddHistory("");
    FDriver.Draw(busy, false);
  });
}

bool TSession::LoadFavorite(const TMBItem& item) {
  return RunCommand(TCommandId::LoadFavorite, [this, &item](TBusyScope& busy) {
    LoadView(item);
    ShowView();
    AddHistory(item.Name);
    FDriver.Draw(busy, false);
  });
}

void TSession::ApplyColors(const TColorPositions& colors) {
  FColors = colors;
  FDrawGrid.SetColors(colors.ColorMode, colors.Hue * 4, colors.Saturation * 8,
                      colors.Highlight * 8);
  FDrawGrid.SetPeriod(colors.Period);
  Notify(&TSessionObserver::ColorsChanged);
}

void TSession::ChangePeriod(TBusyScope& busy, int period, int speed) {
  FDriver.ChangePeriod(busy, period, speed);
  FColors.Period = period;
  Notify(&TSessionObserver::ColorsChanged);
}

void TSession::RenderIfSized() {
  if (FDrawGrid.Width() > 0 && FDrawGrid.Height() > 0) FDrawGrid.Render(true);
}

bool TSession::SetColors(const TColorPositions& colors) {
  if (!Allows(TCommandId::SetColors)) return false;
  ApplyColors(ClampColors(colors));
  RenderIfSized();
  return true;
}

void TSession::SetColors(TBusyScope&, const TColorPositions& colors) {
  ApplyColors(ClampColors(colors));
  RenderIfSized();
}

bool TSession::SetOptions(int options) {
  if (!Allows(TCommandId::SetOptions)) return false;
  FCalcGrid.SetOptions(options);
  return true;
}

bool TSession::SetMagnifyRatio(int position) {
  if (!Allows(TCommandId::SetMagnifyRatio)) return false;
  FMagnifyRatio = std::clamp(position, 0, kMagnifyRatioPositions - 1);
  return true;
}

bool TSession::SetMoveRatio(int position) {
  if (!Allows(TCommandId::SetMoveRatio)) return false;
  FMoveRatio = std::clamp(position, 0, kMoveRatioPositions - 1);
  return true;
}

bool TSession::SetZoomAtPointer(bool on) {
  if (!Allows(TCommandId::SetZoomAtPointer)) return false;
  FZoomAtPointer = on;
  return true;
}

bool TSession::Resize(int width, int height) {
  if (!Allows(TCommandId::Resize)) return false;
  FDrawGrid.SetSize(width, height);
  return true;
}

void TSession::SetPixelRatio(double ratio) {
  FPixelRatio = ratio;
  FDrawGrid.SetPixelRatio(ratio);
}

void TSession::SetOrigin(int top) {
  FDrawGrid.SetOrigin(0, top);
}

// ---- picture output ----

bool TSession::SavePicture(const QString& fileName, int jpegPosition) {
  bool written = false;
  RunCommand(TCommandId::SavePicture,
             [&](TBusyScope&) { written = WritePicture(Picture(), fileName, jpegPosition); });
  return written;
}

// ---- output at a size ----

QRect TempSizeRect(int width, int height, const QRect& area) {
  const int aw = area.width(), ah = area.height();
  if (static_cast<double>(width) / height >= static_cast<double>(aw) / ah) {
    const int h = static_cast<int>(std::nearbyint(static_cast<double>(height) * aw / width));
    return {area.left(), area.top() + (ah - h) / 2, aw, h};
  }
  const int w = static_cast<int>(std::nearbyint(static_cast<double>(ah) * width / height));
  return {area.left() + (aw - w) / 2, area.top(), w, ah};
}

bool TSession::RenderAtSize(int width, int height, const QRect& shown,
                            const std::function<void(const QImage&)>& deliver) {
  return RunCommand(TCommandId::RenderAtSize, [&](TBusyScope& busy) {
    if (width == FDrawGrid.Width() && height == FDrawGrid.Height()) {
      deliver(FDrawGrid.Picture().Image());
      return;
    }
    // The window's size comes back also when the computation or the writing fails.
    struct TWindowSize {
      TSession& Session;
      TBusyScope& Busy;
      ~TWindowSize() {
        Session.FDrawGrid.EndTempSize();
        if (Session.FObserver) Session.FObserver->TempSizeShown(false);
        Session.FAbortRequested = false;
        Session.FDriver.Draw(Busy, false);
      }
    } windowSize{*this, busy};
    FDrawGrid.BeginTempSize(width, height, shown);
    if (FObserver) FObserver->TempSizeShown(true);
    FDriver.Draw(busy, false);
    if (FAbortRequested) return;
    deliver(FDrawGrid.Picture().Image());
  });
}

// ---- zoom and scroll ----

void TSession::Magnify(int index) {
  const float factor = TDisplayDriver::kZoomRatio.at(static_cast<std::size_t>(index));
  RunCommand(TCommandId::Magnify, [this, index, factor](TBusyScope& busy) {
    if (PastTheDeepest(FView.Range / factor)) return;
    FView.Range /= factor;
    ShowView();
    AddHistory("");
    FDriver.Zoom(busy, index, kZoomMorph);
  });
}

// The point under the pointer keeps its place: the centre moves towards it by
// (1 - 1/factor) of its distance, and the old counts are scaled about it.
void TSession::MagnifyAt(int index, QPoint pointer) {
  const float factor = TDisplayDriver::kZoomRatio.at(static_cast<std::size_t>(index));
  const int width = FDrawGrid.Width(), height = FDrawGrid.Height();
  const QPoint shown = pointer - QPoint(width / 2, height / 2);
  QPoint anchor = ConvertOffset(shown, true);
  anchor.setX(std::clamp(anchor.x(), -(width / 2), width - 1 - width / 2));
  anchor.setY(std::clamp(anchor.y(), -(height / 2), height - 1 - height / 2));
  RunCommand(TCommandId::Magnify, [this, index, factor, anchor, shown](TBusyScope& busy) {
    if (PastTheDeepest(FView.Range / factor)) return;
    const TFloatExp step = FCalcGrid.GetStep();
    const TFloatExp move = step * (1 - 1.0L / factor);
    MoveCentre(move * anchor.x(), move * anchor.y(), step / factor);
    FView.Range /= factor;
    ShowView();
    AddHistory("");
    FDriver.Zoom(busy, index, kZoomMorph, anchor, shown);
  });
}

void TSession::Wheel(bool up, const TPointerState& state, bool ctrl, QPoint pointer) {
  if (!Allows(TCommandId::Magnify)) return;
  if (state.Right) {
    SwitchRelief(up);
    return;
  }
  const int index = WheelZoomIndex(up, FMagnifyRatio, state.Shift, ctrl);
  if (FZoomAtPointer)
    MagnifyAt(index, pointer);
  else
    Magnify(index);
}

void TSession::Scroll(QPoint offset) {
  ScrollBy(offset, false);
}

void TSession::ScrollBy(QPoint offset, bool raise) {
  RunCommand(TCommandId::Scroll, [this, offset, raise](TBusyScope& busy) {
    const TFloatExp step = FCalcGrid.GetStep();
    MoveCentre(-step * offset.x(), -step * offset.y(), step);
    ShowView();
    AddHistory("");
    FDriver.DrawScrolled(busy, offset);
    if (raise) FDriver.AnimateTilt(busy, false);
  });
}

void TSession::MoveCentre(const TFloatExp& dx, const TFloatExp& dy, const TFloatExp& step) {
  FView.CenterX = MovedCoordinate(FView.CenterX, dx, step);
  FView.CenterY = MovedCoordinate(FView.CenterY, dy, step);
}

void TSession::MoveClick(int tag) {
  const QPoint signs = ScrollSigns(tag);
  if (signs.isNull()) return;
  const int divisor = kMoveDivisors.at(static_cast<std::size_t>(FMoveRatio));
  Scroll({FDrawGrid.Width() / divisor * signs.x(), FDrawGrid.Height() / divisor * signs.y()});
}

bool TSession::SwitchRelief(bool convex) {
  if (!Allows(TCommandId::SwitchRelief)) return false;
  if (FDrawGrid.Convex() == convex) return true;
  return RunCommand(TCommandId::SwitchRelief, [this, convex](TBusyScope& busy) {
    FDrawGrid.SetConvex(convex);
    FDriver.AnimateTilt(busy, false);
    Notify(&TSessionObserver::AnglesChanged);
  });
}

bool TSession::SetAngles(int rotation, int elevation, bool convex, bool thickWalls) {
  return RunCommand(TCommandId::SetAngles, [&](TBusyScope&) {
    FDrawGrid.SetRotation(rotation);
    FDrawGrid.SetElevation(elevation);
    FDrawGrid.SetConvex(convex);
    FDrawGrid.SetThickWalls(thickWalls);
    FDrawGrid.MarkHeightsStale();
    RenderIfSized();
    Notify(&TSessionObserver::AnglesChanged);
  });
}

QPoint TSession::ConvertOffset(QPoint offset, bool toGrid) const {
  constexpr bool kRelative = true;
  if (toGrid) {
    if (!FDrawGrid.IsFlat()) offset = FDrawGrid.TiltPoint(offset, true, kRelative);
    if (FDrawGrid.IsRotated()) offset = FDrawGrid.RotatePoint(offset, true, kRelative);
  } else {
    if (FDrawGrid.IsRotated()) offset = FDrawGrid.RotatePoint(offset, false, kRelative);
    if (!FDrawGrid.IsFlat()) offset = FDrawGrid.TiltPoint(offset, false, kRelative);
  }
  return offset;
}

// ---- mouse drags ----

void TSession::MousePress(QPoint position, const TPointerState& state) {
  if (!Allows(TCommandId::Drag) || !(state.Left || state.Right)) return;
  FDragPosition = position;
}

void TSession::MouseMove(QPoint position, const TPointerState& state) {
  if (!Allows(TCommandId::Drag)) return;
  if (state.Left && FDragState != TDragState::Angle) {
    if (FDragState == TDragState::None) {
      if (position == FDragPosition || FDrawGrid.GetElevation() < kMinDragElevation) return;
      StartScrollDrag();
    }
    MoveScrollDrag(position, state.Shift);
  } else if (state.Right && !state.Left && FDragState != TDragState::Scroll) {
    if (FDragState == TDragState::None) {
      if (position == FDragPosition) return;
      FDragState = TDragState::Angle;
      if (FObserver) FObserver->MouseCaptured(true);
    }
    MoveAngleDrag(position);
  }
}

void TSession::MouseRelease(QPoint position, const TPointerState& state) {
  if (!Allows(TCommandId::Drag)) return;
  const TDragState ended = std::exchange(FDragState, TDragState::None);
  if (ended == TDragState::Scroll) EndScrollDrag(position, state.Shift);
  if (ended == TDragState::Angle && FObserver) FObserver->MouseCaptured(false);
}

void TSession::StartScrollDrag() {
  // The picture is dragged flat and rises again after the new counts are in.
  if (!FDrawGrid.IsFlat()) FDrawGrid.Flatten();
  FDragState = TDragState::Scroll;
  FDrawGrid.TakeSnapshot();
  if (FObserver) FObserver->ScrollDragging(true);
}

// Shift keeps only the larger movement along the grid's axes; a tie keeps the vertical one.
QPoint TSession::LockedToAxis(QPoint offset) const {
  QPoint grid = ConvertOffset(offset, true);
  if (std::abs(grid.x()) > std::abs(grid.y()))
    grid.setY(0);
  else
    grid.setX(0);
  return ConvertOffset(grid, false);
}

void TSession::MoveScrollDrag(QPoint position, bool shift) {
  QPoint offset = position - FDragPosition;
  if (shift) offset = LockedToAxis(offset);
  FDrawGrid.DrawShifted(offset);
  const QPoint grid = ConvertOffset(offset, true);
  const TFloatExp step = FCalcGrid.GetStep();
  const int digits = DigitsForStep(step, kDragDigits);
  if (FObserver)
    FObserver->StatusChanged(Concat(
        {"X=", FormatGeneral(MovedCoordinate(FView.CenterX, -step * grid.x(), step), digits),
         ", Y=", FormatGeneral(MovedCoordinate(FView.CenterY, -step * grid.y(), step), digits)}));
}

void TSession::MoveAngleDrag(QPoint position) {
  const double dotsPerDegree = kPixelsPerDegree * FPixelRatio;
  const int ey = static_cast<int>((position.y() - FDragPosition.y()) / dotsPerDegree);
  if (ey != 0) {
    FDrawGrid.SetElevation(FDrawGrid.GetElevation() - ey);
    FDragPosition.setY(position.y());
  }
  const int ex = static_cast<int>((position.x() - FDragPosition.x()) / dotsPerDegree);
  if (ex != 0) {
    FDrawGrid.SetRotation(FDrawGrid.GetRotation() - ex);
    FDragPosition.setX(position.x());
  }
  if (ex == 0 && ey == 0) return;
  FDrawGrid.Render(true);
  Notify(&TSessionObserver::AnglesChanged);
}

void TSession::EndScrollDrag(QPoint position, bool shift) {
  if (FObserver) {
    FObserver->StatusChanged("");
    FObserver->ScrollDragging(false);
  }
  QPoint offset = position - FDragPosition;
  if (shift) offset = LockedToAxis(offset);
  FDrawGrid.EndShift(offset);
  // The relief rises within the scroll command, where no other command can start.
  ScrollBy(ConvertOffset(offset, true), !FDrawGrid.IsFlat());
}

std::pair<TDeepReal, TDeepReal> TSession::PointAt(QPoint position) const {
  const TFloatExp step = FCalcGrid.GetStep();
  return {MovedCoordinate(FView.CenterX, step * (position.x() - FDrawGrid.Width() / 2), step),
          MovedCoordinate(FView.CenterY, step * (position.y() - FDrawGrid.Height() / 2), step)};
}

// ---- history ----

void TSession::HistoryItemClick(int tag) {
  const TCommandId id = tag == -1   ? TCommandId::HistoryBack
                        : tag == -2 ? TCommandId::HistoryForward
                                    : TCommandId::HistoryGoTo;
  RunCommand(id, [this, tag](TBusyScope& busy) {
    const TMBItem* entry = tag == -1   ? FHistory.Back()
                           : tag == -2 ? FHistory.Forward()
                                       : FHistory.GoTo(tag);
    if (!entry) return;
    LoadView(*entry);
    ShowView();
    FDriver.Draw(busy, false);
  });
}

std::vector<THistoryGroup> TSession::HistoryGroups() const {
  std::vector<THistoryGroup> groups;
  // Before the first entry no centre matches, so the newest entry opens a group.
  std::optional<std::pair<TDeepReal, TDeepReal>> centre;
  for (int i = FHistory.Count() - 1; i >= 0; --i) {
    const TMBItem& entry = *FHistory.GetItem(i);
    if (!centre || entry.X != centre->first || entry.Y != centre->second) {
      THistoryGroup& group = groups.emplace_back();
      const int digits = CoordinateDigits(entry.Range);
      group.Caption =
          Concat({"(", FormatGeneral(entry.X, digits), ", ", FormatGeneral(entry.Y, digits), ")"});
      centre.emplace(entry.X, entry.Y);
    }
    THistoryGroup& group = groups.back();
    if (!entry.Name.empty()) group.Caption = entry.Name;
    const bool current = i == FHistory.Index();
    group.Entries.push_back({FormatGeneral(entry.Range, kRangeDigits), i, current});
    group.Current = group.Current || current;
  }
  return groups;
}

// ---- reproduction text ----

std::string TSession::ReproductionText() const {
  return ItemToText(StoreView(""));
}

bool TSession::AcceptsText(std::string_view text) const {
  return Allows(TCommandId::PasteText) && ParseView(text).has_value();
}

bool TSession::PasteText(std::string_view text) {
  const std::optional<TMBItem> item = ParseView(text);
  if (!item) return false;
  return RunCommand(TCommandId::PasteText, [this, &item](TBusyScope& busy) {
    LoadView(*item);
    ShowView();
    AddHistory("");
    FDriver.Draw(busy, false);
  });
}

// ---- formula ----

void TSession::SetFormula(bool isMandel, std::shared_ptr<const TRecurrence> formula,
                          long double paramRe, long double paramIm) {
  // The picture being computed is of the old formula; the engine takes the
  // new one once its thread is idle.
  if (!Allows(TCommandId::SetFormula)) return;
  if (Busy()) FCalcGrid.Abort();
  FCalcGrid.SetFormula(isMandel, formula.get(), paramRe, paramIm);
  FFormula = {isMandel, std::move(formula), paramRe, paramIm};
}

bool TSession::DrawContinue() {
  return RunCommand(TCommandId::DrawContinue, [this](TBusyScope& busy) { FDriver.Redraw(busy); });
}

}  // namespace vortexa
