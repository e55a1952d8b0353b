// The tour's arrival sound: a WAV file played without waiting. A missing
// file, a file that is not a sound or a machine without audio output is
// silent; the tour never waits for the sound nor fails because of it.
#pragma once

#include <QString>
#include <filesystem>
#include <memory>

class QSoundEffect;

namespace vortexa {

inline constexpr std::string_view kChimeFileName = "chime.wav";

// The chime the program ships, beside the program or in the data folder.
std::filesystem::path DefaultSoundFile();

class TArrivalSound {
 public:
  TArrivalSound();
  ~TArrivalSound();
  // Starts the file and returns at once.
  void Play(const QString& file);

 private:
  std::unique_ptr<QSoundEffect> FEffect;  // made at the first arrival
};

}  // namespace vortexa
