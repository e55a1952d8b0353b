#include "size_form.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "app/device_pixels.h"

namespace vortexa {

namespace {

constexpr char32_t kBackspace = 8;
constexpr char32_t kCtrlC = 3, kCtrlV = 22, kCtrlX = 24, kCtrlZ = 26;

int SizeTag(int width, int height) {
  return width * 10000 + height;
}

// An unreadable text counts as -1, outside every allowed size.
int EditValue(const QLineEdit* edit) {
  bool ok = false;
  const int value = edit->text().toInt(&ok);
  return ok ? value : -1;
}

bool InRange(int value) {
  return value >= kMinOutputSize && value <= kMaxOutputSize;
}

}  // namespace

bool SizeCharAccepted(char32_t code) {
  return (code >= U'0' && code <= U'9') || code == kBackspace || code == kCtrlC || code == kCtrlV ||
         code == kCtrlX || code == kCtrlZ;
}

TSizeForm::TSizeForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("画像サイズの指定"));
  setFixedSize(262, 84);
  auto* widthLabel = new QLabel(tr("横ドット数"), this);
  widthLabel->move(12, 8);
  edWidth = new QLineEdit(this);
  edWidth->setGeometry(12, 24, 70, 22);
  auto* times = new QLabel("×", this);
  times->move(88, 28);
  auto* heightLabel = new QLabel(tr("縦ドット数"), this);
  heightLabel->move(104, 8);
  edHeight = new QLineEdit(this);
  edHeight->setGeometry(104, 24, 70, 22);
  sbList = new QToolButton(this);
  sbList->setArrowType(Qt::DownArrow);
  sbList->setGeometry(178, 24, 22, 22);
  btOK = new QPushButton(tr("OK"), this);
  btOK->setGeometry(96, 54, 75, 24);
  btOK->setDefault(true);
  btCancel = new QPushButton(tr("キャンセル"), this);
  btCancel->setGeometry(178, 54, 75, 24);
  PopupMenu = new QMenu(this);
  mnOrig = PopupMenu->addAction("");
  mnScreen = PopupMenu->addAction("");
  PopupMenu->addSeparator();
  for (QAction* preset : {mnOrig, mnScreen})
    connect(preset, &QAction::triggered, this,
            [this, preset] { mnOrigClick(preset->data().toInt()); });
  for (QLineEdit* edit : {edWidth, edHeight})
    edit->installEventFilter(this);
  ShowMessage = [this](const QString& message) {
    QMessageBox::warning(this, windowTitle(), message);
  };
  connect(sbList, &QToolButton::clicked, this, [this] { sbListClick(); });
  connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TSizeForm::Prepare(int width, int height, int curWidth, int curHeight, const QMenu* sizeMenu) {
  edWidth->setText(QString::number(width));
  edHeight->setText(QString::number(height));
  mnOrig->setText(tr("現在のサイズ <%1×%2>").arg(curWidth).arg(curHeight));
  mnOrig->setData(SizeTag(curWidth, curHeight));
  const QSize screen = ScreenDeviceSize(*QGuiApplication::primaryScreen());
  mnScreen->setText(tr("画面サイズ[壁紙用] <%1×%2>").arg(screen.width()).arg(screen.height()));
  mnScreen->setData(SizeTag(screen.width(), screen.height()));
  // The main menu's presets end at its separator tagged 1.
  for (const QAction* item : sizeMenu->actions()) {
    const int tag = item->data().toInt();
    if (tag == 1) break;
    if (item->isSeparator() || tag == 0) continue;
    QAction* copy = PopupMenu->addAction(item->text());
    copy->setData(tag);
    connect(copy, &QAction::triggered, this, [this, tag] { mnOrigClick(tag); });
  }
}

int TSizeForm::ChosenWidth() const {
  return EditValue(edWidth);
}

int TSizeForm::ChosenHeight() const {
  return EditValue(edHeight);
}

void TSizeForm::sbListClick() {
  PopupMenu->popup(sbList->mapToGlobal(QPoint(0, sbList->height())));
}

void TSizeForm::mnOrigClick(int tag) {
  edWidth->setText(QString::number(tag / 10000));
  edHeight->setText(QString::number(tag % 10000));
}

void TSizeForm::btOKClick() {
  if (InRange(ChosenWidth()) && InRange(ChosenHeight())) {
    accept();
    return;
  }
  ShowMessage(tr("画像サイズは縦横10ドット以上9999ドット以下を指定して下さい。"));
}

// Keys that type a character other than those of a size are swallowed.
bool TSizeForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || (watched != edWidth && watched != edHeight))
    return QDialog::eventFilter(watched, event);
  const auto* key = static_cast<const QKeyEvent*>(event);
  const QList<uint> text = key->text().toUcs4();
  // Moving between controls, the default button and cancelling are no typing.
  switch (key->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return false;
    default:
      break;
  }
  // Select all types nothing either; the next digits replace the selection.
  if (text.isEmpty() || key->matches(QKeySequence::SelectAll)) return false;
  return !SizeCharAccepted(text.front());
}

}  // namespace vortexa
