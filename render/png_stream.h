// PNG files written and read a few rows at a time, for pictures larger than
// memory: posters computed band by band, and bands computed on several
// machines and joined afterwards. RGB with 8 bits per sample.
//
// libdeflate compresses a whole buffer into one finished stream, and a PNG
// holds a single stream, so these files go through zlib's deflate, which
// takes the rows as they come with a fixed amount of memory.
#pragma once

#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vortexa {

// Which of N horizontal bands of a picture of PictureHeight rows a file holds;
// kept in the file so that joining can check the order and the count.
struct TBandLabel {
  int Index = 0;
  int Count = 1;
  int PictureHeight = 0;
  bool operator==(const TBandLabel&) const = default;
};

// Rows [first, last) of band `index` of `count`: the bands differ by at most a row.
int BandFirstRow(int height, int count, int index);

class TPngRowWriter {
 public:
  // Starts the file beside fileName; it takes fileName's place in Finish.
  // Throws TPictureFileError.
  TPngRowWriter(const QString& fileName, int width, int height,
                std::optional<TBandLabel> label = std::nullopt);
  ~TPngRowWriter();
  TPngRowWriter(const TPngRowWriter&) = delete;
  TPngRowWriter& operator=(const TPngRowWriter&) = delete;

  // Appends every row of the picture (the file's width). Throws TPictureFileError.
  void AppendRows(const QImage& rows);
  // Appends one row of width × 3 bytes, red, green, blue.
  void AppendRgbRow(const std::uint8_t* rgb);
  // Ends the file once every row is in; throws TPictureFileError.
  void Finish();
  int RowsWritten() const { return FRows; }

 private:
  struct TDeflate;
  void Deflate(const std::uint8_t* data, std::size_t size, bool finish);
  void WriteChunk(const char (&type)[5], const std::uint8_t* data, std::size_t size);

  QSaveFile FFile;
  int FWidth;
  int FHeight;
  int FRows = 0;
  std::unique_ptr<TDeflate> FDeflate;
  std::vector<std::uint8_t> FRow;  // filter byte and one row
  std::vector<std::uint8_t> FOut;  // compressed bytes for the next IDAT
};

class TPngRowReader {
 public:
  // Reads the header; throws TPictureFileError for files that are not
  // 8-bit RGB PNG without interlacing.
  explicit TPngRowReader(const QString& fileName);
  ~TPngRowReader();
  TPngRowReader(const TPngRowReader&) = delete;
  TPngRowReader& operator=(const TPngRowReader&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  const std::optional<TBandLabel>& Label() const { return FLabel; }
  // The next row, width × 3 bytes; throws TPictureFileError when the file ends early.
  const std::uint8_t* ReadRow();

 private:
  struct TInflate;
  bool NextChunk();  // true for an IDAT, whose data then waits in FIn
  void FeedNextIdat();
  void Unfilter(std::uint8_t filter);

  QFile FFile;
  QString FName;
  int FWidth = 0;
  int FHeight = 0;
  std::optional<TBandLabel> FLabel;
  std::unique_ptr<TInflate> FInflate;
  std::vector<std::uint8_t> FIn;
  std::vector<std::uint8_t> FRaw;   // filter byte and one row, as stored
  std::vector<std::uint8_t> FPrev;  // the last row, unfiltered
  std::vector<std::uint8_t> FRow;   // this row, unfiltered
};

// Joins bands into one file, rows read and written as they go. Bands with
// labels must be given in order and complete. Throws TPictureFileError.
void StitchPngs(const std::vector<QString>& bands, const QString& fileName);

}  // namespace vortexa
