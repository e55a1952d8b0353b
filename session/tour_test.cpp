#include "tour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "render/recording_canvas.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kMedium = 1;

// A recording canvas on which a test can act while the tour handles input.
class TInputCanvas : public TRecordingCanvas {
 public:
  void ProcessEvents() override {
    TRecordingCanvas::ProcessEvents();
    if (OnEvents) OnEvents();
  }
  std::function<void()> OnEvents;
};

// What the window would show: every shown view and the tour's reports.
class TTourLog : public TSessionObserver, public TTourObserver {
 public:
  explicit TTourLog(const TSession& session) : FSession(session) {}
  void ViewShown() override { Views.push_back(FSession.View()); }
  void ColorsChanged() override {
    if (Hues.empty() || Hues.back() != FSession.Colors().Hue) Hues.push_back(FSession.Colors().Hue);
  }
  void ArrivalShown(const std::string& name) override {
    Arrivals.push_back(name);
    ArrivalAt = Clock ? Clock() : 0;
    if (OnArrival) OnArrival();
  }
  void ArrivalHidden() override { HiddenAt = Clock ? Clock() : 0; }
  void TourStepEnded() override { ++Steps; }
  void TooFewCandidates() override { ++Refusals; }
  void TourStateChanged(bool running) override { States.push_back(running); }

  std::vector<TViewState> Views;
  std::vector<int> Hues;  // each new hue once
  std::vector<std::string> Arrivals;
  std::vector<bool> States;
  int Steps = 0;
  int Refusals = 0;
  std::int64_t ArrivalAt = 0, HiddenAt = 0;
  std::function<std::int64_t()> Clock;
  std::function<void()> OnArrival;

 private:
  const TSession& FSession;
};

TMBItem Favourite(const std::string& name, long double x, long double y, long double range,
                  int limit) {
  TMBItem item;
  item.Name = name;
  item.X = x;
  item.Y = y;
  item.Range = range;
  item.Limit = limit;
  item.ColorIndex = 1;
  item.Hue = 40;
  item.Saturation = 3;
  item.Highlight = 5;
  item.Period = 7;
  item.Tour = 1;
  return item;
}

class TourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSession.SetObserver(&FLog);
    FTour.SetObserver(&FLog);
    FLog.Clock = [this] { return FCanvas.now; };
    FSession.Resize(kWidth, kHeight);
    FSession.SetOptions(kOptNoZoomAnimation);
    FSession.PressDraw(TViewState{});
    FTour.SetSpeed(kMedium);
    // The hue drifts upwards and no hue pause comes.
    FTour.SetRandom([] { return 0.99; });
  }

  // The draw button (or Enter) while a tour runs.
  void PressStop() { FSession.PressDraw(FSession.View()); }

  // The views shown since the tour started, without the first one (the start).
  std::vector<TViewState> FlightViews(std::size_t from) const {
    return {FLog.Views.begin() + static_cast<std::ptrdiff_t>(from) + 1, FLog.Views.end()};
  }

  TInputCanvas FCanvas;
  TSession FSession{FCanvas, FCanvas};
  TTour FTour{FSession};
  TTourLog FLog{FSession};
};

TEST(TourPaceTest, SpeedsFollowTheMenuTable) {
  // (zoom-in factor, zoom-out factor, pause ticks, hue-pause chance) per position.
  const struct {
    int in, out, wait;
    double chance;
  } table[] = {{2, 4, 12, 0.4}, {4, 8, 10, 0.3}, {8, 16, 8, 0.2}, {16, 16, 6, 0.1}};
  for (int s = 0; s < 4; ++s) {
    const TTourPace pace = TourPace(s);
    EXPECT_EQ(1 << pace.ZoomIn, table[s].in) << s;
    EXPECT_EQ(1 << (pace.ZoomOut + 1), table[s].out) << s;
    EXPECT_EQ(pace.Wait, table[s].wait) << s;
    EXPECT_NEAR(pace.HuePauseChance, table[s].chance, 1e-12) << s;
  }
}

TEST_F(TourTest, FromHomeToADeepViewInThePictureTakesAnApproachAndSeventeenSteps) {
  const TMBItem dest = Favourite("渦", -0.75L, 0.1L, 1e-10L, 2000);
  const std::size_t start = FLog.Views.size();
  ASSERT_TRUE(FTour.TourToFavorite(dest));

  // log2(2 / 1e-10) = 34.2: 17 steps of ×4 after an approach by 2e10 / 4^17.
  const std::vector<TViewState> views = FlightViews(start);
  ASSERT_EQ(views.size(), 18u);
  for (std::size_t k = 0; k < views.size(); ++k) {
    const long double expected = 1e-10L * std::pow(4.0L, 17 - static_cast<int>(k));
    EXPECT_NEAR(static_cast<double>((views[k].Range / expected).ToLongDouble()), 1.0, 1e-12) << k;
    EXPECT_EQ(views[k].CenterX, dest.X);
    EXPECT_EQ(views[k].CenterY, dest.Y);
  }
  // The limit climbs from 1000 to 2000 in 18 equal parts.
  EXPECT_EQ(views.front().Limit, 1056);
  EXPECT_EQ(views[8].Limit, 1500);
  EXPECT_EQ(views.back().Limit, 2000);
  EXPECT_EQ(FLog.Steps, 18);
  EXPECT_EQ(FSession.Colors(), (TColorPositions{1, 40, 3, 5, 7}));
  EXPECT_EQ(FLog.Arrivals, std::vector<std::string>{"渦"});
  EXPECT_EQ(FSession.History().GetItem(FSession.History().Index())->Name, "渦");
  EXPECT_EQ(FLog.States, (std::vector<bool>{true, false}));
  EXPECT_FALSE(FSession.Busy());
  EXPECT_TRUE(FSession.DestName().empty());
}

// 24 parts of a climb to the largest limit: (i + 1) times the climb would
// not fit in 32 bits. Outside the set every dot escapes at once.
TEST_F(TourTest, TheLimitClimbsToTheLargestInEqualParts) {
  FSession.PressDraw({3, 0, 0.25L, 1000});
  const TMBItem dest = Favourite("遠", 3, 0.1L, 1e-15L, 100'000'000);
  const std::size_t start = FLog.Views.size();
  ASSERT_TRUE(FTour.TourToFavorite(dest));

  // log2(0.25 / 1e-15) = 47.8: an approach and 23 steps of ×4; 99,999,000 / 24 = 4,166,625.
  const std::vector<TViewState> views = FlightViews(start);
  ASSERT_EQ(views.size(), 24u);
  for (std::size_t k = 0; k < views.size(); ++k)
    EXPECT_EQ(views[k].Limit, 1000 + static_cast<int>(k + 1) * 4'166'625) << k;
}

TEST_F(TourTest, FromADeepViewTheTourZoomsOutUntilTheDestinationIsInThePicture) {
  FSession.PressDraw({0, 0, 1e-6L, 1000});
  const TMBItem dest = Favourite("外", -0.75L, 0.1L, 0.01L, 1000);
  const std::size_t start = FLog.Views.size();
  ASSERT_TRUE(FTour.TourToFavorite(dest));

  // ×8 while the range is at most 0.2, then ×2 with limit 4000; the picture
  // is 64 × 48 dots, so x = -0.75 lies in it once 32 dots reach it.
  const long double ranges[] = {8e-6L,     6.4e-5L,   5.12e-4L,  4.096e-3L,
                                0.032768L, 0.262144L, 0.524288L, 1.048576L};
  const int limits[] = {1429, 1858, 2287, 2716, 3145, 3574, 4000, 4000};
  const std::vector<TViewState> views = FlightViews(start);
  ASSERT_GT(views.size(), 8u);
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_NEAR(static_cast<double>((views[k].Range / ranges[k]).ToLongDouble()), 1.0, 1e-12) << k;
    EXPECT_EQ(views[k].Limit, limits[k]) << k;
    EXPECT_EQ(views[k].CenterX, 0);
  }
  // Then the approach onto the destination: 1.048576 / 0.01 = 104.9 = 4^3 × 1.64.
  EXPECT_EQ(views[8].CenterX, dest.X);
  EXPECT_NEAR(static_cast<double>(views.back().Range.ToLongDouble()), 0.01, 1e-15);
  EXPECT_EQ(views.size(), 8u + 1 + 3);
  EXPECT_EQ(views.back().Limit, 1000);
}

TEST_F(TourTest, ADestinationEqualToTheViewArrivesAtOnce) {
  const TMBItem here = FSession.StoreView("ここ");
  const std::size_t start = FLog.Views.size();
  ASSERT_TRUE(FTour.TourToFavorite(here));
  EXPECT_EQ(FLog.Steps, 0);
  EXPECT_EQ(FLog.Views.size(), start + 1);  // only the start is shown
  EXPECT_EQ(FLog.Arrivals, std::vector<std::string>{"ここ"});
  EXPECT_EQ(FLog.HiddenAt - FLog.ArrivalAt, kArrivalTicks * kTourTickMs);
}

TEST_F(TourTest, ANearDestinationIsReachedByTheApproachAlone) {
  // Range 2 / 3: less than one ×4 step, so the approach brings everything.
  const TMBItem dest = Favourite("近", 0.25L, -0.25L, 2.0L / 3, 3000);
  ASSERT_TRUE(FTour.TourToFavorite(dest));
  EXPECT_EQ(FLog.Steps, 1);
  EXPECT_EQ(FSession.View(), (TViewState{dest.X, dest.Y, FSession.View().Range, 3000}));
  EXPECT_NEAR(static_cast<double>(FSession.View().Range.ToLongDouble()), 2.0 / 3, 1e-15);
  EXPECT_EQ(FSession.Colors(), (TColorPositions{1, 40, 3, 5, 7}));
}

// ---- deep views ----

TDeepReal Decimal(const char* text) {
  return *TDeepReal::FromDecimal(text);
}

// A view at range 1e-30 with a centre of 34 digits.
TViewState DeepStart() {
  return {Decimal("-1.768778833000000000000000000000001"),
          Decimal("0.001738996073207466834921002345678"), 1e-30L, 500};
}

// Five dots of the start away, 64 times deeper: the range is whole zoom
// steps away, so only the centre calls for the approach step.
TEST_F(TourTest, BetweenTwoDeepViewsTheTourLandsOnTheDestinationsEveryDigit) {
  const TViewState start = DeepStart();
  FSession.PressDraw(start);
  const long double step = TSessionParts::CalcGrid(FSession).GetStep().ToLongDouble();
  TMBItem dest = Favourite("深", 0, 0, start.Range.ToLongDouble() / 64, 500);
  dest.X = start.CenterX.WithAtLeastBits(256) + 5 * step;
  dest.Y = start.CenterY.WithAtLeastBits(256) - 2 * step;
  const std::size_t first = FLog.Views.size();
  ASSERT_TRUE(FTour.TourToFavorite(dest));

  const std::vector<TViewState> views = FlightViews(first);
  ASSERT_EQ(views.size(), 1u + 3);  // the approach, then three ×4 steps
  for (const TViewState& view : views) {
    EXPECT_EQ(view.CenterX, dest.X);
    EXPECT_EQ(view.CenterY, dest.Y);
  }
  EXPECT_EQ(FSession.View().Range, dest.Range);
  EXPECT_EQ(FSession.History().GetItem(FSession.History().Index())->X, dest.X);
}

// A destination a thousand of the start's pictures away: doubles cannot tell
// the two centres apart, the deep distance can, so the tour zooms out first.
TEST_F(TourTest, ADeepDestinationOutOfThePictureIsFlownToOverAZoomOut) {
  const TViewState start = DeepStart();
  FSession.PressDraw(start);
  TMBItem dest = Favourite("遠", 0, 0, start.Range.ToLongDouble(), 500);
  dest.X = Decimal("-1.768778833000000000000000001000001");
  dest.Y = start.CenterY;
  const std::size_t first = FLog.Views.size();
  ASSERT_TRUE(FTour.TourToFavorite(dest));

  // 32 dots of 2 × range / 48 reach 1e-27 once the range is 1.5e-27: four ×8 steps.
  const std::vector<TViewState> views = FlightViews(first);
  ASSERT_GT(views.size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(views[k].Range, views[0].Range * std::pow(8.0L, static_cast<int>(k))) << k;
    EXPECT_EQ(views[k].CenterX, start.CenterX) << k;
  }
  EXPECT_EQ(views[0].Range, start.Range * 8);
  EXPECT_EQ(views[4].CenterX, dest.X);
  EXPECT_EQ(FSession.View().CenterX, dest.X);
  EXPECT_EQ(FSession.View().CenterY, dest.Y);
  EXPECT_NEAR(static_cast<double>((FSession.View().Range / dest.Range).ToLongDouble()), 1.0, 1e-12);
}

TEST_F(TourTest, TheHueDriftsOneWayWrapsAndPausesWhereThePeriodStays) {
  // Three ×4 steps after an approach by 1; period, saturation and highlight
  // stay, so every step but the last may pause. 0.1 drifts downwards and
  // always pauses, for round(0.1 × 4 + 4) = 4 extra steps.
  TMBItem dest = Favourite("色", 0.25L, 0, 2.0L / 64, 1000);
  dest.Period = 4;
  dest.Saturation = 0;
  dest.Highlight = 0;
  FTour.SetRandom([] { return 0.1; });
  FLog.Hues.clear();
  ASSERT_TRUE(FTour.TourToFavorite(dest));
  EXPECT_EQ(FLog.Hues, (std::vector<int>{63, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 40}));
}

TEST_F(TourTest, AnUpwardHueDriftWrapsFromTheLastHueToTheFirst) {
  TColorPositions colors = FSession.Colors();
  colors.Hue = 63;
  FSession.SetColors(colors);
  FLog.Hues.clear();
  ASSERT_TRUE(FTour.TourToFavorite(Favourite("色", 0.25L, 0, 2.0L / 64, 1000)));
  ASSERT_GE(FLog.Hues.size(), 3u);
  EXPECT_EQ(FLog.Hues[0], 0);
  EXPECT_EQ(FLog.Hues[1], 1);
  EXPECT_EQ(FLog.Hues.back(), 40);
}

TEST_F(TourTest, AStopDuringTheFirstStepEndsWithoutArrivalOrHistory) {
  const int entries = FSession.History().Count();
  FCanvas.OnEvents = [this] { PressStop(); };
  ASSERT_TRUE(FTour.TourToFavorite(Favourite("渦", -0.75L, 0.1L, 1e-10L, 2000)));
  EXPECT_EQ(FLog.Steps, 0);
  EXPECT_TRUE(FLog.Arrivals.empty());
  EXPECT_EQ(FSession.History().Count(), entries);
  EXPECT_FALSE(FSession.Busy());
  EXPECT_FALSE(FSession.TourRunning());
  // The view stays where the first step put it.
  EXPECT_EQ(FSession.View().CenterX, -0.75L);
}

TEST_F(TourTest, AStopCutsTheArrivalPauseShortButTheViewIsRecorded) {
  FLog.OnArrival = [this] { FCanvas.OnEvents = [this] { PressStop(); }; };
  ASSERT_TRUE(FTour.TourToFavorite(Favourite("近", 0.25L, -0.25L, 2.0L / 3, 3000)));
  EXPECT_LT(FLog.HiddenAt - FLog.ArrivalAt, 2 * kTourTickMs);
  EXPECT_EQ(FSession.History().GetItem(FSession.History().Index())->Name, "近");
}

TEST_F(TourTest, ATourIsRefusedWhileBusy) {
  ASSERT_TRUE(FSession.BeginDraw());
  EXPECT_FALSE(FTour.TourToFavorite(FSession.StoreView("x")));
  FSession.EndDraw();
}

TEST_F(TourTest, RandomToursNeedTwoCandidates) {
  const TMBItem only = Favourite("一", 0, 0, 1, 1000);
  ASSERT_TRUE(FTour.RandomTour({&only}));
  EXPECT_EQ(FLog.Refusals, 1);
  EXPECT_TRUE(FLog.Arrivals.empty());
  EXPECT_FALSE(FSession.Busy());
}

TEST_F(TourTest, TwoCandidatesAlternateAndAStoppedDestinationStaysPending) {
  const TMBItem a = Favourite("A", -0.5L, 0, 0.5L, 1000);
  const TMBItem b = Favourite("B", 0.25L, 0, 0.5L, 1000);
  // Choices spread over [0, 1): the tour itself must avoid repeats.
  double next = 0;
  FTour.SetRandom([&next] { return next = std::fmod(next + 0.3, 1.0); });
  FLog.OnArrival = [this] {
    if (FLog.Arrivals.size() == 4) PressStop();
  };
  ASSERT_TRUE(FTour.RandomTour({&a, &b}));
  ASSERT_EQ(FLog.Arrivals.size(), 4u);
  for (std::size_t k = 1; k < 4; ++k)
    EXPECT_NE(FLog.Arrivals[k], FLog.Arrivals[k - 1]);
  // Two candidates: the recent list keeps one entry and one new.
  EXPECT_LE(FTour.RecentDestinations().size(), 2u);
  EXPECT_FALSE(FTour.RecentDestinations().back().Pending);

  // Stopped on the way, the next random tour goes to the same destination.
  FLog.OnArrival = nullptr;
  FCanvas.OnEvents = [this] { PressStop(); };
  FLog.Arrivals.clear();
  ASSERT_TRUE(FTour.RandomTour({&a, &b}));
  const TRecentDest pending = FTour.RecentDestinations().back();
  EXPECT_TRUE(pending.Pending);
  FCanvas.OnEvents = nullptr;
  FLog.OnArrival = [this] { PressStop(); };
  ASSERT_TRUE(FTour.RandomTour({&a, &b}));
  ASSERT_EQ(FLog.Arrivals.size(), 1u);
  EXPECT_EQ(FLog.Arrivals[0], pending.Position == 0 ? "A" : "B");
}

}  // namespace
}  // namespace vortexa
