// Picture files by the name's extension: PNG through the project's writer
// (RGB or indexed, never with an alpha channel), BMP and JPEG.
#pragma once

#include <QImage>
#include <QString>
#include <functional>

// The types' extensions and TPictureFileError come with it.
#include "render/picture_file.h"

namespace vortexa {

// The steps of writing a picture, for a program that times them apart.
enum class TWriteStage {
  Encoding,  // a PNG compressed; BMP and JPEG stream to the file, written too
  Writing,   // a compressed PNG written
};

// True when written; an extension naming no picture type writes nothing and
// gives false. `stageDone` hears the end of each step. Failures throw
// TPictureFileError.
bool WritePicture(const QImage& picture, const QString& fileName, int jpegPosition,
                  const std::function<void(TWriteStage)>& stageDone = {});

}  // namespace vortexa
