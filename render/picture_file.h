// Picture files: 24-bit BMP and baseline JPEG, chosen by the file name's extension.
#pragma once

#include <QImage>
#include <QString>
#include <stdexcept>

namespace vortexa {

// JPEG quality by the menu's choice: low, middle (default), high.
inline constexpr int kJpegQualities[] = {80, 90, 100};
inline constexpr int kDefaultJpegQuality = 1;

class TPictureFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the picture as ".bmp" or ".jpg" (compared in lower case) and returns
// true; any other extension writes nothing and returns false. The file appears
// under its name only when it was written completely; failures throw
// TPictureFileError.
bool SavePicture(const QImage& picture, const QString& fileName,
                 int jpegQuality = kDefaultJpegQuality);

// Writes `bytes` beside fileName and renames the result over it only when
// complete, so a failure (a full disk) leaves any earlier file as it was.
// Throws TPictureFileError naming the file and the reason (the picture
// files' form of the plain WriteFileWhole).
void WriteFileWhole(const QString& fileName, const QByteArray& bytes);

QByteArray EncodeBmp(const QImage& picture);
QByteArray EncodeJpeg(const QImage& picture, int quality);

}  // namespace vortexa
