#include "render/png_file.h"

#include <emmintrin.h>
#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <span>

#include "render/picture_file.h"

namespace vortexa {

namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kColorTypeRgb = 2;
constexpr std::uint8_t kColorTypeIndexed = 3;
constexpr int kMaxIndexedColors = 256;
// Chunks may hold up to 2^31 − 1 bytes; longer data goes into several IDAT chunks.
constexpr std::size_t kMaxChunkData = std::size_t{1} << 30;

void PutBigEndian(std::uint8_t* out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 24);
  out[1] = static_cast<std::uint8_t>(value >> 16);
  out[2] = static_cast<std::uint8_t>(value >> 8);
  out[3] = static_cast<std::uint8_t>(value);
}

// Colour → palette index for the first 256 colours met, by open addressing.
class TColorIndex {
 public:
  TColorIndex() { FSlots.fill(-1); }
  // The index of the colour (alpha bits ignored), or −1 when it would be the 257th.
  int IndexOf(std::uint32_t pixel) {
    const std::uint32_t color = pixel & 0xFFFFFFu;
    std::uint32_t slot = (color * 2654435761u) >> (32 - kSlotBits);
    for (; FSlots[slot] >= 0; slot = (slot + 1) & (kSlotCount - 1))
      if (FKeys[slot] == color) return FSlots[slot];
    if (FColors.size() == kMaxIndexedColors) return -1;
    FKeys[slot] = color;
    FSlots[slot] = static_cast<std::int16_t>(FColors.size());
    FColors.push_back(color);
    return FSlots[slot];
  }
  std::vector<std::uint8_t> Palette() const {
    std::vector<std::uint8_t> palette;
    for (const std::uint32_t color : FColors)
      palette.insert(palette.end(),
                     {static_cast<std::uint8_t>(color >> 16), static_cast<std::uint8_t>(color >> 8),
                      static_cast<std::uint8_t>(color)});
    return palette;
  }

 private:
  static constexpr int kSlotBits = 10;  // four slots per colour keep the probes short
  static constexpr std::uint32_t kSlotCount = 1u << kSlotBits;
  std::array<std::uint32_t, kSlotCount> FKeys{};
  std::array<std::int16_t, kSlotCount> FSlots{};
  std::vector<std::uint32_t> FColors;
};

const std::uint32_t* PixelRow(const QImage& image, int y) {
  return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
}

constexpr int kRun = 8;

// True when the kRun pixels from `pixels` all equal `color`.
bool RunContinues(const std::uint32_t* pixels, std::uint32_t color) {
  const __m128i same = _mm_set1_epi32(static_cast<int>(color));
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 4));
  const __m128i equal = _mm_and_si128(_mm_cmpeq_epi32(low, same), _mm_cmpeq_epi32(high, same));
  return _mm_movemask_epi8(equal) == 0xFFFF;
}

// Rows of palette indexes, each after its filter-type byte; false when the
// picture has more than 256 colours.
bool FillIndexedRows(const QImage& image, std::uint8_t* rows, TColorIndex& colors) {
  const int width = image.width();
  for (int y = 0; y < image.height(); ++y) {
    const std::uint32_t* pixels = PixelRow(image, y);
    std::uint8_t* out = rows + static_cast<std::size_t>(y) * (width + 1);
    *out++ = 0;
    // Neighbouring pixels mostly share their colour: runs go eight at a time.
    std::uint32_t last = ~pixels[0];
    int index = 0;
    for (int x = 0; x < width;) {
      if (x + kRun <= width && RunContinues(pixels + x, last)) {
        std::memset(out + x, index, kRun);
        x += kRun;
        continue;
      }
      if (pixels[x] != last) {
        last = pixels[x];
        index = colors.IndexOf(last);
        if (index < 0) return false;
      }
      out[x++] = static_cast<std::uint8_t>(index);
    }
  }
  return true;
}

void FillRgbRows(const QImage& image, std::uint8_t* rows) {
  const int width = image.width();
  for (int y = 0; y < image.height(); ++y) {
    const std::uint32_t* pixels = PixelRow(image, y);
    std::uint8_t* out = rows + static_cast<std::size_t>(y) * (3 * width + 1);
    *out++ = 0;
    for (int x = 0; x < width; ++x, out += 3) {
      out[0] = static_cast<std::uint8_t>(pixels[x] >> 16);
      out[1] = static_cast<std::uint8_t>(pixels[x] >> 8);
      out[2] = static_cast<std::uint8_t>(pixels[x]);
    }
  }
}

// Filters the rows in place: bottom row first and each row right to left, so
// that the bytes a filter predicts from are still unfiltered.
void ApplyFilter(std::uint8_t* rows, std::size_t rowBytes, int height, int bytesPerPixel,
                 TPngFilter filter) {
  if (filter == TPngFilter::None) return;
  const std::size_t stride = rowBytes + 1;
  for (int y = height - 1; y >= 0; --y) {
    std::uint8_t* row = rows + y * stride;
    row[0] = static_cast<std::uint8_t>(filter);
    std::uint8_t* data = row + 1;
    if (filter == TPngFilter::Sub) {
      for (std::size_t i = rowBytes; i-- > static_cast<std::size_t>(bytesPerPixel);)
        data[i] = static_cast<std::uint8_t>(data[i] - data[i - bytesPerPixel]);
    } else if (y > 0) {
      const std::uint8_t* above = data - stride;
      for (std::size_t i = 0; i < rowBytes; ++i)
        data[i] = static_cast<std::uint8_t>(data[i] - above[i]);
    }
  }
}

struct TCompressorDeleter {
  void operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
  }
};

void Compress(std::span<const std::uint8_t> rows, int level, TPngImage& png) {
  const std::unique_ptr<libdeflate_compressor, TCompressorDeleter> compressor(
      libdeflate_alloc_compressor(level));
  if (!compressor) throw TPictureFileError("PNG compression level must be 1 to 12");
  // Room for the worst case, of which only the written part is ever touched.
  png.Compressed = TPageBuffer<std::uint8_t>(
      libdeflate_zlib_compress_bound(compressor.get(), rows.size()), TPages::Small);
  png.CompressedSize = libdeflate_zlib_compress(compressor.get(), rows.data(), rows.size(),
                                                png.Compressed.data(), png.Compressed.size());
  if (png.CompressedSize == 0) throw TPictureFileError("PNG compression failed");
}

// One chunk: length, type, data and the CRC of type and data.
void WriteChunk(QIODevice& device, const char (&type)[5], std::span<const std::uint8_t> data) {
  std::uint8_t head[8];
  PutBigEndian(head, static_cast<std::uint32_t>(data.size()));
  std::copy(type, type + 4, head + 4);
  std::uint8_t tail[4];
  std::uint32_t crc = libdeflate_crc32(0, head + 4, 4);
  // libdeflate starts over for a null buffer, as an empty span may have.
  if (!data.empty()) crc = libdeflate_crc32(crc, data.data(), data.size());
  PutBigEndian(tail, crc);
  WriteAll(device, head, sizeof head);
  WriteAll(device, data.data(), data.size());
  WriteAll(device, tail, sizeof tail);
}

}  // namespace

TPngImage EncodePng(const QImage& picture, const TPngSettings& settings) {
  if (picture.isNull()) throw TPictureFileError("there is no picture to save");
  const QImage image = WithThirtyTwoBitPixels(picture);
  TPngImage png;
  png.Width = image.width();
  png.Height = image.height();
  const auto height = static_cast<std::size_t>(png.Height);
  std::size_t rowBytes = png.Width;
  TPageBuffer<std::uint8_t> rows((rowBytes + 1) * height);
  TColorIndex colors;
  if (FillIndexedRows(image, rows.data(), colors)) {
    png.Palette = colors.Palette();
    ApplyFilter(rows.data(), rowBytes, png.Height, 1, settings.Filter);
  } else {
    rowBytes = 3 * rowBytes;
    rows = TPageBuffer<std::uint8_t>((rowBytes + 1) * height);
    FillRgbRows(image, rows.data());
    ApplyFilter(rows.data(), rowBytes, png.Height, 3, settings.Filter);
  }
  Compress(rows, settings.Level, png);
  return png;
}

void WritePng(const TPngImage& png, QIODevice& device) {
  WriteAll(device, kSignature, sizeof kSignature);
  std::uint8_t header[13] = {};
  PutBigEndian(header, static_cast<std::uint32_t>(png.Width));
  PutBigEndian(header + 4, static_cast<std::uint32_t>(png.Height));
  header[8] = 8;  // bits per sample or index
  header[9] = png.Palette.empty() ? kColorTypeRgb : kColorTypeIndexed;
  WriteChunk(device, "IHDR", header);
  if (!png.Palette.empty()) WriteChunk(device, "PLTE", png.Palette);
  const std::span<const std::uint8_t> data(png.Compressed.data(), png.CompressedSize);
  for (std::size_t start = 0; start < data.size(); start += kMaxChunkData)
    WriteChunk(device, "IDAT", data.subspan(start, std::min(kMaxChunkData, data.size() - start)));
  WriteChunk(device, "IEND", {});
}

void SavePng(const TPngImage& png, const QString& fileName) {
  WriteWhole(fileName, [&png](QIODevice& file) { WritePng(png, file); });
}

}  // namespace vortexa
