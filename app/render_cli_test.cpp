// The renderer's picture files hold exactly the picture that the window's
// composition makes from the same counts: the files are decoded by Qt's
// readers and compared pixel by pixel with a picture composed here from the
// counts the renderer wrote beside them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/test_folder.h"
#include "engine/calc_grid.h"
#include "engine/reference_counts.h"
#include "render/canvas.h"
#include "render/decoded_video.h"
#include "render/draw_grid.h"

namespace vortexa {
namespace {

constexpr int kWidth = 160, kHeight = 100;

int RunRenderer(const std::string& arguments) {
  const std::string command =
      std::string(VORTEXA_RENDER_PATH) + " " + arguments + " >/dev/null 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Little-endian values of `bytesPerDot` bytes each.
std::vector<TDot> ReadCounts(const std::filesystem::path& path, int bytesPerDot = 2) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::vector<TDot> counts(bytes.size() / bytesPerDot);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    counts[i / bytesPerDot] |= TDot{static_cast<unsigned char>(bytes[i])}
                               << (8 * (i % bytesPerDot));
  return counts;
}

// The default colours, the limit and the angles applied as the window does,
// to counts set dot by dot.
QImage ComposeFromCounts(const std::vector<TDot>& counts, int limit, int rotation, int elevation) {
  TCalcGrid grid;
  TNullCanvas canvas;
  TDrawGrid draw(grid, canvas);
  draw.SetSize(kWidth, kHeight);
  for (int row = 0; row < kHeight; ++row)
    for (int col = 0; col < kWidth; ++col)
      grid.SetDot(row, col, counts[row * kWidth + col]);
  draw.SetColors(0, 0, 0, 0);
  draw.SetPeriod(4);
  draw.SetLimit(limit);
  draw.SetRotation(rotation);
  draw.SetElevation(elevation);
  draw.Render(true);
  return draw.Picture().Image().convertToFormat(QImage::Format_RGB32);
}

TEST(RenderPictures, FilesDecodeToThePictureComposedFromTheirCounts) {
  const std::filesystem::path folder = OwnTestFolder();
  const auto counts = folder / "pictures.raw";
  const struct {
    const char* View;
    int Limit, Rotation, Elevation;
    char PngColorType;  // few colours: indexed; blended walls: RGB
  } cases[] = {{"--center -0.6,0.2 --range 1.1", 1000, 0, 90, 3},
               {"--center -0.743643887037151,0.131825904205330 --range 1e-3", 4000, 30, 40, 2}};
  for (const auto& c : cases)
    for (const char* name : {"picture.png", "picture.bmp"}) {
      const auto picture = folder / name;
      std::filesystem::remove(picture);
      ASSERT_EQ(RunRenderer("--size 160x100 " + std::string(c.View) + " --limit " +
                            std::to_string(c.Limit) + " --rotation " + std::to_string(c.Rotation) +
                            " --elevation " + std::to_string(c.Elevation) + " --counts " +
                            counts.string() + " -o " + picture.string()),
                0);
      const std::vector<TDot> dots = ReadCounts(counts);
      ASSERT_EQ(dots.size(), std::size_t{kWidth} * kHeight);
      const QImage expected = ComposeFromCounts(dots, c.Limit, c.Rotation, c.Elevation);
      std::ifstream file(picture, std::ios::binary);
      const std::string bytes(std::istreambuf_iterator<char>(file), {});
      if (picture.extension() == ".png") {
        EXPECT_EQ(bytes.at(25), c.PngColorType) << c.View;
      }
      const QImage decoded = QImage::fromData(QByteArray(bytes.data(), bytes.size()));
      ASSERT_FALSE(decoded.isNull()) << name << c.View;
      EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), expected) << name << c.View;
    }
}

// Above limit 65000 the counts are 32-bit values: on the real axis beside the
// cusp at 1/4 they pass 16 bits, as the plain double loop counts them.
TEST(RenderPictures, CountsAboveTheNarrowLimitsAreWrittenInThirtyTwoBits) {
  const std::filesystem::path counts = OwnTestFolder() / "wide.raw";
  ASSERT_EQ(
      RunRenderer("--size 48x3 --center 0.250000001,0 --range 3e-11 --limit 150000 --counts " +
                  counts.string() + " -o " + (OwnTestFolder() / "wide.png").string()),
      0);
  ASSERT_EQ(std::filesystem::file_size(counts), 48u * 3 * 4);
  const std::vector<TDot> dots = ReadCounts(counts, 4);
  const long double step = 2 * 3e-11L / 3;
  int pastSixteenBits = 0;
  for (int col = 0; col < 48; ++col) {
    const TDot expected = test_support::ReferenceLane<double>(
        static_cast<double>(0.250000001L + (col - 24) * step), 0.0, 150000);
    EXPECT_EQ(dots[48 + col], expected) << "column " << col;
    pastSixteenBits += expected > 0xFFFF && expected != kDotInside;
  }
  EXPECT_GT(pastSixteenBits, 24);
  EXPECT_EQ(dots[0], kDotInside);  // beside the axis
}

QImage Decoded(const std::filesystem::path& path) {
  return QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_RGB32);
}

// Four processes compute a band each; joined, the bands are one render's
// picture. Bands compute every dot, so the render has the shortcuts off.
TEST(RenderBands, StitchedTilesAreOneRender) {
  const std::filesystem::path folder = OwnTestFolder();
  const std::string view = "--size 160x101 --center -0.6,0 --range 1.1 --limit 500 ";
  std::string bands;
  for (int i = 0; i < 4; ++i) {
    const auto band = folder / ("tile-" + std::to_string(i) + ".png");
    ASSERT_EQ(RunRenderer(view + "--tile " + std::to_string(i) + "/4 -o " + band.string()), 0);
    bands += band.string() + " ";
  }
  const auto joined = folder / "joined.png", whole = folder / "whole.png";
  ASSERT_EQ(RunRenderer("--stitch " + bands + "-o " + joined.string()), 0);
  ASSERT_EQ(RunRenderer(view + "--options 24 -o " + whole.string()), 0);
  const QImage picture = Decoded(whole);
  ASSERT_EQ(picture.size(), QSize(160, 101));
  EXPECT_EQ(Decoded(joined), picture);
}

// A pipe named as a target is written into and stays a pipe; the counts and
// the picture may not share a file.
TEST(RenderTargets, APipeReceivesTheCountsAndStaysAPipe) {
  namespace fs = std::filesystem;
  const fs::path folder = testing::TempDir();
  const fs::path pipe = folder / "counts.fifo", picture = folder / "piped.png";
  fs::remove(pipe);
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // Open without waiting; the counts (32000 bytes) fit in the pipe's buffer.
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(RunRenderer("--size 160x100 --counts " + pipe.string() + " -o " + picture.string()), 0);
  std::string received(2 * kWidth * kHeight + 1, '\0');
  EXPECT_EQ(read(reader, received.data(), received.size()), 2 * kWidth * kHeight);
  close(reader);
  EXPECT_TRUE(fs::is_fifo(pipe));

  fs::remove(picture);
  EXPECT_EQ(RunRenderer("--size 160x100 --counts " + picture.string() + " -o " +
                        (folder / "." / "piped.png").string()),
            2);
  EXPECT_FALSE(fs::exists(picture));
}

TEST(RenderVideos, ZoomVideoHasItsFramesAtItsSize) {
  const auto video = OwnTestFolder() / "zoom.mp4";
  ASSERT_EQ(RunRenderer("--size 64x48 --video " + video.string() + " --frames 16 --to-range 0.1"),
            0);
  const auto frames = test_support::DecodeVideo(video.string());
  ASSERT_EQ(frames.size(), 16u);
  for (const auto& frame : frames)
    EXPECT_EQ(QSize(frame.Width, frame.Height), QSize(64, 48));
}

// Ctrl+C ends the video after the frame in hand, with every frame made in it.
// A shell's background job ignores SIGINT unless the program handles it,
// hence the watchdog.
TEST(RenderVideos, CtrlCLeavesAFinishedVideo) {
  const std::filesystem::path folder = OwnTestFolder();
  const auto video = folder / "stopped.mp4", said = folder / "stopped.txt";
  std::filesystem::remove(video);
  const std::string command = "(" + std::string(VORTEXA_RENDER_PATH) + " --size 64x48 --video " +
                              video.string() +
                              " --frames 1000000 --to-range 1e-12 --limit 3000 2>" + said.string() +
                              " & p=$!; sleep 1; kill -INT $p; (sleep 30; kill -KILL $p) "
                              ">/dev/null 2>&1 & w=$!; wait $p; s=$?; "
                              "kill $w; exit $s)";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  std::ifstream in(said);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  const std::size_t at = text.find("vortexa-render: ");
  ASSERT_NE(at, std::string::npos) << text;
  const int reported = std::atoi(text.c_str() + at + 16);
  EXPECT_GT(reported, 0);
  EXPECT_EQ(static_cast<int>(test_support::DecodeVideo(video.string()).size()), reported);
}

}  // namespace
}  // namespace vortexa
