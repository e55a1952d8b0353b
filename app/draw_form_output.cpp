// The main window's picture output: save, copy, output at a chosen size and print.
#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

#include "app/draw_form.h"
#include "app/size_form.h"
#include "app/wallpaper.h"
#include "session/picture_output.h"

namespace vortexa {

namespace {

constexpr int kTempMargin = 10;
constexpr const char* kDocumentName = QT_TRANSLATE_NOOP("vortexa::TDrawForm", "うずまきらんど");

// The save dialog's file types: the filter, the suffix a name without one
// gets, and the extensions that are files of the type.
struct TSaveType {
  const char* Filter;  // translated where shown
  QString Suffix;
  QStringList Extensions;
};
const TSaveType kSaveTypes[] = {
    {QT_TRANSLATE_NOOP("vortexa::TDrawForm", "ビットマップファイル (*.bmp)"), "bmp", {"bmp"}},
    {QT_TRANSLATE_NOOP("vortexa::TDrawForm", "JPEGファイル (*.jpg *.jpeg *.jpe)"), "jpg",
     kJpegExtensions},
    {QT_TRANSLATE_NOOP("vortexa::TDrawForm", "PNGファイル (*.png)"), "png", {"png"}}};

QString FilterText(const TSaveType& type) {
  return TDrawForm::tr(type.Filter);
}

// The type a file name's extension stands for; null for none.
const TSaveType* SaveTypeOf(const QString& fileName) {
  const QString extension = QFileInfo(fileName).suffix().toLower();
  for (const TSaveType& type : kSaveTypes)
    if (type.Extensions.contains(extension)) return &type;
  return nullptr;
}

QString UnknownTypeText(const QString& fileName) {
  return TDrawForm::tr(
             "%1 には保存できません。\n"
             "画像ファイルの拡張子は .bmp、.jpg、.jpeg、.jpe、.png のいずれかです。")
      .arg(QFileInfo(fileName).fileName());
}

QString FolderOf(const QString& fileName) {
  QString folder = QFileInfo(fileName).absolutePath();
  if (!folder.endsWith('/')) folder += '/';
  return folder;
}

// The file to save a picture to, asked in folder; empty when the dialog was
// cancelled or the name has no picture type, which the user is told.
QString AskPictureFile(const std::function<QString(const QString&)>& ask,
                       const std::function<void(const QString&)>& inform,
                       const std::string& folder) {
  const QString fileName = ask(QString::fromStdString(folder));
  if (fileName.isEmpty() || SaveTypeOf(fileName)) return fileName;
  inform(UnknownTypeText(fileName));
  return {};
}

// The folder and the type of a picture written are where the next save starts.
void RememberSaved(TSettings& settings, const QString& fileName) {
  settings.SaveDir = FolderOf(fileName).toStdString();
  settings.SaveType = SaveTypeOf(fileName)->Suffix.toStdString();
}

// The save dialog, with the type of the last picture saved; the extension
// follows the chosen type.
QString AskSaveFile(QWidget* owner, const QString& folder, const QString& lastType) {
  QFileDialog dialog(owner, TDrawForm::tr("画像保存先のファイル指定"), folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QStringList filters;
  for (const TSaveType& type : kSaveTypes)
    filters << FilterText(type);
  dialog.setNameFilters(filters);
  const auto chosen = std::find_if(std::begin(kSaveTypes), std::end(kSaveTypes),
                                   [&](const TSaveType& type) { return type.Suffix == lastType; });
  const TSaveType& start = chosen == std::end(kSaveTypes) ? kSaveTypes[0] : *chosen;
  dialog.selectNameFilter(FilterText(start));
  dialog.setDefaultSuffix(start.Suffix);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) {
                     for (const TSaveType& type : kSaveTypes)
                       if (FilterText(type) == filter) dialog.setDefaultSuffix(type.Suffix);
                   });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace

// Where a picture at an output size is shown, in dots: the picture area
// within a margin, above the labels that say so.
QRect TDrawForm::TempSizeArea() const {
  const int margin = Dots(kTempMargin);
  const int top = Dots(ImageArea()->y() + kTempMargin);
  const int bottom = Dots(ImageArea()->y() + lbTmpMode->y() - kTempMargin);
  return QRect(margin, top, FSession.PictureSize().width() - 2 * margin, bottom - top);
}

void TDrawForm::CreateOutputMenu() {
  SaveFileDialog = [this](const QString& folder) {
    return AskSaveFile(this, folder, QString::fromStdString(FSettings.SaveType));
  };
  ConfirmDialog = [this](const QString& question) {
    return QMessageBox::question(this, tr(kDocumentName), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  };
  SizeDialog = [](TSizeForm& form) { return form.exec(); };

  lbTmpMode = new QLabel(tr("拡大/縮小表示中"), ImageArea());
  lbTmpSize = new QLabel(ImageArea());
  for (QLabel* label : {lbTmpMode, lbTmpSize}) {
    label->setStyleSheet("color: white; background: black");
    label->hide();
  }
}

void TDrawForm::Guard(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    QMessageBox::critical(this, tr(kDocumentName), QString::fromUtf8(error.what()));
  }
}

void TDrawForm::TempSizeShown(bool on) {
  const int top = ImageArea()->height() - lbTmpMode->sizeHint().height() - kTempMargin;
  lbTmpMode->adjustSize();
  lbTmpSize->adjustSize();
  lbTmpMode->move(kTempMargin, top);
  lbTmpSize->move(kTempMargin + lbTmpMode->width() + kTempMargin, top);
  lbTmpMode->setVisible(on);
  lbTmpSize->setVisible(on);
  FScreen.fill(Qt::black);
  ImageArea()->repaint();
}

bool TDrawForm::SavePicture(const QString& fileName) {
  return FSession.SavePicture(fileName, JpegPosition());
}

bool TDrawForm::RenderAtSize(const QString& fileName, int width, int height) {
  lbTmpSize->setText(tr("実画像サイズ %1×%2").arg(width).arg(height));
  lbTmpMode->move(kTempMargin,
                  ImageArea()->height() - lbTmpMode->sizeHint().height() - kTempMargin);
  const QRect shown = TempSizeRect(width, height, TempSizeArea());
  bool delivered = false;
  FSession.RenderAtSize(width, height, shown, [&](const QImage& picture) {
    if (fileName.isEmpty())
      QGuiApplication::clipboard()->setImage(picture);
    else
      WritePicture(picture, fileName, JpegPosition());
    delivered = true;
  });
  return delivered;
}

// The desktop is checked first: on one this program cannot ask, nothing is computed.
void TDrawForm::mnWallClick() {
  const TDesktop desktop = RunningDesktop();
  if (desktop == TDesktop::Unsupported) {
    InformDialog(
        tr("このデスクトップ環境での壁紙の設定には対応していません。\n"
           "対応しているのは GNOME、Cinnamon、MATE、KDE Plasma、XFCE です。"));
    return;
  }
  if (!ConfirmDialog(tr("現在の画像を壁紙に設定します。よろしいですか？"))) return;
  const QString file = WallpaperFile();
  if (!QDir().mkpath(QFileInfo(file).absolutePath()))
    throw std::runtime_error(tr("フォルダを作成できません: %1").arg(file).toStdString());
  const QSize size = ScreenDeviceSize(*screen());
  if (RenderAtSize(file, size.width(), size.height())) ApplyWallpaper(desktop, file);
}

void TDrawForm::mnSaveClick() {
  const QString fileName = AskPictureFile(SaveFileDialog, InformDialog, FSettings.SaveDir);
  if (fileName.isEmpty()) return;
  if (SavePicture(fileName)) RememberSaved(FSettings, fileName);
}

void TDrawForm::mnCopyClick() {
  QGuiApplication::clipboard()->setImage(FSession.Picture());
}

void TDrawForm::mnSizeSaveClick(bool copy) {
  const int pictureWidth = FSession.PictureSize().width();
  const int pictureHeight = FSession.PictureSize().height();
  TSizeForm form(this);
  if (FSettings.SaveWidth != 0)
    form.Prepare(FSettings.SaveWidth, FSettings.SaveHeight, pictureWidth, pictureHeight, mnSize);
  else
    form.Prepare(pictureWidth, pictureHeight, pictureWidth, pictureHeight, mnSize);
  if (SizeDialog(form) != QDialog::Accepted) return;
  const int width = form.ChosenWidth(), height = form.ChosenHeight();
  QString fileName;
  if (!copy) {
    fileName = AskPictureFile(SaveFileDialog, InformDialog, FSettings.SaveDir);
    if (fileName.isEmpty()) return;
  }
  FSettings.SaveWidth = width;
  FSettings.SaveHeight = height;
  if (RenderAtSize(fileName, width, height) && !copy) RememberSaved(FSettings, fileName);
}

// The picture keeps its aspect and sits at the top left of the page.
QRect PrintedPictureRect(QSize picture, QSize page) {
  const float aspect = static_cast<float>(picture.height()) / static_cast<float>(picture.width());
  const int pw = page.width(), ph = page.height();
  if (static_cast<float>(ph) / static_cast<float>(pw) > aspect)
    return {0, 0, pw, static_cast<int>(std::nearbyint(pw * aspect))};
  return {0, 0, static_cast<int>(std::nearbyint(ph / aspect)), ph};
}

void TDrawForm::PrintPicture(QPrinter& printer) const {
  const QImage& picture = FSession.Picture();
  printer.setDocName(tr(kDocumentName));
  printer.setCreator(tr(kDocumentName));
  QPainter painter;
  if (!painter.begin(&printer))
    throw std::runtime_error(tr("印刷を開始できません。").toStdString());
  const QSize page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
  painter.drawImage(PrintedPictureRect(picture.size(), page), picture);
  if (!painter.end()) throw std::runtime_error(tr("印刷に失敗しました。").toStdString());
}

void TDrawForm::mnPrintClick() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintPicture(printer);
}

}  // namespace vortexa
