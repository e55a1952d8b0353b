// Tours: the session flies the view to stored favourites. It zooms out until
// the destination lies in the picture, moves onto it in one shift-and-zoom
// and zooms in step by step, while the limit and the colours glide towards
// the destination's and the hue drifts. A random tour goes from favourite to
// favourite until it is stopped (TSession::RequestStop or the draw button).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "favorites/mb_item.h"
#include "session/session.h"

namespace vortexa {

// Tour-speed positions 0 (slow) to 3 (fastest).
inline constexpr int kFastestTourSpeed = kTourSpeedPositions - 1;
// Pauses are counted in these steps.
inline constexpr int kTourTickMs = 100;
// The arrival panel stays this many ticks, and the random tour rests as long again.
inline constexpr int kArrivalTicks = 30;
// Below this range a zoom-out step goes by ×2 with the limit at kTourOutLimit.
inline constexpr long double kTourWideRange = 0.2L;
inline constexpr int kTourOutLimit = 4000;

// What one speed position means.
struct TTourPace {
  int ZoomIn;   // exponent a: ×2^a per zoom-in step
  int ZoomOut;  // exponent e: ×2^(e+1) per zoom-out step
  int Wait;     // pause W in ticks, twice per step
  double HuePauseChance;
};
TTourPace TourPace(int speed);

// What a window shows of a tour.
class TTourObserver {
 public:
  virtual ~TTourObserver() = default;
  // A tour command began or ended (the tour button hides while it runs).
  virtual void TourStateChanged(bool /*running*/) {}
  // Status panel 3.
  virtual void TourStatus(const std::string& /*text*/) {}
  // The arrival panel appears with the name (and the sound starts), or goes.
  virtual void ArrivalShown(const std::string& /*name*/) {}
  virtual void ArrivalHidden() {}
  // A step has ended: the statistics window may show the new counts.
  virtual void TourStepEnded() {}
  // A random tour needs at least two candidates.
  virtual void TooFewCandidates() {}
};

// One recent random-tour destination, as a position in the candidate list.
struct TRecentDest {
  int Position = 0;
  bool Pending = true;  // chosen but not reached yet
  bool operator==(const TRecentDest&) const = default;
};

class TTour {
 public:
  explicit TTour(TSession& session);

  void SetObserver(TTourObserver* observer) { FObserver = observer; }
  void SetSpeed(int speed) { FSpeed = std::clamp(speed, 0, kFastestTourSpeed); }
  int Speed() const { return FSpeed; }
  // Uniform numbers in [0, 1); tests make the tour's choices predictable.
  void SetRandom(std::function<double()> random) { FRandom = std::move(random); }

  // Flies to one destination; false when another command runs.
  bool TourToFavorite(const TMBItem& dest);
  // Flies from candidate to candidate until stopped; false when busy. The
  // candidates must stay alive while the tour runs.
  bool RandomTour(const std::vector<const TMBItem*>& candidates);
  const std::vector<TRecentDest>& RecentDestinations() const { return FRecentDest; }

 private:
  // The flight; false when the tour was stopped on the way.
  bool TourTo(TBusyScope& busy, const TMBItem& dest);
  bool ZoomOut(TBusyScope& busy, const TMBItem& dest, int sign);
  bool ZoomIn(TBusyScope& busy, const TMBItem& dest, int sign);
  bool DestinationInView(const TMBItem& dest) const;
  // Pauses n ticks while the window handles input; false once stopped.
  bool TourWait(TBusyScope& busy, int ticks);
  int DriftHue(int hue, int sign) const;
  bool HuePause(TBusyScope& busy, int sign);
  void ShowArrival(TBusyScope& busy, const std::string& name);
  int ChooseDestination(int candidates);
  void StepEnded();
  // Runs a tour command: busy, running, and the clean-up in every case.
  bool TourCommand(TCommandId id, const std::function<void(TBusyScope& busy)>& flight);

  TSession& FSession;
  TTourObserver* FObserver = nullptr;
  int FSpeed = kDefaultTourSpeed;
  std::function<double()> FRandom;
  std::vector<TRecentDest> FRecentDest;
};

}  // namespace vortexa
