#include "render/png_file.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include "engine/calc_grid.h"
#include "render/canvas.h"
#include "render/draw_grid.h"
#include "render/picture_file.h"

namespace vortexa {
namespace {

constexpr int kColorTypeAt =
    25;  // after the signature, IHDR's length and type, width, height, depth

// `colors` different colours in bands, with a varying alpha the file must drop.
QImage BandedPicture(int width, int height, int colors) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int band = (y * width + x) * colors / (width * height);
      image.setPixel(x, y, qRgba(band, 255 - band / 2, band * 7, (x * 37) & 0xFF));
    }
  return image;
}

QByteArray Encoded(const QImage& picture, const TPngSettings& settings = {}) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  WritePng(EncodePng(picture, settings), buffer);
  return bytes;
}

// Qt's own reader decodes every file.
QImage Decoded(const QByteArray& bytes) {
  return QImage::fromData(bytes, "PNG").convertToFormat(QImage::Format_RGB32);
}

QImage Opaque(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32);
}

TEST(PngFileTest, UpTo256ColoursAreIndexedAndMoreAreRgbBothDecodingToThePixels) {
  struct {
    QSize size;
    int colors;
    char colorType;
  } cases[] = {{{1, 1}, 1, 3},     {{17, 5}, 40, 3},  {{64, 64}, 256, 3},
               {{64, 64}, 257, 2}, {{33, 9}, 297, 2}, {{300, 200}, 5000, 2}};
  for (const auto& c : cases) {
    const QImage picture = BandedPicture(c.size.width(), c.size.height(), c.colors);
    const QByteArray bytes = Encoded(picture);
    EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1A\n"));
    EXPECT_EQ(bytes[kColorTypeAt], c.colorType) << c.colors;
    EXPECT_TRUE(bytes.endsWith(QByteArray("IEND\xAE\x42\x60\x82", 8)));
    EXPECT_EQ(Decoded(bytes), Opaque(picture)) << c.colors;
  }
}

TEST(PngFileTest, EveryFilterAndLevelDecodesToThePixels) {
  for (int colors : {200, 3000}) {
    const QImage picture = BandedPicture(50, 31, colors);
    for (TPngFilter filter : {TPngFilter::None, TPngFilter::Sub, TPngFilter::Up})
      for (int level : {1, 6, 12})
        EXPECT_EQ(Decoded(Encoded(picture, {filter, level})), Opaque(picture))
            << colors << " " << static_cast<int>(filter) << " " << level;
  }
  EXPECT_THROW(EncodePng(BandedPicture(4, 4, 2), {TPngFilter::None, 13}), TPictureFileError);
  EXPECT_THROW(EncodePng(QImage()), TPictureFileError);
  QByteArray bytes;
  QBuffer readOnly(&bytes);
  ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
  EXPECT_THROW(WritePng(EncodePng(BandedPicture(4, 4, 2)), readOnly), TPictureFileError);
}

// The picture of a view as the renderer composes it, written by the old way
// (Qt's writer) and the new one, decodes to the same pixels.
TEST(PngFileTest, AComposedViewDecodesAsQtsOwnFileOfItDoes) {
  TCalcGrid grid;
  TNullCanvas canvas;
  TDrawGrid draw(grid, canvas);
  draw.SetSize(160, 90);
  for (int elevation : {90, 40}) {
    grid.SetView(-0.5L, 0.1L, 500, 1.2L);
    grid.Start(ccDraw);
    grid.WaitIdle();
    draw.SetLimit(500);
    draw.SetRotation(elevation == 90 ? 0 : 30);
    draw.SetElevation(elevation);
    draw.MarkHeightsStale();
    draw.Render(true);
    const QImage& picture = draw.Picture().Image();
    QByteArray qtFile;
    QBuffer buffer(&qtFile);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
    EXPECT_EQ(Decoded(Encoded(picture)), Decoded(qtFile)) << elevation;
  }
}

TEST(PngFileTest, SavingWritesTheWholeFileOrNone) {
  QTemporaryDir dir;
  const QImage picture = BandedPicture(40, 30, 1000);
  const TPngImage png = EncodePng(picture);
  const QString path = dir.filePath("picture.png");
  SavePng(png, path);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(Decoded(file.readAll()), Opaque(picture));

  EXPECT_THROW(SavePng(png, dir.filePath("missing/picture.png")), TPictureFileError);
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.png"));
  EXPECT_THROW(SavePng(png, dir.filePath("taken.png")), TPictureFileError);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"picture.png"});
}

}  // namespace
}  // namespace vortexa
