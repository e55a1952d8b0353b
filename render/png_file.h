// PNG files through libdeflate: RGB without alpha, or indexed colour when the
// picture has at most 256 colours (as flat pictures coloured from the palette
// usually do), which halves the file and the time to compress it.
#pragma once

#include <QIODevice>
#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/page_buffer.h"

namespace vortexa {

// Row filters of the PNG format that the encoder offers.
enum class TPngFilter : std::uint8_t { None = 0, Sub = 1, Up = 2 };

// Unfiltered rows at libdeflate's level 2: on this program's pictures no
// filter gives the smallest files, and levels 1 and 2 are the fastest; level 2
// is a little smaller everywhere and the faster one on smooth pictures such as
// the home view (measured by bench/png_bench.cpp).
struct TPngSettings {
  TPngFilter Filter = TPngFilter::None;
  int Level = 2;  // libdeflate's 1..12
};

// A picture compressed and ready to be written.
struct TPngImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Palette;  // red, green, blue per entry; empty for RGB
  TPageBuffer<std::uint8_t> Compressed;
  std::size_t CompressedSize = 0;
};

// Throws TPictureFileError for an empty picture or a failed compression.
TPngImage EncodePng(const QImage& picture, const TPngSettings& settings = {});
// Throws TPictureFileError when the device does not take every byte.
void WritePng(const TPngImage& png, QIODevice& device);
// Writes the file beside its target and renames it over the target only when
// complete; throws TPictureFileError.
void SavePng(const TPngImage& png, const QString& fileName);

}  // namespace vortexa
