#include "session/picture_output.h"

#include <QFileInfo>

#include "render/png_file.h"

namespace vortexa {

bool WritePicture(const QImage& picture, const QString& fileName, int jpegPosition,
                  const std::function<void(TWriteStage)>& stageDone) {
  const auto done = [&stageDone](TWriteStage stage) {
    if (stageDone) stageDone(stage);
  };
  if (QFileInfo(fileName).suffix().toLower() != "png") {
    const bool written = SavePicture(picture, fileName, jpegPosition);
    done(TWriteStage::Encoding);
    return written;
  }
  const TPngImage png = EncodePng(picture);
  done(TWriteStage::Encoding);
  SavePng(png, fileName);
  done(TWriteStage::Writing);
  return true;
}

}  // namespace vortexa
