// Videos are decoded again through libavformat and libavcodec: the frame
// count, the size and each frame's brightness must come back.
#include "render/video_file.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "render/decoded_video.h"

namespace vortexa {
namespace {

using test_support::DecodeVideo;
using test_support::TDecodedFrame;

// Grey level of frame k: far enough apart to survive the encoder.
int GreyOf(int k) {
  return 16 + k * 13;
}

// Y of a grey in the video range 16..235 (BT.601).
int LumaOf(int grey) {
  return 16 + grey * 219 / 255;
}

class VideoFileTest : public ::testing::TestWithParam<TVideoCodec> {
 protected:
  // One file per codec: the cases of the codecs may run at the same time.
  std::string Path(const char* name) const {
    const char* codec = GetParam() == TVideoCodec::H264 ? "h264-" : "mpeg4-";
    return (std::filesystem::path(::testing::TempDir()) / (codec + std::string(name))).string();
  }
};

TEST_P(VideoFileTest, SixteenFramesComeBackInOrderAtTheirSize) {
  const std::string path = Path("sixteen.mp4");
  TVideoFile video(path, {64, 48, 30, GetParam()});
  for (int k = 0; k < 16; ++k) {
    QImage frame(64, 48, QImage::Format_ARGB32);
    frame.fill(QColor(GreyOf(k), GreyOf(k), GreyOf(k)));
    video.AddFrame(frame);
  }
  video.Finish();
  const std::vector<TDecodedFrame> frames = DecodeVideo(path);
  ASSERT_EQ(frames.size(), 16u) << video.CodecName();
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(frames[k].Width, 64);
    EXPECT_EQ(frames[k].Height, 48);
    EXPECT_NEAR(frames[k].CentreLuma, LumaOf(GreyOf(k)), 4) << "frame " << k;
  }
}

// A run cut off without Finish keeps every whole second written.
TEST_P(VideoFileTest, UnfinishedFileKeepsItsCompleteFragments) {
  const std::string path = Path("cut.mp4");
  {
    TVideoFile video(path, {32, 32, 4, GetParam()});
    QImage frame(32, 32, QImage::Format_RGB32);
    frame.fill(Qt::gray);
    for (int k = 0; k < 10; ++k)
      video.AddFrame(frame);
  }
  const std::vector<TDecodedFrame> frames = DecodeVideo(path);
  EXPECT_GE(frames.size(), 4u);
  EXPECT_LE(frames.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Codecs, VideoFileTest,
                         ::testing::Values(TVideoCodec::H264, TVideoCodec::Mpeg4),
                         [](const auto& info) {
                           return info.param == TVideoCodec::H264 ? "H264" : "Mpeg4";
                         });

TEST(VideoFile, RefusesOddSizesAndBadRates) {
  const std::string path = (std::filesystem::path(::testing::TempDir()) / "bad.mp4").string();
  const TVideoSettings bad[] = {{63, 48, 30}, {64, 47, 30}, {0, 0, 30}, {64, 48, 0}};
  for (const TVideoSettings& settings : bad)
    EXPECT_THROW(TVideoFile(path, settings), TVideoError)
        << settings.Width << "x" << settings.Height << " at " << settings.Fps;
  TVideoFile video(path, {64, 48, 30});
  EXPECT_THROW(video.AddFrame(QImage(32, 48, QImage::Format_RGB32)), TVideoError);
}

}  // namespace
}  // namespace vortexa
