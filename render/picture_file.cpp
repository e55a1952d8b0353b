#include "render/picture_file.h"

#include <jpeglib.h>

#include <QFileInfo>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "favorites/whole_file.h"

namespace vortexa {

namespace {

constexpr int kBmpHeaderSize = 14 + 40;

void PutLittleEndian(QByteArray& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
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

QImage ToRgb888(const QImage& picture) {
  return picture.convertToFormat(QImage::Format_RGB888);
}

}  // namespace

QByteArray EncodeBmp(const QImage& picture) {
  const QImage rgb = ToRgb888(picture);
  const int width = rgb.width(), height = rgb.height();
  const int rowBytes = (width * 3 + 3) & ~3;
  const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes) * height;
  QByteArray out;
  out.reserve(kBmpHeaderSize + static_cast<int>(imageBytes));
  out.append("BM");
  PutLittleEndian(out, kBmpHeaderSize + imageBytes, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, kBmpHeaderSize, 4);
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, width, 4);
  PutLittleEndian(out, height, 4);  // positive: rows stored bottom-up
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 24, 2);
  PutLittleEndian(out, 0, 4);  // uncompressed
  PutLittleEndian(out, imageBytes, 4);
  PutLittleEndian(out, 2835, 4);  // 72 dpi
  PutLittleEndian(out, 2835, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 0, 4);
  for (int y = height - 1; y >= 0; --y) {
    const uchar* row = rgb.constScanLine(y);
    for (int x = 0; x < width; ++x) {
      out.append(static_cast<char>(row[3 * x + 2]));
      out.append(static_cast<char>(row[3 * x + 1]));
      out.append(static_cast<char>(row[3 * x]));
    }
    out.append(rowBytes - width * 3, '\0');
  }
  return out;
}

QByteArray EncodeJpeg(const QImage& picture, int quality) {
  const QImage rgb = ToRgb888(picture);
  jpeg_compress_struct info{};
  TJpegErrorManager errors{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpOnJpegError;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    throw TPictureFileError(std::string("JPEG encoding failed: ") + errors.message);
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(rgb.width());
  info.image_height = static_cast<JDIMENSION>(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  QByteArray out(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

namespace {

QByteArray EncodeByExtension(const QImage& picture, const QString& extension, int jpegQuality) {
  if (extension == QLatin1String("bmp")) return EncodeBmp(picture);
  if (jpegQuality < 0 || jpegQuality > 2)
    throw TPictureFileError("JPEG quality choice must be 0, 1 or 2");
  return EncodeJpeg(picture, kJpegQualities[jpegQuality]);
}

}  // namespace

bool SavePicture(const QImage& picture, const QString& fileName, int jpegQuality) {
  const QString extension = QFileInfo(fileName).suffix().toLower();
  if (extension != QLatin1String("bmp") && extension != QLatin1String("jpg")) return false;
  if (picture.isNull()) throw TPictureFileError("there is no picture to save");
  WriteFileWhole(fileName, EncodeByExtension(picture, extension, jpegQuality));
  return true;
}

void WriteFileWhole(const QString& fileName, const QByteArray& bytes) {
  try {
    WriteFileWhole(std::filesystem::path(fileName.toStdString()),
                   std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } catch (const std::runtime_error& error) {
    throw TPictureFileError(error.what());
  }
}

}  // namespace vortexa
