#include "comma_text.h"

#include <algorithm>

namespace vortexa {

namespace {

bool IsBlank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

bool NeedsQuotes(std::string_view field) {
  return std::any_of(field.begin(), field.end(), [](char c) {
    return static_cast<unsigned char>(c) <= 32 || c == '"' || c == ',';
  });
}

std::string Quoted(std::string_view field) {
  std::string text = "\"";
  for (char c : field) {
    if (c == '"') text += '"';
    text += c;
  }
  return text + '"';
}

void SkipBlanks(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && IsBlank(line[pos]))
    ++pos;
}

// From an opening quote to its closing quote (or the end of the line).
std::string ReadQuotedField(std::string_view line, std::size_t& pos) {
  std::string field;
  ++pos;
  while (pos < line.size()) {
    if (line[pos] == '"') {
      if (pos + 1 >= line.size() || line[pos + 1] != '"') {
        ++pos;
        break;
      }
      ++pos;  // a doubled quote stands for one
    }
    field += line[pos++];
  }
  return field;
}

std::string ReadPlainField(std::string_view line, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < line.size() && static_cast<unsigned char>(line[pos]) > 32 && line[pos] != ',') {
    ++pos;
  }
  return std::string(line.substr(start, pos - start));
}

}  // namespace

std::string JoinCommaText(std::span<const std::string> fields) {
  // An empty line reads back as no field at all, so a lone empty field is quoted.
  if (fields.size() == 1 && fields[0].empty()) return Quoted("");
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += NeedsQuotes(fields[i]) ? Quoted(fields[i]) : fields[i];
  }
  return line;
}

std::vector<std::string> SplitCommaText(std::string_view line) {
  line = line.substr(0, line.find('\0'));  // the line ends there, as a C string would
  std::vector<std::string> fields;
  std::size_t pos = 0;
  SkipBlanks(line, pos);
  while (pos < line.size()) {
    fields.push_back(line[pos] == '"' ? ReadQuotedField(line, pos) : ReadPlainField(line, pos));
    SkipBlanks(line, pos);
    if (pos < line.size() && line[pos] == ',') {
      if (pos + 1 == line.size()) fields.emplace_back();
      ++pos;
      SkipBlanks(line, pos);
    }
  }
  return fields;
}

}  // namespace vortexa
