// The main window's full screen, with bars that the mouse calls at the top
// edge, and its help command.
#include <QAction>
#include <QDesktopServices>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "app/draw_form.h"
#include "app/form_parts.h"
#include "favorites/fav_files.h"

namespace vortexa {

namespace {

constexpr int kShowBarsEdge = 5;     // pixels at the top that call the bars
constexpr int kHideBarsMargin = 10;  // pixels below the tool bars that send them away
// The menu item's captions, translated with the menu rows.
constexpr const char* kEnterCaption = QT_TRANSLATE_NOOP("MenuRows", "全画面表示(&F)");
constexpr const char* kLeaveCaption = QT_TRANSLATE_NOOP("MenuRows", "全画面表示解除(&F)");

}  // namespace

std::optional<std::filesystem::path> FindManual(std::span<const std::filesystem::path> folders,
                                                TLanguage language) {
  const std::filesystem::path page =
      language == TLanguage::English ? "manual/en/index.html" : "manual/index.html";
  for (const std::filesystem::path& folder : folders)
    if (std::filesystem::exists(folder / page)) return folder / page;
  return std::nullopt;
}

void TDrawForm::CreateScreenMenus() {
  InformDialog = [this](const QString& text) {
    QMessageBox::information(this, tr("うずまきらんど"), text);
  };
  OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

bool TDrawForm::FullScreen() const {
  return !FSavedBounds.isNull();
}

bool TDrawForm::BarsShown() const {
  return FStatusBar->isVisibleTo(this);
}

// Where the picture's top lies in the image surface's coordinates: below the
// tool bars, at the screen's top in full screen even while the bars cover it.
int TDrawForm::PictureTop() const {
  if (!FullScreen()) return TopPanel->height();
  return BarsShown() ? -centralWidget()->y() : 0;
}

void TDrawForm::mnFullScreenClick() {
  FIdleRedrawEnabled = false;
  if (!FullScreen()) {
    if (isMaximized()) showNormal();
    FSavedBounds = geometry();
    showFullScreen();
    // Without a window manager the request alone leaves the window where it was.
    setGeometry(screen()->geometry());
    mnFullScreen->setText(QCoreApplication::translate("MenuRows", kLeaveCaption));
    if (BarsShown()) ToggleBars();
  } else {
    const QRect full = geometry();
    if (!BarsShown()) ToggleBars();
    showNormal();
    setGeometry(FSavedBounds);
    // The window system may put the full-screen bounds back once it has left
    // full screen; the saved bounds then come again.
    QTimer::singleShot(0, this, [this, bounds = FSavedBounds, full] {
      if (!FullScreen() && geometry() == full) setGeometry(bounds);
    });
    FSavedBounds = QRect();
    mnFullScreen->setText(QCoreApplication::translate("MenuRows", kEnterCaption));
  }
  FIdleRedrawEnabled = true;
  FIdleTimer->start();
  if (FullScreen()) ShowFullScreenNotice();
}

void TDrawForm::ToggleBars() {
  if (!FullScreen()) return;
  const bool show = !BarsShown();
  for (QWidget* bar :
       {static_cast<QWidget*>(menuBar()), TopPanel, static_cast<QWidget*>(FStatusBar)})
    bar->setVisible(show);
  layout()->activate();
  centralWidget()->layout()->activate();
  FSession.SetOrigin(Dots(PictureTop()));
  FSession.PresentPicture();
}

// position is a position in the window below its menu bar.
void TDrawForm::FullScreenMouseMove(QPoint position) {
  if (FSession.Busy()) return;
  const int fromTop = position.y() + centralWidget()->y();
  if (BarsShown() ? position.y() > TopPanel->height() + kHideBarsMargin : fromTop < kShowBarsEdge)
    ToggleBars();
}

void TDrawForm::ShowFullScreenNotice() {
  if (FSettings.FullScreenNotice != 0 && FSettings.Version >= kSettingsVersion) return;
  InformDialog(
      tr("全画面表示ではマウスカーソルを画面上端に動かすことにより、\n"
         "メニュー、ツールバー類を表示することができます。"));
  FSettings.FullScreenNotice = 1;
}

// Without a manual the command does nothing.
void TDrawForm::mnShowHelpClick() {
  const auto manual = FindManual(RecommendedFileFolders(), InterfaceLanguage());
  if (!manual) {
    InformDialog(tr("ヘルプファイルが見つかりません。"));
    return;
  }
  const QString path = QString::fromStdString(manual->string());
  if (!OpenUrl(QUrl::fromLocalFile(path)))
    InformDialog(tr("ヘルプを表示するブラウザを起動できませんでした。\n"
                    "ヘルプは次のファイルです:\n%1")
                     .arg(path));
}

}  // namespace vortexa
