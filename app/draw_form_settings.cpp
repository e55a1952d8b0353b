// The main window's settings and its image-size menu.
#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "app/draw_form.h"
#include "app/size_form.h"

namespace vortexa {

namespace {

constexpr int kToolBarRowHeight = 53;
constexpr int kOneRowWindowWidth = 590;
// A window is put back where it was only when this much of its corner is on a screen.
constexpr int kVisibleCorner = 40;
constexpr int kAfterFullScreenMs = 50;

struct TSizePreset {
  const char* Caption;
  int Tag;
};
constexpr TSizePreset kSizePresets[] = {
    {"QVGA  <320×240>", 3200240},    {"VGA  <640×480>", 6400480},
    {"SVGA  <800×600>", 8000600},    {"XGA  <1024×768>", 10240768},
    {"WXGA  <1280×768>", 12800768},  {"WXGA+  <1440×900>", 14400900},
    {"SXGA  <1280×1024>", 12801024}, {"SXGA+  <1400×1050>", 14001050},
    {"WUXGA  <1920×1200>", 19201200}};

int SizeTag(QSize size) {
  return size.width() * 10000 + size.height();
}

QString SizeCaption(int tag) {
  return QString("%1×%2").arg(tag / 10000).arg(tag % 10000);
}

// A restored window fits the screen it comes up on at that screen's present
// scale (a size saved at scale 1 is twice as many dots at scale 2), and its
// picture never exceeds the largest a side may have. A corner off every
// screen leaves the place to the window system.
struct TPlacement {
  QSize Size;
  std::optional<QPoint> Place;
};

TPlacement FitToScreen(const TSettings& s) {
  const QPoint corner(s.Left, s.Top);
  QScreen* screen = QGuiApplication::screenAt(corner + QPoint(kVisibleCorner, kVisibleCorner));
  QScreen* room = screen ? screen : QGuiApplication::primaryScreen();
  if (!room) return {QSize(s.Width, s.Height), {}};
  const QRect free = room->availableGeometry();
  const int mostDots = static_cast<int>(kMaxOutputSize / room->devicePixelRatio());
  const QSize size =
      QSize(s.Width, s.Height).boundedTo(free.size()).boundedTo(QSize(mostDots, mostDots));
  if (!screen) return {size, {}};
  return {size, QPoint(std::clamp(corner.x(), free.left(), free.right() + 1 - size.width()),
                       std::clamp(corner.y(), free.top(), free.bottom() + 1 - size.height()))};
}

int Tag(const QAction* item) {
  return item->data().toInt();
}

// The language menu's position of a setting; one it does not offer is the system's.
int LanguagePosition(std::string_view setting) {
  const auto* choice = std::find(kLanguageChoices.begin(), kLanguageChoices.end(), setting);
  return choice == kLanguageChoices.end() ? 0 : static_cast<int>(choice - kLanguageChoices.begin());
}

// Checks the radio item at `position` of a submenu.
void CheckPosition(QMenu* menu, int position) {
  const QList<QAction*> items = menu->actions();
  if (position >= 0 && position < items.size()) items[position]->setChecked(true);
}

}  // namespace

// ---- settings ----

void TDrawForm::LoadSettings(const std::filesystem::path& file) {
  FSettingsFile.emplace(file);
  if (!FSettingsFile->Warning().empty())
    QMessageBox::warning(this, tr("うずまきらんど"),
                         QString::fromStdString(FSettingsFile->Warning()));
  FSettings = FSettingsFile->Loaded();
  const TSettings& s = FSettings;
  const TPlacement placement = FitToScreen(s);
  resize(placement.Size);
  if (placement.Place) move(*placement.Place);
  FSession.SetMoveRatio(s.MoveRatio);
  CheckPosition(mnMoveRatio, s.MoveRatio);
  FSession.SetMagnifyRatio(s.MagnifyRatio);
  CheckPosition(mnMagnifyRatio, s.MagnifyRatio);
  CheckPosition(mnJPEG, s.JpegQuality);
  CheckPosition(mnLanguage, LanguagePosition(s.Language));
  tbHue->setValue(s.Hue);
  for (QAction* item : mnRestrict->actions())
    item->setChecked(s.Options & item->data().toInt());
  mnOptionClick();
  mnSSE->setChecked(FSession.Options() & kOptNoSimd);
  mnWheelAtPointer->setChecked(s.WheelAtPointer);
  FSession.SetZoomAtPointer(s.WheelAtPointer);
  SetTourSpeed(s.TourSpeed);
  SetTourSound(s.TourSound);
  SetSoundFile(QString::fromStdString(s.TourSoundFile));
  SetFavoriteDir(s.FavoriteDir);
  for (const int tag : s.ImageSizes)
    AddSizeItem(tag, SizeCaption(tag), mnP16);
}

TSettings TDrawForm::CurrentSettings() const {
  TSettings s = FSettings;
  s.Left = x();
  s.Top = y();
  s.Width = width();
  s.Height = height();
  s.MoveRatio = FSession.MoveRatio();
  s.MagnifyRatio = FSession.MagnifyRatio();
  s.Options = FSession.Options();
  s.Hue = tbHue->value();
  s.ImageSizes = UserImageSizes();
  s.WheelAtPointer = mnWheelAtPointer->isChecked();
  s.TourSpeed = TourSpeed();
  s.TourSound = TourSound();
  s.TourSoundFile = SoundFile().toStdString();
  s.FavoriteDir = FavoriteDir().string();
  return s;
}

int TDrawForm::JpegPosition() const {
  return FSettings.JpegQuality;
}

// An error while writing is shown; the file is never half written.
void TDrawForm::SaveSettings() {
  if (!FSettingsFile || !FSettingsFile->Writable()) return;
  try {
    FSettingsFile->Save(CurrentSettings());
  } catch (const std::exception& error) {
    QMessageBox::warning(
        this, tr("うずまきらんど"),
        tr("設定を保存できませんでした。") + "\n" + QString::fromUtf8(error.what()));
  }
}

void TDrawForm::mnLanguageClick(int position) {
  const std::string warning = SetInterfaceLanguage(FSettings, kLanguageChoices.at(position));
  QString text = tr("表示言語は次回の起動から切り替わります。");
  if (!warning.empty()) text += "\n\n" + QString::fromStdString(warning);
  InformDialog(text);
}

// ---- image-size menu ----

// The presets go ahead of the rows' separator; the user's sizes go ahead of
// the presets, above the separator mnP16.
void TDrawForm::CreateSizeMenu() {
  QAction* rows = mnSize->actions().value(0);
  mnP16 = mnSize->insertSeparator(rows);
  mnP16->setData(0);
  for (const TSizePreset& preset : kSizePresets)
    AddSizeItem(preset.Tag, preset.Caption, rows);
  rows->setData(1);
}

// Inserted before `before`, or at the end when it is null.
void TDrawForm::AddSizeItem(int tag, const QString& caption, QAction* before) {
  auto* item = new QAction(caption, mnSize);
  item->setData(tag);
  item->setStatusTip(tr("画像エリアを %1 にします").arg(SizeCaption(tag)));
  mnSize->insertAction(before, item);
  connect(item, &QAction::triggered, this, [this, tag] { mnSizeClick(tag); });
}

std::vector<int> TDrawForm::UserImageSizes() const {
  std::vector<int> sizes;
  for (const QAction* item : mnSize->actions()) {
    if (item == mnP16) break;
    sizes.push_back(Tag(item));
  }
  return sizes;
}

// Sizes that do not fit on the screen, and the current one, are not offered.
// Sizes are the picture's, in dots.
void TDrawForm::UpdateSizeMenu() {
  const QSize screenSize = ScreenDeviceSize(*screen());
  const int current = SizeTag(PictureSize());
  for (QAction* item : mnSize->actions()) {
    const int tag = Tag(item);
    if (tag == 0 || item->isSeparator()) continue;
    item->setEnabled(tag / 10000 < screenSize.width() && tag % 10000 < screenSize.height() &&
                     tag != current);
  }
  const std::vector<int> sizes = UserImageSizes();
  const bool listed = std::find(sizes.begin(), sizes.end(), current) != sizes.end();
  mnSizeAdd->setEnabled(!listed);
  mnSizeDel->setEnabled(listed);
}

// The window grows or shrinks by what the picture area lacks; the tool bars
// take two rows when the new width is narrow, which the height accounts for.
// The size is the picture's in dots: on a scaled screen the area takes the
// window pixels that hold that many device pixels.
void TDrawForm::mnSizeClick(int tag) {
  if (FullScreen()) {
    // The size is set once the window system has given the normal window back.
    // Nothing is drawn in between: a drawing would hold the window's size.
    mnFullScreenClick();
    FIdleRedrawEnabled = false;
    FIdleTimer->stop();
    QTimer::singleShot(kAfterFullScreenMs, this, [this, tag] {
      FIdleRedrawEnabled = true;
      mnSizeClick(tag);
      FIdleTimer->start();
    });
    return;
  }
  FChosenPicture = QSize(tag / 10000, tag % 10000);
  const QSize chosen = LogicalSize(FChosenPicture, devicePixelRatioF());
  const QSize area = ImageAreaSize();
  const int newWidth = width() + chosen.width() - area.width();
  const int topPanel = newWidth >= kOneRowWindowWidth ? kToolBarRowHeight : 2 * kToolBarRowHeight;
  const int newHeight = height() + chosen.height() - area.height() + topPanel - TopPanel->height();
  resize(newWidth, newHeight);
}

void TDrawForm::mnSizeAddClick() {
  const int tag = SizeTag(PictureSize());
  QAction* before = nullptr;
  for (QAction* item : mnSize->actions())
    if (Tag(item) == 0 || Tag(item) > tag) {
      before = item;
      break;
    }
  AddSizeItem(tag, SizeCaption(tag), before);
}

void TDrawForm::mnSizeDelClick() {
  const int tag = SizeTag(PictureSize());
  for (QAction* item : mnSize->actions()) {
    if (item == mnP16) return;
    if (Tag(item) != tag) continue;
    if (ConfirmDialog(tr("%1 をメニューから削除します。よろしいですか？").arg(SizeCaption(tag)))) {
      mnSize->removeAction(item);
      item->deleteLater();
    }
    return;
  }
}

}  // namespace vortexa
