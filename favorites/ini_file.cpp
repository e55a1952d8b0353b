#include "ini_file.h"

#include <algorithm>
#include <stdexcept>

#include "number_text.h"
#include "text_encoding.h"
#include "whole_file.h"

namespace vortexa {

namespace fs = std::filesystem;

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

// Sections and entries alike, by their Name; lines kept verbatim have none.
template <typename List>
auto FindNamed(List& list, std::string_view name) -> decltype(&*list.begin()) {
  const auto found = std::find_if(list.begin(), list.end(), [&](const auto& element) {
    if constexpr (requires { element.Verbatim; }) {
      if (element.Verbatim) return false;
    }
    return SameName(element.Name, name);
  });
  return found == list.end() ? nullptr : &*found;
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsSectionHead(std::string_view line) {
  return line.front() == '[' && line.back() == ']';
}

// A line that is no entry wherever it stands: a comment or stray text.
bool IsNoEntry(std::string_view line) {
  return line.front() == ';' || line.find('=') == std::string_view::npos;
}

// Only a line feed ends a line for the reader; a carriage return inside a
// line is kept as the reader found it, so the writer takes it too.
void RequireSingleLine(std::string_view text) {
  if (text.find('\n') != std::string_view::npos) {
    throw std::invalid_argument("an INI entry cannot hold a line feed");
  }
}

std::string ReadBytes(const fs::path& file) {
  std::error_code ec;
  return fs::exists(file, ec) ? ReadFileWhole(file) : std::string();
}

}  // namespace

TIniFile::TIniFile(fs::path fileName) : FFileName(std::move(fileName)) {
  const std::string bytes = ReadBytes(FFileName);
  std::string text;
  try {
    text = DecodeTextFile(bytes);
  } catch (const std::runtime_error& error) {
    throw std::runtime_error("cannot read " + FFileName.string() + ": " + error.what());
  }
  Parse(text);
}

// Lines that are neither a section head nor a new key=value entry of a
// section (comments, stray text, a key read before) carry nothing the
// program reads; they are kept where they stand, so that a rewrite loses
// nothing. Empty lines are not kept: every section is followed by one.
void TIniFile::Parse(std::string_view text) {
  TSection* section = nullptr;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    // Carriage returns at the end go with the line break: written back
    // before one, they would read as part of it.
    while (raw.ends_with('\r'))
      raw.remove_suffix(1);
    const std::string_view line = Trimmed(raw);
    if (line.empty()) continue;
    if (IsSectionHead(line)) {
      section = &ObtainSection(Trimmed(line.substr(1, line.size() - 2)));
      continue;
    }
    const auto equals = line.find('=');
    const std::string_view key =
        equals == std::string_view::npos ? line : Trimmed(line.substr(0, equals));
    if (section == nullptr) {
      FPreamble.emplace_back(raw);
    } else if (IsNoEntry(line) || FindNamed(section->Entries, key) != nullptr) {
      section->Entries.push_back({{}, std::string(raw), true});
    } else {
      section->Entries.push_back({std::string(key), EntryValue(line)});
    }
  }
}

TIniFile::TSection* TIniFile::FindSection(std::string_view name) {
  return FindNamed(FSections, name);
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view name) const {
  return FindNamed(FSections, name);
}

TIniFile::TSection& TIniFile::ObtainSection(std::string_view name) {
  if (TSection* found = FindSection(name)) return *found;
  return FSections.emplace_back(TSection{std::string(name), {}});
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
  const TSection* s = FindSection(section);
  const TEntry* entry = s ? FindNamed(s->Entries, key) : nullptr;
  return std::string(entry ? std::string_view(entry->Value) : fallback);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t fallback) const {
  return ParseInt32(ReadString(section, key, "")).value_or(fallback);
}

bool TIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  const TSection* s = FindSection(section);
  return s && FindNamed(s->Entries, key);
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<std::string> names;
  for (const TSection& s : FSections)
    names.push_back(s.Name);
  return names;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  if (const TSection* s = FindSection(section)) {
    for (const TEntry& e : s->Entries)
      if (!e.Verbatim) keys.push_back(e.Name);
  }
  return keys;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  RequireSingleLine(section);
  RequireSingleLine(key);
  RequireSingleLine(value);
  if (key.find('=') != std::string_view::npos) {
    throw std::invalid_argument("an INI key cannot hold \"=\"");
  }
  TSection& s = ObtainSection(section);
  if (TEntry* entry = FindNamed(s.Entries, key)) {
    entry->Value = value;
  } else {
    s.Entries.push_back({std::string(key), std::string(value)});
  }
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

bool TIniFile::IsNoEntryLine(std::string_view line) {
  line = Trimmed(line);
  return line.empty() || IsNoEntry(line);
}

std::string TIniFile::EntryValue(std::string_view line) {
  const auto equals = line.find('=');
  return std::string(equals == std::string_view::npos ? std::string_view()
                                                      : Trimmed(line.substr(equals + 1)));
}

std::vector<TIniFile::TLine> TIniFile::SectionLines(std::string_view section) const {
  const TSection* s = FindSection(section);
  return s ? s->Entries : std::vector<TLine>();
}

void TIniFile::AddVerbatimLine(std::string_view section, std::string_view line) {
  RequireSingleLine(section);
  RequireSingleLine(line);
  const std::string_view trimmed = Trimmed(line);
  if (trimmed.empty() || IsSectionHead(trimmed) || !IsNoEntry(trimmed)) {
    throw std::invalid_argument("the line would not read back as it is");
  }
  ObtainSection(section).Entries.push_back({{}, std::string(line), true});
}

void TIniFile::EraseSection(std::string_view section) {
  std::erase_if(FSections, [&](const TSection& s) { return SameName(s.Name, section); });
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  if (TSection* s = FindSection(section)) {
    std::erase_if(s->Entries,
                  [&](const TEntry& e) { return !e.Verbatim && SameName(e.Name, key); });
  }
}

std::string TIniFile::Text() const {
  std::string text;
  for (const std::string& line : FPreamble)
    text += line + "\n";
  for (const TSection& s : FSections) {
    text += "[" + s.Name + "]\n";
    for (const TEntry& e : s.Entries)
      text += (e.Verbatim ? e.Value : e.Name + "=" + e.Value) + "\n";
    text += "\n";
  }
  // A kept line that begins the file with the bytes of a UTF-16 mark would
  // make the file read as UTF-16; behind a UTF-8 mark it reads as it was.
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) text.insert(0, "\xEF\xBB\xBF");
  return text;
}

void TIniFile::UpdateFile() const {
  WriteFileWhole(FFileName, Text());
}

}  // namespace vortexa
