#include "arrival_sound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace vortexa {

TArrivalSound::TArrivalSound() = default;
TArrivalSound::~TArrivalSound() = default;

// QSoundEffect loads and plays on its own; a source it cannot load only sets
// its status to Error, which is the silence wanted here.
void TArrivalSound::Play(const QString& file) {
  if (!QFileInfo(file).isFile()) return;
  if (!FEffect) FEffect = std::make_unique<QSoundEffect>();
  const QUrl source = QUrl::fromLocalFile(file);
  if (FEffect->source() != source) FEffect->setSource(source);
  FEffect->play();
}

}  // namespace vortexa
