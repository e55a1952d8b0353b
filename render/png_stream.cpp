#include "render/png_stream.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render/picture_file.h"

namespace vortexa {

namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kColorTypeRgb = 2;
// Compressed bytes per IDAT chunk, and the deflate level: the fastest, as the
// encoding of a band should not take longer than computing the next.
constexpr std::size_t kChunkBytes = 1 << 18;
constexpr int kDeflateLevel = 1;
constexpr char kBandKeyword[] = "Vortexa band";

void PutBigEndian(std::uint8_t* out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 24);
  out[1] = static_cast<std::uint8_t>(value >> 16);
  out[2] = static_cast<std::uint8_t>(value >> 8);
  out[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t GetBigEndian(const std::uint8_t* in) {
  return std::uint32_t{in[0]} << 24 | std::uint32_t{in[1]} << 16 | std::uint32_t{in[2]} << 8 |
         in[3];
}

// "index/count of height", the text of a band label.
std::string LabelText(const TBandLabel& label) {
  return std::to_string(label.Index) + "/" + std::to_string(label.Count) + " of " +
         std::to_string(label.PictureHeight);
}

std::optional<TBandLabel> ParseLabel(const std::string& text) {
  TBandLabel label;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d/%d of %d%c", &label.Index, &label.Count, &label.PictureHeight,
                  &tail) != 3)
    return std::nullopt;
  return label;
}

std::uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

}  // namespace

int BandFirstRow(int height, int count, int index) {
  return static_cast<int>(static_cast<std::int64_t>(height) * index / count);
}

// ---- writing ----

struct TPngRowWriter::TDeflate {
  z_stream Stream{};
};

TPngRowWriter::TPngRowWriter(const QString& fileName, int width, int height,
                             std::optional<TBandLabel> label)
    : FFile(fileName), FWidth(width), FHeight(height), FDeflate(std::make_unique<TDeflate>()) {
  if (width < 1 || height < 1 || width > (1 << 30) / 3)
    throw TPictureFileError("a PNG file cannot have that size");
  if (!FFile.open(QIODevice::WriteOnly))
    throw TPictureFileError("cannot write " + fileName.toStdString() + ": " +
                            FFile.errorString().toStdString());
  if (deflateInit(&FDeflate->Stream, kDeflateLevel) != Z_OK)
    throw TPictureFileError("out of memory for PNG compression");
  if (FFile.write(reinterpret_cast<const char*>(kSignature), sizeof kSignature) !=
      sizeof kSignature)
    throw TPictureFileError("cannot write " + fileName.toStdString());
  std::uint8_t header[13] = {};
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header + 4, static_cast<std::uint32_t>(height));
  header[8] = 8;
  header[9] = kColorTypeRgb;
  WriteChunk("IHDR", header, sizeof header);
  if (label) {
    const std::string text = std::string(kBandKeyword) + '\0' + LabelText(*label);
    WriteChunk("tEXt", reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  }
  FRow.assign(1 + static_cast<std::size_t>(width) * 3, 0);  // filter byte 0: none
  FOut.reserve(kChunkBytes);
}

TPngRowWriter::~TPngRowWriter() {
  deflateEnd(&FDeflate->Stream);
}

void TPngRowWriter::WriteChunk(const char (&type)[5], const std::uint8_t* data, std::size_t size) {
  std::uint8_t head[8];
  PutBigEndian(head, static_cast<std::uint32_t>(size));
  std::memcpy(head + 4, type, 4);
  uLong crc = crc32(0, head + 4, 4);
  if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));  // a null buffer restarts it
  std::uint8_t tail[4];
  PutBigEndian(tail, static_cast<std::uint32_t>(crc));
  const auto size64 = static_cast<qint64>(size);
  if (FFile.write(reinterpret_cast<const char*>(head), 8) != 8 ||
      (size64 > 0 && FFile.write(reinterpret_cast<const char*>(data), size64) != size64) ||
      FFile.write(reinterpret_cast<const char*>(tail), 4) != 4)
    throw TPictureFileError("cannot write " + FFile.fileName().toStdString() + ": " +
                            FFile.errorString().toStdString());
}

void TPngRowWriter::Deflate(const std::uint8_t* data, std::size_t size, bool finish) {
  z_stream& stream = FDeflate->Stream;
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(size);
  std::array<std::uint8_t, 1 << 16> out;
  int result;
  do {
    stream.next_out = out.data();
    stream.avail_out = out.size();
    result = deflate(&stream, finish ? Z_FINISH : Z_NO_FLUSH);
    if (result == Z_STREAM_ERROR) throw TPictureFileError("PNG compression failed");
    FOut.insert(FOut.end(), out.data(), out.data() + (out.size() - stream.avail_out));
    if (FOut.size() >= kChunkBytes || (finish && !FOut.empty())) {
      WriteChunk("IDAT", FOut.data(), FOut.size());
      FOut.clear();
    }
  } while (stream.avail_out == 0 || (finish && result != Z_STREAM_END));
}

void TPngRowWriter::AppendRgbRow(const std::uint8_t* rgb) {
  if (FRows == FHeight) throw TPictureFileError("more rows than the PNG file's height");
  std::memcpy(FRow.data() + 1, rgb, FRow.size() - 1);
  Deflate(FRow.data(), FRow.size(), false);
  ++FRows;
}

void TPngRowWriter::AppendRows(const QImage& rows) {
  if (rows.width() != FWidth) throw TPictureFileError("rows of another width than the file's");
  const QImage image = WithThirtyTwoBitPixels(rows);
  std::vector<std::uint8_t> rgb(FRow.size() - 1);
  for (int y = 0; y < image.height(); ++y) {
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    for (int x = 0; x < FWidth; ++x) {
      rgb[3 * x] = static_cast<std::uint8_t>(pixels[x] >> 16);
      rgb[3 * x + 1] = static_cast<std::uint8_t>(pixels[x] >> 8);
      rgb[3 * x + 2] = static_cast<std::uint8_t>(pixels[x]);
    }
    AppendRgbRow(rgb.data());
  }
}

void TPngRowWriter::Finish() {
  if (FRows != FHeight)
    throw TPictureFileError("the PNG file got " + std::to_string(FRows) + " of its " +
                            std::to_string(FHeight) + " rows");
  Deflate(nullptr, 0, true);
  WriteChunk("IEND", nullptr, 0);
  if (!FFile.commit())
    throw TPictureFileError("cannot write " + FFile.fileName().toStdString() + ": " +
                            FFile.errorString().toStdString());
}

// ---- reading ----

struct TPngRowReader::TInflate {
  z_stream Stream{};
};

TPngRowReader::TPngRowReader(const QString& fileName)
    : FFile(fileName), FName(fileName), FInflate(std::make_unique<TInflate>()) {
  const std::string name = fileName.toStdString();
  if (!FFile.open(QIODevice::ReadOnly))
    throw TPictureFileError("cannot read " + name + ": " + FFile.errorString().toStdString());
  if (inflateInit(&FInflate->Stream) != Z_OK)
    throw TPictureFileError("out of memory for PNG decompression");
  std::uint8_t signature[sizeof kSignature];
  if (FFile.read(reinterpret_cast<char*>(signature), sizeof signature) != sizeof signature ||
      std::memcmp(signature, kSignature, sizeof signature) != 0)
    throw TPictureFileError(name + " is not a PNG file");
  // The header, and any label, come before the first IDAT.
  FeedNextIdat();
  const auto rowBytes = static_cast<std::size_t>(FWidth) * 3;
  FRaw.assign(rowBytes + 1, 0);
  FPrev.assign(rowBytes, 0);
  FRow.assign(rowBytes, 0);
}

TPngRowReader::~TPngRowReader() {
  inflateEnd(&FInflate->Stream);
}

bool TPngRowReader::NextChunk() {
  const std::string name = FName.toStdString();
  std::uint8_t head[8];
  if (FFile.read(reinterpret_cast<char*>(head), 8) != 8)
    throw TPictureFileError(name + " ends early");
  const std::uint32_t size = GetBigEndian(head);
  const std::string type(reinterpret_cast<const char*>(head + 4), 4);
  if (size > (1u << 31)) throw TPictureFileError(name + " has a broken chunk");
  FIn.resize(size);
  std::uint8_t tail[4];
  if (FFile.read(reinterpret_cast<char*>(FIn.data()), size) != size ||
      FFile.read(reinterpret_cast<char*>(tail), 4) != 4)
    throw TPictureFileError(name + " ends early");
  uLong crc = crc32(0, head + 4, 4);
  if (size > 0) crc = crc32(crc, FIn.data(), size);  // a null buffer restarts it
  if (GetBigEndian(tail) != static_cast<std::uint32_t>(crc))
    throw TPictureFileError(name + " is damaged (a chunk's check sum is wrong)");
  if (type == "IHDR") {
    if (size != 13 || FIn[8] != 8 || FIn[9] != kColorTypeRgb || FIn[12] != 0)
      throw TPictureFileError(name + " is not an 8-bit RGB PNG without interlacing");
    FWidth = static_cast<int>(GetBigEndian(FIn.data()));
    FHeight = static_cast<int>(GetBigEndian(FIn.data() + 4));
    if (FWidth < 1 || FHeight < 1 || FWidth > (1 << 30) / 3)
      throw TPictureFileError(name + " has a size out of range");
  } else if (type == "tEXt") {
    const std::string text(FIn.begin(), FIn.end());
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos && text.substr(0, zero) == kBandKeyword)
      FLabel = ParseLabel(text.substr(zero + 1));
  } else if (type == "IDAT") {
    if (FWidth == 0) throw TPictureFileError(name + " has no header");
    return true;
  } else if (type == "IEND") {
    throw TPictureFileError(name + " ends before its last row");
  }
  return false;
}

void TPngRowReader::FeedNextIdat() {
  while (!NextChunk()) {
  }
  FInflate->Stream.next_in = FIn.data();
  FInflate->Stream.avail_in = static_cast<uInt>(FIn.size());
}

void TPngRowReader::Unfilter(std::uint8_t filter) {
  const std::size_t size = FRow.size();
  const std::uint8_t* raw = FRaw.data() + 1;
  for (std::size_t i = 0; i < size; ++i) {
    const int left = i >= 3 ? FRow[i - 3] : 0, up = FPrev[i], upLeft = i >= 3 ? FPrev[i - 3] : 0;
    int predictor = 0;
    switch (filter) {
      case 0:
        predictor = 0;
        break;
      case 1:
        predictor = left;
        break;
      case 2:
        predictor = up;
        break;
      case 3:
        predictor = (left + up) / 2;
        break;
      case 4:
        predictor = Paeth(left, up, upLeft);
        break;
      default:
        throw TPictureFileError(FName.toStdString() + " has an unknown row filter");
    }
    FRow[i] = static_cast<std::uint8_t>(raw[i] + predictor);
  }
}

const std::uint8_t* TPngRowReader::ReadRow() {
  z_stream& stream = FInflate->Stream;
  stream.next_out = FRaw.data();
  stream.avail_out = static_cast<uInt>(FRaw.size());
  while (stream.avail_out > 0) {
    if (stream.avail_in == 0) FeedNextIdat();
    const int result = inflate(&stream, Z_NO_FLUSH);
    if (result == Z_STREAM_END && stream.avail_out > 0)
      throw TPictureFileError(FName.toStdString() + " ends before its last row");
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
      throw TPictureFileError(FName.toStdString() + " is damaged (its data does not inflate)");
  }
  FPrev.swap(FRow);
  Unfilter(FRaw[0]);
  return FRow.data();
}

// ---- joining ----

void StitchPngs(const std::vector<QString>& bands, const QString& fileName) {
  if (bands.empty()) throw TPictureFileError("no bands to join");
  std::vector<std::unique_ptr<TPngRowReader>> readers;
  int height = 0;
  for (std::size_t i = 0; i < bands.size(); ++i) {
    readers.push_back(std::make_unique<TPngRowReader>(bands[i]));
    const TPngRowReader& band = *readers.back();
    const std::string name = bands[i].toStdString();
    if (band.Width() != readers.front()->Width())
      throw TPictureFileError(name + " is not as wide as the first band");
    if (const auto& label = band.Label()) {
      const int count = static_cast<int>(bands.size());
      if (label->Count != count || label->Index != static_cast<int>(i))
        throw TPictureFileError(name + " is band " + LabelText(*label) + ", not band " +
                                std::to_string(i) + " of " + std::to_string(count));
      if (BandFirstRow(label->PictureHeight, count, label->Index + 1) -
              BandFirstRow(label->PictureHeight, count, label->Index) !=
          band.Height())
        throw TPictureFileError(name + " does not have its band's rows");
    }
    height += band.Height();
  }
  TPngRowWriter writer(fileName, readers.front()->Width(), height);
  for (const auto& reader : readers)
    for (int row = 0; row < reader->Height(); ++row)
      writer.AppendRgbRow(reader->ReadRow());
  writer.Finish();
}

}  // namespace vortexa
