// Row-streamed PNG files against Qt's own PNG reader and writer.
#include "render/png_stream.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <random>

#include "render/picture_file.h"

namespace vortexa {
namespace {

QString TempPath(const char* name) {
  return QString::fromStdString((std::filesystem::path(::testing::TempDir()) / name).string());
}

// Noise over a gradient: neither flat nor random, so every row filter of
// Qt's writer finds some use.
QImage TestPicture(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  std::mt19937 noise(7);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.setPixel(x, y,
                       qRgb((x * 7 + static_cast<int>(noise() % 9)) & 255, (y * 5) & 255,
                            (x * y + static_cast<int>(noise() % 3)) & 255));
  return picture;
}

void WriteInBands(const QImage& picture, const QString& path, int bandRows,
                  std::optional<TBandLabel> label = std::nullopt) {
  TPngRowWriter writer(path, picture.width(), picture.height(), label);
  for (int y = 0; y < picture.height(); y += bandRows)
    writer.AppendRows(
        picture.copy(0, y, picture.width(), std::min(bandRows, picture.height() - y)));
  writer.Finish();
}

TEST(PngStream, RowsWrittenInBandsReadBackByQt) {
  const QImage picture = TestPicture(301, 77);
  const QString path = TempPath("bands.png");
  WriteInBands(picture, path, 10);
  EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), picture);
}

TEST(PngStream, ReaderUndoesEveryFilterOfQtsWriter) {
  const QImage picture = TestPicture(97, 64);
  const QString path = TempPath("qt.png");
  ASSERT_TRUE(picture.convertToFormat(QImage::Format_RGB888).save(path, "PNG", 9));
  TPngRowReader reader(path);
  ASSERT_EQ(reader.Width(), 97);
  ASSERT_EQ(reader.Height(), 64);
  for (int y = 0; y < 64; ++y) {
    const std::uint8_t* rgb = reader.ReadRow();
    for (int x = 0; x < 97; ++x)
      ASSERT_EQ(qRgb(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]), picture.pixel(x, y))
          << x << "," << y;
  }
  EXPECT_THROW(reader.ReadRow(), TPictureFileError);
}

TEST(PngStream, StitchedBandsAreTheWholePicture) {
  const QImage picture = TestPicture(64, 50);
  constexpr int kBands = 3;
  std::vector<QString> bands;
  for (int i = 0; i < kBands; ++i) {
    const int first = BandFirstRow(50, kBands, i), last = BandFirstRow(50, kBands, i + 1);
    bands.push_back(TempPath(("band-" + std::to_string(i) + ".png").c_str()));
    WriteInBands(picture.copy(0, first, 64, last - first), bands.back(), 4,
                 TBandLabel{i, kBands, 50});
  }
  const QString whole = TempPath("whole.png");
  StitchPngs(bands, whole);
  EXPECT_EQ(QImage(whole).convertToFormat(QImage::Format_RGB32), picture);

  std::filesystem::remove(TempPath("swapped.png").toStdString());
  std::swap(bands[0], bands[1]);
  EXPECT_THROW(StitchPngs(bands, TempPath("swapped.png")), TPictureFileError);
  bands.pop_back();
  EXPECT_THROW(StitchPngs(bands, TempPath("missing.png")), TPictureFileError);
  EXPECT_FALSE(std::filesystem::exists(TempPath("swapped.png").toStdString()));
}

TEST(PngStream, FileWithMissingRowsIsNeverWritten) {
  const QString path = TempPath("short.png");
  {
    TPngRowWriter writer(path, 8, 8);
    writer.AppendRows(TestPicture(8, 5));
    EXPECT_THROW(writer.Finish(), TPictureFileError);
  }
  EXPECT_FALSE(std::filesystem::exists(path.toStdString()));
}

}  // namespace
}  // namespace vortexa
