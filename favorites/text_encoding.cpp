#include "text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>

namespace vortexa {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

// Length of the sequence a lead byte starts, 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The range the second byte must lie in to rule out overlong forms,
// surrogates and code points above U+10FFFF.
bool ValidSecondByte(unsigned char lead, unsigned char second) {
  switch (lead) {
    case 0xE0:
      return second >= 0xA0 && second <= 0xBF;
    case 0xED:
      return second >= 0x80 && second <= 0x9F;
    case 0xF0:
      return second >= 0x90 && second <= 0xBF;
    case 0xF4:
      return second >= 0x80 && second <= 0x8F;
    default:
      return second >= 0x80 && second <= 0xBF;
  }
}

class TIconv {
 public:
  TIconv(const char* to, const char* from) : FHandle(iconv_open(to, from)) {
    if (FHandle == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
    }
  }
  ~TIconv() { iconv_close(FHandle); }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // The whole text converted, or nothing when any part of it is not valid
  // in the source encoding.
  std::optional<std::string> Convert(std::string_view bytes) {
    iconv(FHandle, nullptr, nullptr, nullptr, nullptr);  // no state left from an earlier text
    std::string out;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(FHandle, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, outPtr - buffer);
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return std::nullopt;
    }
    return out;
  }

 private:
  iconv_t FHandle;
};

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int length = SequenceLength(lead);
    if (length == 0 || i + length > bytes.size()) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      const bool valid = k == 1 ? ValidSecondByte(lead, next) : (next & 0xC0) == 0x80;
      if (!valid) return false;
    }
    i += length;
  }
  return true;
}

namespace {

std::string DecodeUtf16(std::string_view bytes, const char* encoding) {
  std::optional<std::string> text = TIconv("UTF-8", encoding).Convert(bytes);
  if (!text) throw std::runtime_error(std::string("not readable as ") + encoding);
  return std::move(*text);
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Readers drop the blank lines ahead of the first line, so a byte order mark
// that opens it (blank lines put before a file's start, or a mark repeated)
// is dropped as at the file's start, before the line's encoding is judged:
// written back, it would open the file.
std::string WithoutByteOrderMarks(std::string_view line) {
  std::string kept(line);
  for (std::size_t at = kept.find_first_not_of(" \t");
       at != std::string::npos && kept.compare(at, kByteOrderMark.size(), kByteOrderMark) == 0;
       at = kept.find_first_not_of(" \t", at))
    kept.erase(at, kByteOrderMark.size());
  // Nor may the file written start with the mark of UTF-16.
  if (kept.starts_with(kUtf16LittleEndianMark) || kept.starts_with(kUtf16BigEndianMark))
    return std::string(line);
  return kept;
}

// The lines up to the first that is not blank, each without its marks.
std::string WithoutOpeningMarks(std::string_view text) {
  std::string kept;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    const std::string line = WithoutByteOrderMarks(text.substr(0, end));
    text.remove_prefix(end);
    kept += line;
    if (!IsBlank(line)) break;
  }
  return kept.append(text);
}

// Line by line; each line keeps its line break.
std::string DecodeLines(std::string_view bytes) {
  TIconv codePage932("UTF-8", "CP932");
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size() - 1) + 1;
    const std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end);
    if (IsValidUtf8(line)) {
      text += line;
    } else if (const std::optional<std::string> decoded = codePage932.Convert(line)) {
      text += *decoded;
    } else {
      text += line;
    }
  }
  return text;
}

}  // namespace

std::string DecodeTextFile(std::string_view bytes) {
  std::string text;
  if (bytes.starts_with(kUtf16LittleEndianMark)) {
    text = WithoutOpeningMarks(DecodeUtf16(bytes.substr(2), "UTF-16LE"));
  } else if (bytes.starts_with(kUtf16BigEndianMark)) {
    text = WithoutOpeningMarks(DecodeUtf16(bytes.substr(2), "UTF-16BE"));
  } else {
    // The marks go before the encoding of a line is judged.
    text = DecodeLines(WithoutOpeningMarks(bytes));
  }
  if (text.find('\0') != std::string::npos) {
    throw std::runtime_error("not a text file (it holds NUL characters)");
  }
  return text;
}

}  // namespace vortexa
