// The INI reader: what it keeps of any file is written so that it reads back
// the same.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "favorites/ini_file.h"
#include "fuzz/fuzz_support.h"

using namespace vortexa;
using vortexa::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file = vortexa::fuzz::WriteScratchFile("input.ini", vortexa::fuzz::AsText(data, size));
  std::optional<TIniFile> taken;
  try {
    taken.emplace(file);
  } catch (const std::runtime_error&) {
    return 0;  // refused as a whole, as documented (NUL bytes, broken UTF-16)
  }
  const TIniFile& read = *taken;
  read.UpdateFile();
  Require(vortexa::fuzz::ReadScratchFile(file) == read.Text(), "the file holds the text");

  const TIniFile reread(file);
  if (vortexa::fuzz::HoldsUndecodedBytes(read.Text())) return 0;
  Require(reread.Text() == read.Text(), "INI read-write-read");
  Require(reread.ReadSections() == read.ReadSections(), "sections");
  for (const std::string& section : read.ReadSections()) {
    Require(reread.ReadSection(section) == read.ReadSection(section), "keys");
    for (const std::string& key : read.ReadSection(section))
      Require(reread.ReadString(section, key, "") == read.ReadString(section, key, ""), "value");
  }
  return 0;
}
