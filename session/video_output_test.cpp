// The window's tour-video command: a command of the session, filmed into a
// file that FFmpeg's decoder reads back.
#include "session/video_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "render/canvas.h"
#include "render/decoded_video.h"

namespace vortexa {
namespace {

constexpr int kWidth = 64, kHeight = 48;

// The window's pump: each call is where pending events would be handled;
// the draw button arrives at call `StopAt`.
class TStoppingPump : public TNullCanvas {
 public:
  void ProcessEvents() override {
    if (++Calls == StopAt) Session->RequestStop();
  }
  TSession* Session = nullptr;
  int Calls = 0;
  int StopAt = 0;
};

class SaveTourVideoTest : public ::testing::Test {
 protected:
  SaveTourVideoTest() {
    FPump.Session = &FSession;
    FSession.Resize(kWidth, kHeight);
    FSession.LoadView({-0.5L, 0, 3, 100}, {});
    FSession.ShowView();
    FDest.X = -0.75L;
    FDest.Y = 0.1L;
    FDest.Range = 0.05L;
    FDest.Limit = 300;
  }
  ~SaveTourVideoTest() override { std::filesystem::remove(FPath); }

  std::optional<TFilmed> Film(int maxFrames) {
    return SaveTourVideo(FSession, FPath, {kWidth, kHeight, 30, maxFrames, 3, {&FDest, {}}},
                         [this](int done, int wanted) {
                           EXPECT_TRUE(FSession.Busy());
                           FProgress = {done, wanted};
                         });
  }

  TStoppingPump FPump;
  TSession FSession{FPump, FPump};
  TMBItem FDest;
  std::pair<int, int> FProgress;
  // Tests run side by side, here and in other builds on the machine.
  const std::string FPath =
      (std::filesystem::temp_directory_path() /
       ("tour-video-" + std::to_string(getpid()) + "-" +
        ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".mp4"))
          .string();
};

TEST_F(SaveTourVideoTest, FilmsTheFramesAskedForBetweenPumpedEvents) {
  const std::optional<TFilmed> filmed = Film(16);
  ASSERT_TRUE(filmed);
  EXPECT_EQ(filmed->Frames, 16);
  EXPECT_EQ(FProgress, std::make_pair(16, 16));
  EXPECT_GE(FPump.Calls, 16) << "the window lives between frames";
  EXPECT_FALSE(FSession.Busy());
  const auto frames = test_support::DecodeVideo(FPath);
  ASSERT_EQ(frames.size(), 16u);
  EXPECT_EQ(frames.front().Width, kWidth);
  EXPECT_EQ(frames.front().Height, kHeight);
}

TEST_F(SaveTourVideoTest, AStopLeavesAPlayableFileOfTheFramesDone) {
  const int whole = Film(0)->Frames;
  FPump.Calls = 0;
  FPump.StopAt = 40;
  const std::optional<TFilmed> stopped = Film(0);
  ASSERT_TRUE(stopped);
  EXPECT_GE(stopped->Frames, 40);
  EXPECT_LT(stopped->Frames, whole);
  EXPECT_FALSE(FSession.AbortRequested());
  EXPECT_EQ(test_support::DecodeVideo(FPath).size(), static_cast<std::size_t>(stopped->Frames));
}

TEST_F(SaveTourVideoTest, IsRefusedWhileBusy) {
  ASSERT_TRUE(FSession.BeginDraw());
  EXPECT_FALSE(Film(4));
  EXPECT_FALSE(std::filesystem::exists(FPath));
  FSession.EndDraw();
}

}  // namespace
}  // namespace vortexa
