#include "render/picture_file.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace vortexa {
namespace {

// Smooth colours with a sharp edge, the kind of picture the program writes.
QImage TestPicture(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(
          x, y,
          qRgba(x * 255 / width, y * 255 / height, x < width / 2 ? 40 : 200, x == 0 ? 0x30 : 0xFF));
  return image;
}

QImage Opaque(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32);
}

double MeanAbsoluteError(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
             std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * a.width() * a.height());
}

class PictureFileTest : public testing::Test {
 protected:
  QString Path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

TEST_F(PictureFileTest, BmpDecodesToThePictureWithoutAlpha) {
  for (QSize size : {QSize(33, 7), QSize(1, 1), QSize(64, 20)}) {
    const QImage picture = TestPicture(size.width(), size.height());
    const QString path = Path("picture.bmp");
    ASSERT_TRUE(SavePicture(picture, path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(bytes[28], 24);  // bits per pixel
    const int rowBytes = (size.width() * 3 + 3) & ~3;
    EXPECT_EQ(bytes.size(), 54 + rowBytes * size.height());
    const QImage decoded(path);
    ASSERT_EQ(decoded.size(), size);
    EXPECT_EQ(Opaque(decoded), Opaque(picture));
  }
}

TEST_F(PictureFileTest, JpegDecodesWithinItsLoss) {
  const QImage picture = TestPicture(96, 64);
  qint64 previousSize = 0;
  for (int quality : {0, 1, 2}) {
    const QString path = Path(QString("picture%1.JPG").arg(quality));
    ASSERT_TRUE(SavePicture(picture, path, quality));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xFF\xD8"));
    EXPECT_TRUE(bytes.contains("\xFF\xC0"));  // baseline frame
    EXPECT_GT(bytes.size(), previousSize);    // higher quality, larger file
    previousSize = bytes.size();
    const QImage decoded = QImage::fromData(bytes, "JPG");
    ASSERT_EQ(decoded.size(), picture.size());
    EXPECT_LT(MeanAbsoluteError(decoded, picture), quality == 2 ? 1.5 : 3.0) << quality;
  }
  EXPECT_THROW(SavePicture(picture, Path("bad.jpg"), 3), TPictureFileError);
  EXPECT_FALSE(QFile::exists(Path("bad.jpg")));
}

// The plain way to a JPEG file: the picture converted to 24-bit rows first.
QByteArray ReferenceJpeg(const QImage& picture, int quality) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = rgb.width();
  info.image_height = rgb.height();
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  for (int y = 0; y < rgb.height(); ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(y));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
  std::free(buffer);
  return bytes;
}

// Read in place from the 32-bit pixels, the file is the one 24-bit rows give.
TEST_F(PictureFileTest, JpegIsTheFileOfTheTwentyFourBitPicture) {
  const QImage picture = TestPicture(250, 37);
  for (int quality : {0, 1, 2}) {
    const QString path = Path("same.jpg");
    ASSERT_TRUE(SavePicture(picture, path, quality));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ReferenceJpeg(picture, kJpegQualities[quality])) << quality;
  }
}

TEST_F(PictureFileTest, ADeviceThatTakesNoBytesIsAnError) {
  const QImage picture = TestPicture(300, 200);
  QByteArray bytes;
  QBuffer readOnly(&bytes);
  ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
  EXPECT_THROW(WriteBmp(picture, readOnly), TPictureFileError);
  EXPECT_THROW(WriteJpeg(picture, 90, readOnly), TPictureFileError);
}

// The extension chooses the format, in any case; others write nothing.
TEST_F(PictureFileTest, TheExtensionChoosesTheFormat) {
  const QImage picture = TestPicture(8, 8);
  const struct {
    const char* name;
    const char* format;  // as the file's header shows it; null for no file
  } cases[] = {{"a.bmp", "BM"},        {"b.BMP", "BM"},       {"c.jpg", "\xFF\xD8"},
               {"d.jpeg", "\xFF\xD8"}, {"e.JPE", "\xFF\xD8"}, {"f.png", nullptr},
               {"g", nullptr},         {"h.bmp.txt", nullptr}};
  for (const auto& c : cases) {
    EXPECT_EQ(SavePicture(picture, Path(c.name)), c.format != nullptr) << c.name;
    QFile file(Path(c.name));
    if (!c.format) {
      EXPECT_FALSE(file.exists()) << c.name;
      continue;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
    EXPECT_TRUE(file.readAll().startsWith(c.format)) << c.name;
  }
}

TEST_F(PictureFileTest, FailuresAreErrorsAndLeaveNoFile) {
  const QImage picture = TestPicture(8, 8);
  EXPECT_THROW(SavePicture(picture, Path("missing/picture.bmp")), TPictureFileError);
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.bmp"));
  EXPECT_THROW(SavePicture(picture, Path("taken.bmp")), TPictureFileError);
  EXPECT_THROW(SavePicture(QImage(), Path("empty.jpg")), TPictureFileError);
  EXPECT_THROW(SavePicture(QImage(), Path("empty.bmp")), TPictureFileError);
  EXPECT_FALSE(QFile::exists(Path("empty.jpg")));
  EXPECT_FALSE(QFile::exists(Path("empty.bmp")));
  // Only the failed files are missing: nothing half-written lies around.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

}  // namespace
}  // namespace vortexa
