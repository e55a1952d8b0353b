// Picture files by the name's extension: PNG through the project's writer
// (RGB or indexed, never with an alpha channel), BMP and JPEG.
#pragma once

#include <QImage>
#include <QString>

// The types' extensions and TPictureFileError come with it.
#include "render/picture_file.h"

namespace vortexa {

// True when written; an extension naming no picture type writes nothing and
// gives false. Failures throw TPictureFileError.
bool WritePicture(const QImage& picture, const QString& fileName, int jpegPosition);

}  // namespace vortexa
