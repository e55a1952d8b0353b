#include "app/tour_video_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "session/language.h"

namespace vortexa {

namespace {

// Even sides, as the video's colour planes need.
constexpr int kMinSide = 16, kMaxSide = 9998;
constexpr int kMaxFps = 120;
constexpr int kMaxSeconds = 3600;
constexpr int kDefaultSeconds = 20;

QSpinBox* NewSpinBox(QWidget* parent, int minimum, int maximum, int value, int step = 1) {
  auto* box = new QSpinBox(parent);
  box->setRange(minimum, maximum);
  box->setSingleStep(step);
  box->setValue(value);
  return box;
}

int EvenSide(int side) {
  return std::clamp(side - side % 2, kMinSide, kMaxSide);
}

}  // namespace

TTourVideoForm::TTourVideoForm(QWidget* parent, const TFavNode& favorites, int pictureWidth,
                               int pictureHeight)
    : QDialog(parent) {
  setWindowTitle(tr("ツアーを動画に保存"));
  edFile = new QLineEdit(this);
  auto* browse = new QPushButton(tr("参照(&B)..."), this);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(edFile);
  fileRow->addWidget(browse);
  seWidth = NewSpinBox(this, kMinSide, kMaxSide, EvenSide(pictureWidth), 2);
  seHeight = NewSpinBox(this, kMinSide, kMaxSide, EvenSide(pictureHeight), 2);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(seWidth);
  sizeRow->addWidget(new QLabel("×", this));
  sizeRow->addWidget(seHeight);
  seFps = NewSpinBox(this, 1, kMaxFps, 30);
  seSeconds = NewSpinBox(this, 1, kMaxSeconds, kDefaultSeconds);
  seSeconds->setSuffix(tr(" 秒"));
  cbUntilArrival = new QCheckBox(tr("到着まで(&U)"), this);
  auto* lengthRow = new QHBoxLayout;
  lengthRow->addWidget(seSeconds);
  lengthRow->addWidget(cbUntilArrival);
  cbDest = new QComboBox(this);
  cbDest->addItem(tr("ランダムツアー"));
  FDestinations.push_back(nullptr);
  AddFavorites(favorites);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  // Rows of several controls name their first one, so that the label's key reaches it.
  const auto label = [this](const QString& text, QWidget* buddy) {
    auto* caption = new QLabel(text, this);
    caption->setBuddy(buddy);
    return caption;
  };
  auto* form = new QFormLayout(this);
  form->addRow(label(tr("ファイル(&F)"), edFile), fileRow);
  form->addRow(label(tr("サイズ(&S)"), seWidth), sizeRow);
  form->addRow(tr("コマ数/秒(&R)"), seFps);
  form->addRow(label(tr("長さ(&L)"), seSeconds), lengthRow);
  form->addRow(tr("行き先(&D)"), cbDest);
  form->addRow(buttons);

  connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(edFile, &QLineEdit::textChanged, this, [this] { UpdateControls(); });
  connect(cbUntilArrival, &QCheckBox::toggled, this, [this] { UpdateControls(); });
  connect(cbDest, &QComboBox::currentIndexChanged, this, [this] { UpdateControls(); });
  UpdateControls();
}

void TTourVideoForm::AddFavorites(const TFavNode& folder) {
  for (const auto& child : folder.Children()) {
    if (child->IsFolder()) {
      AddFavorites(*child);
      continue;
    }
    cbDest->addItem(ShownFavoriteName(child->Text));
    FDestinations.push_back(child->Item());
  }
}

void TTourVideoForm::Browse() {
  QFileDialog dialog(this, tr("動画保存先のファイル指定"), edFile->text());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(tr("MP4動画 (*.mp4)"));
  dialog.setDefaultSuffix("mp4");
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    edFile->setText(dialog.selectedFiles().front());
}

void TTourVideoForm::UpdateControls() {
  const bool random = cbDest->currentIndex() <= 0;
  if (random) cbUntilArrival->setChecked(false);
  cbUntilArrival->setEnabled(!random);
  seSeconds->setEnabled(!cbUntilArrival->isChecked());
  findChild<QDialogButtonBox*>()
      ->button(QDialogButtonBox::Ok)
      ->setEnabled(!edFile->text().trimmed().isEmpty());
}

TTourVideoChoice TTourVideoForm::Choice() const {
  QString file = edFile->text().trimmed();
  if (!file.endsWith(".mp4", Qt::CaseInsensitive)) file += ".mp4";
  return {file,
          seWidth->value() - seWidth->value() % 2,
          seHeight->value() - seHeight->value() % 2,
          seFps->value(),
          cbUntilArrival->isChecked() ? 0 : seSeconds->value(),
          FDestinations[static_cast<std::size_t>(std::max(cbDest->currentIndex(), 0))]};
}

}  // namespace vortexa
