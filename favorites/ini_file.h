// TIniFile: an INI document read whole into memory and written whole.
// Sections and keys that nobody asked for survive a rewrite in their order,
// and so do lines that are no entry (comments, stray text, a repeated key):
// they are written back as they were. Names compare without regard to ASCII
// case, as on the platform the format comes from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vortexa {

class TIniFile {
 public:
  // Reads the file when it exists (UTF-8, or Shift-JIS from older systems);
  // a missing file is an empty document. Throws std::runtime_error when the
  // file exists but cannot be read.
  explicit TIniFile(std::filesystem::path fileName);
  // An empty document that belongs to no file, for building a text.
  TIniFile() = default;

  const std::filesystem::path& FileName() const { return FFileName; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t fallback) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> ReadSections() const;
  std::vector<std::string> ReadSection(std::string_view section) const;  // its keys

  // Values are single lines: a line feed would end the entry early, so it is
  // refused with std::invalid_argument. A carriage return inside a value is
  // read back as it was; at its end it goes with the blanks around a value.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  // The whole section goes, with the lines in it that were no entry.
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);

  // A section's lines in their order: its entries, and the lines that are no
  // entry (Verbatim, the whole line in Value).
  struct TLine {
    std::string Name;  // the key
    std::string Value;
    bool Verbatim = false;
  };
  std::vector<TLine> SectionLines(std::string_view section) const;
  // Whether a line is no entry wherever it stands (a comment, stray text),
  // and the value of one that is.
  static bool IsNoEntryLine(std::string_view line);
  static std::string EntryValue(std::string_view line);
  // Appends a line that is no entry (a comment, say); refused with
  // std::invalid_argument when it would read back as an entry or a section.
  void AddVerbatimLine(std::string_view section, std::string_view line);

  // The document as the file holds it: each section followed by an empty line.
  std::string Text() const;

  // Writes the document in UTF-8 to a temporary file beside the target and
  // then puts it in the target's place, so that a failure never leaves a
  // half-written file. Throws std::runtime_error on failure.
  void UpdateFile() const;

 private:
  using TEntry = TLine;
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
  };

  void Parse(std::string_view text);
  TSection* FindSection(std::string_view name);
  const TSection* FindSection(std::string_view name) const;
  TSection& ObtainSection(std::string_view name);

  std::filesystem::path FFileName;
  std::vector<std::string> FPreamble;  // lines before the first section
  std::vector<TSection> FSections;
};

}  // namespace vortexa
