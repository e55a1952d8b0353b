// The filming canvas: frames at the clock's frame times, each showing what
// was presented before that time.
#include "render/video_canvas.h"

#include <gtest/gtest.h>

#include <QColor>
#include <vector>

namespace vortexa {
namespace {

QImage Filled(int width, int height, Qt::GlobalColor color) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

TEST(VideoCanvas, FramesShowThePictureAtTheirTimes) {
  std::vector<QImage> frames;
  int fullCalls = 0;
  TVideoCanvas canvas(
      8, 6, 25, [&](const QImage& frame) { frames.push_back(frame.copy()); }, [] { return false; },
      5, [&] { ++fullCalls; });
  canvas.Present(Filled(8, 6, Qt::red), 0, 0);
  canvas.SleepMs(100);  // frames at 0, 40 and 80 ms
  canvas.Present(Filled(8, 6, Qt::blue), 0, 0);
  canvas.SleepMsUnless(20, [] { return true; });  // 120 ms: not yet past
  canvas.PresentStretched(Filled(2, 2, Qt::green), QRect(4, 0, 4, 6));
  canvas.SleepMs(1);    // the frame at 120 ms
  canvas.SleepMs(500);  // one more, then the limit
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(fullCalls, 1);
  EXPECT_EQ(canvas.NowMs(), 621);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(frames[k].pixel(7, 0), QColor(Qt::red).rgb()) << k;
  EXPECT_EQ(frames[3].pixel(0, 0), QColor(Qt::blue).rgb());
  EXPECT_EQ(frames[3].pixel(4, 5), QColor(Qt::green).rgb());
  EXPECT_EQ(frames[3].pixel(3, 5), QColor(Qt::blue).rgb());
}

}  // namespace
}  // namespace vortexa
