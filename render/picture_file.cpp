#include "render/picture_file.h"

#include <jerror.h>
#include <jpeglib.h>

#include <QFileInfo>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "favorites/whole_file.h"

namespace vortexa {

namespace {

constexpr int kBmpHeaderSize = 14 + 40;
constexpr std::size_t kJpegBlockSize = 64 * 1024;

void PutLittleEndian(std::uint8_t* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

const std::uint32_t* PixelRow(const QImage& image, int y) {
  return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
}

// libjpeg reports errors through a callback that must not return; jumping
// back to the caller keeps the process alive and frees the encoder.
struct TJpegErrorManager {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JumpOnJpegError(j_common_ptr info) {
  auto* errors = reinterpret_cast<TJpegErrorManager*>(info->err);
  errors->manager.format_message(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// Hands the compressed stream to the device a block at a time.
struct TJpegDestination {
  jpeg_destination_mgr manager;
  QIODevice* device;
  JOCTET block[kJpegBlockSize];
};

void StartJpegBlock(j_compress_ptr info) {
  auto* destination = reinterpret_cast<TJpegDestination*>(info->dest);
  destination->manager.next_output_byte = destination->block;
  destination->manager.free_in_buffer = kJpegBlockSize;
}

void WriteJpegBytes(j_compress_ptr info, std::size_t size) {
  auto* destination = reinterpret_cast<TJpegDestination*>(info->dest);
  const auto written = destination->device->write(reinterpret_cast<const char*>(destination->block),
                                                  static_cast<qint64>(size));
  if (written != static_cast<qint64>(size)) ERREXIT(info, JERR_FILE_WRITE);
}

boolean WriteFullJpegBlock(j_compress_ptr info) {
  WriteJpegBytes(info, kJpegBlockSize);  // a full block, whatever free_in_buffer says
  StartJpegBlock(info);
  return TRUE;
}

void WriteLastJpegBlock(j_compress_ptr info) {
  WriteJpegBytes(info, kJpegBlockSize - info->dest->free_in_buffer);
}

}  // namespace

namespace {

// A write-only device on a file written whole (or on the pipe or device the
// user named); a failed write keeps the system's reason as the device's
// error text.
class TWholeFileDevice : public QIODevice {
 public:
  explicit TWholeFileDevice(const QString& fileName)
      : FFile(fileName.toStdString(), TTargetKinds::kStreamsToo) {
    open(QIODevice::WriteOnly);
  }
  void Commit() { FFile.Commit(); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    try {
      FFile.Write(std::string_view(data, static_cast<std::size_t>(size)));
      return size;
    } catch (const std::runtime_error& error) {
      setErrorString(QString::fromStdString(error.what()));
      return -1;
    }
  }

 private:
  TWholeFile FFile;
};

}  // namespace

void WriteWhole(const QString& fileName, const std::function<void(QIODevice&)>& write) {
  try {
    TWholeFileDevice file(fileName);
    write(file);
    file.Commit();
  } catch (const TPictureFileError&) {
    throw;
  } catch (const std::runtime_error& error) {
    throw TPictureFileError(error.what());
  }
}

void WriteAll(QIODevice& device, const void* data, std::size_t size) {
  if (device.write(static_cast<const char*>(data), static_cast<qint64>(size)) !=
      static_cast<qint64>(size))
    throw TPictureFileError(device.errorString().toStdString());
}

QImage WithThirtyTwoBitPixels(const QImage& picture) {
  switch (picture.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
      return picture;
    default:
      return picture.convertToFormat(QImage::Format_ARGB32);
  }
}

void WriteBmp(const QImage& picture, QIODevice& device) {
  const QImage image = WithThirtyTwoBitPixels(picture);
  const int width = image.width(), height = image.height();
  const int rowBytes = (width * 3 + 3) & ~3;
  const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes) * height;
  std::uint8_t header[kBmpHeaderSize] = {'B', 'M'};
  PutLittleEndian(header + 2, kBmpHeaderSize + imageBytes, 4);
  PutLittleEndian(header + 10, kBmpHeaderSize, 4);
  PutLittleEndian(header + 14, 40, 4);
  PutLittleEndian(header + 18, width, 4);
  PutLittleEndian(header + 22, height, 4);  // positive: rows stored bottom-up
  PutLittleEndian(header + 26, 1, 2);
  PutLittleEndian(header + 28, 24, 2);  // uncompressed, no palette: the rest stays 0
  PutLittleEndian(header + 34, imageBytes, 4);
  PutLittleEndian(header + 38, 2835, 4);  // 72 dpi
  PutLittleEndian(header + 42, 2835, 4);
  WriteAll(device, header, sizeof header);
  std::vector<std::uint8_t> row(rowBytes, 0);  // the padding stays 0
  for (int y = height - 1; y >= 0; --y) {
    const std::uint32_t* pixels = PixelRow(image, y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(pixels[x]);
      row[3 * x + 1] = static_cast<std::uint8_t>(pixels[x] >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(pixels[x] >> 16);
    }
    WriteAll(device, row.data(), row.size());
  }
}

void WriteJpeg(const QImage& picture, int quality, QIODevice& device) {
  const QImage image = WithThirtyTwoBitPixels(picture);
  jpeg_compress_struct info{};
  TJpegErrorManager errors{};
  TJpegDestination destination{};
  destination.device = &device;
  destination.manager.init_destination = StartJpegBlock;
  destination.manager.empty_output_buffer = WriteFullJpegBlock;
  destination.manager.term_destination = WriteLastJpegBlock;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpOnJpegError;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    // A refused write says why through the device; libjpeg only knows that it failed.
    if (errors.manager.msg_code == JERR_FILE_WRITE)
      throw TPictureFileError(device.errorString().toStdString());
    throw TPictureFileError(std::string("JPEG encoding failed: ") + errors.message);
  }
  jpeg_create_compress(&info);
  info.dest = &destination.manager;
  info.image_width = static_cast<JDIMENSION>(image.width());
  info.image_height = static_cast<JDIMENSION>(image.height());
  // The 32-bit pixels lie in memory as blue, green, red, alpha: read in place.
  info.input_components = 4;
  info.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
}

bool SavePicture(const QImage& picture, const QString& fileName, int jpegQuality) {
  const QString extension = QFileInfo(fileName).suffix().toLower();
  const bool bmp = extension == QLatin1String("bmp");
  if (!bmp && !kJpegExtensions.contains(extension)) return false;
  if (picture.isNull()) throw TPictureFileError("there is no picture to save");
  if (!bmp && (jpegQuality < 0 || jpegQuality > 2))
    throw TPictureFileError("JPEG quality choice must be 0, 1 or 2");
  WriteWhole(fileName, [&](QIODevice& file) {
    if (bmp)
      WriteBmp(picture, file);
    else
      WriteJpeg(picture, kJpegQualities[jpegQuality], file);
  });
  return true;
}

}  // namespace vortexa
