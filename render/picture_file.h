// Picture files: 24-bit BMP and baseline JPEG, chosen by the file name's extension.
#pragma once

#include <QIODevice>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace vortexa {

// JPEG quality by the menu's choice: low, middle (default), high.
inline constexpr int kJpegQualities[] = {80, 90, 100};
inline constexpr int kDefaultJpegQuality = 1;

class TPictureFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The extensions a JPEG file goes by, in lower case.
inline const QStringList kJpegExtensions = {"jpg", "jpeg", "jpe"};

// Writes the picture as ".bmp" or as JPEG (compared in lower case) and returns
// true; any other extension writes nothing and returns false. The file appears
// under its name only when it was written completely; failures throw
// TPictureFileError.
bool SavePicture(const QImage& picture, const QString& fileName,
                 int jpegQuality = kDefaultJpegQuality);

// Stream the picture to the device without a full-size copy of it; throw
// TPictureFileError when the device does not take every byte.
void WriteBmp(const QImage& picture, QIODevice& device);
void WriteJpeg(const QImage& picture, int quality, QIODevice& device);

// Throws TPictureFileError when the device does not take every byte.
void WriteAll(QIODevice& device, const void* data, std::size_t size);
// Hands `write` a device on a file beside fileName, and puts the file in its
// place only when `write` returns, so a failure (a full disk) never leaves a
// half-written file and keeps any earlier one. Throws TPictureFileError
// naming the file and the reason.
void WriteWhole(const QString& fileName, const std::function<void(QIODevice&)>& write);
// The picture as 32-bit pixels, without a copy when it has them already.
QImage WithThirtyTwoBitPixels(const QImage& picture);

}  // namespace vortexa
