// The tour's arrival sound: a WAV file played without waiting. A missing
// file, a file that is not a sound or a machine without audio output is
// silent; the tour never waits for the sound nor fails because of it.
#pragma once

#include <QString>
#include <memory>

class QSoundEffect;

namespace vortexa {

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
