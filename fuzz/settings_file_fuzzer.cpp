// The settings file as the window reads it at start: any bytes give settings
// (an unreadable file is moved aside), and the settings written read back as
// they were written.
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "session/settings.h"

using namespace vortexa;
using vortexa::fuzz::Require;

namespace {

// Writes `settings` into a new file and returns its bytes and what reads back.
std::string SavedFresh(const TSettings& settings, TSettings& reread) {
  const auto file = vortexa::fuzz::ScratchFolder() / "fresh.ini";
  std::filesystem::remove(file);
  TSettingsFile(file).Save(settings);
  reread = TSettingsFile(file).Loaded();
  return vortexa::fuzz::ReadScratchFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path& folder = vortexa::fuzz::ScratchFolder();
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    std::filesystem::remove(entry.path());
  const auto file =
      vortexa::fuzz::WriteScratchFile("vortexa.ini", vortexa::fuzz::AsText(data, size));
  ReadLanguageSetting(file);
  TSettingsFile settings(file);
  if (settings.Writable()) settings.Save(settings.Loaded());

  // Reading may correct what was written (a sound file that does not exist
  // turns the sound off); what it gives is written and read back the same.
  TSettings once, twice, thrice;
  SavedFresh(settings.Loaded(), once);
  const std::string written = SavedFresh(once, twice);
  Require(SavedFresh(twice, thrice) == written, "settings write-read-write");
  return 0;
}
