#include "session/picture_output.h"

#include <QFileInfo>

#include "render/png_file.h"

namespace vortexa {

bool WritePicture(const QImage& picture, const QString& fileName, int jpegPosition) {
  if (QFileInfo(fileName).suffix().toLower() == "png") {
    SavePng(picture, fileName);
    return true;
  }
  return SavePicture(picture, fileName, jpegPosition);
}

}  // namespace vortexa
