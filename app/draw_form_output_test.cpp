// The window's settings, image-size menu and picture output.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/draw_form.h"
#include "app/size_form.h"
#include "app/tour_video_form.h"
#include "app/wallpaper.h"
#include "favorites/test_files.h"
#include "render/decoded_video.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

namespace fs = std::filesystem;
using test_files::ReadBytes;
using test_files::WriteBytes;

constexpr int kWaitMs = 30000;

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FFolder.isValid());
    qputenv("XDG_CONFIG_HOME", FFolder.path().toUtf8());
  }

  fs::path Path(const char* name) const { return fs::path(FFolder.path().toStdString()) / name; }

  std::unique_ptr<TDrawForm> StartForm() {
    auto form = std::make_unique<TDrawForm>(false, TFavoritesFiles{Path("vortexa.fav"), {}});
    form->LoadSettings(Path("vortexa.ini"));
    form->show();
    WaitIdle(*form);
    return form;
  }

  static void WaitIdle(TDrawForm& form) {
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form.Session().History().Count() >= 1 && !form.Session().Busy(); }, kWaitMs));
    QTest::qWait(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.Session().Busy(); }, kWaitMs));
  }

  static QStringList UserSizeCaptions(const TDrawForm& form) {
    QStringList captions;
    for (const int tag : form.UserImageSizes())
      captions << QString("%1×%2").arg(tag / 10000).arg(tag % 10000);
    return captions;
  }

  QTemporaryDir FFolder;
};

TEST_F(OutputTest, FirstStartGivesTheDefaultsAndTheCloseWritesVersion120) {
  {
    auto form = StartForm();
    EXPECT_EQ(form->size(), QSize(590, 400));
    EXPECT_EQ(form->Session().MagnifyRatio(), 1);
    EXPECT_EQ(form->JpegPosition(), 1);
    form->close();
  }
  const std::string text = ReadBytes(Path("vortexa.ini"));
  EXPECT_EQ(text.rfind("[Version]\nNo=120\n", 0), 0u) << text;
}

TEST_F(OutputTest, SettingsSurviveARestartAndAct) {
  {
    auto form = StartForm();
    form->mnMagnifyRatio->actions()[3]->trigger();
    form->mnJPEG->actions()[2]->trigger();
    form->mnThread->trigger();
    form->mnWheelAtPointer->trigger();
    form->tbHue->setValue(20);
    form->mnTourSpeed->actions()[3]->trigger();
    form->mnTourSND->actions()[1]->trigger();
    WaitIdle(*form);
    form->resize(700, 500);
    form->mnSizeAddClick();
    form->close();
  }
  auto form = StartForm();
  EXPECT_EQ(form->size(), QSize(700, 500));
  EXPECT_EQ(form->Session().MagnifyRatio(), 3);
  EXPECT_TRUE(form->mnMagnifyRatio->actions()[3]->isChecked());
  EXPECT_EQ(form->JpegPosition(), 2);
  EXPECT_TRUE(form->mnThread->isChecked());
  EXPECT_TRUE(TSessionParts::CalcGrid(form->Session()).Options() & kOptSingleWorker);
  EXPECT_TRUE(form->Session().ZoomAtPointer());
  EXPECT_EQ(form->tbHue->value(), 20);
  EXPECT_EQ(form->TourSpeed(), 3);
  EXPECT_EQ(form->Tour().Speed(), 3);
  EXPECT_EQ(form->TourSound(), 1);
  const QSize area = form->ImageAreaSize();
  EXPECT_EQ(form->UserImageSizes(), std::vector<int>{area.width() * 10000 + area.height()});
}

// The language menu keeps its choice for the next start, puts it in force for
// the windows opened from now on and says when the main window follows.
TEST_F(OutputTest, TheLanguageChosenIsKeptForTheNextStart) {
  const struct {
    int Position;
    const char* Setting;
    const char* Told;
  } cases[] = {
      {2, "en", "The new language applies from the next start."},
      {1, "ja", "表示言語は次回の起動から切り替わります。"},
      {0, "", nullptr},
  };
  for (const auto& c : cases) {
    {
      auto form = StartForm();
      QStringList told;
      form->InformDialog = [&](const QString& text) { told << text; };
      form->mnLanguage->actions()[c.Position]->trigger();
      ASSERT_EQ(told.size(), 1) << c.Setting;
      if (c.Told) {
        EXPECT_EQ(told.front().toStdString(), c.Told);
      }
      EXPECT_EQ(InterfaceLanguage(), ChooseLanguage(c.Setting, QLocale::system())) << c.Setting;
      form->close();
    }
    EXPECT_EQ(ReadLanguageSetting(Path("vortexa.ini")), c.Setting);
    auto form = StartForm();
    EXPECT_TRUE(form->mnLanguage->actions()[c.Position]->isChecked()) << c.Setting;
  }
  InstallTranslations(TLanguage::Japanese);
}

// Saved bounds beyond the screen come back inside it: a huge size shrinks to
// the screen, a corner near the far edge moves the window back onto it.
TEST_F(OutputTest, RestoredBoundsFitTheScreen) {
  const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
  const struct {
    int Left, Top, Width, Height;
    QRect Expected;
  } cases[] = {
      {0, 0, 30000, 30000, free},
      {free.right() - 100, free.bottom() - 100, 500, 400,
       QRect(free.right() + 1 - 500, free.bottom() + 1 - 400, 500, 400)},
  };
  for (const auto& c : cases) {
    WriteBytes(Path("vortexa.ini"), QString("[Version]\nNo=120\n[Main]\nLeft=%1\nTop=%2\n"
                                            "Width=%3\nHeight=%4\n")
                                        .arg(c.Left)
                                        .arg(c.Top)
                                        .arg(c.Width)
                                        .arg(c.Height)
                                        .toStdString());
    auto form = StartForm();
    EXPECT_EQ(QRect(form->pos(), form->size()), c.Expected) << c.Width << "x" << c.Height;
  }
}

// A picture that does not fit in memory is said in the status bar; the window
// goes on and draws again at a size that fits.
TEST_F(OutputTest, APictureBeyondMemoryIsReportedInTheStatusBar) {
#ifdef VORTEXA_SANITIZED
  GTEST_SKIP() << "sanitizers end the process on a failed allocation";
#endif
  auto form = StartForm();
  form->resize(1000000, 1000000);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->StatusText(3).contains("メモリ"); }, kWaitMs));
  form->resize(400, 300);
  WaitIdle(*form);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Width(), form->PictureSize().width());
}

TEST_F(OutputTest, ImageSizeLineGivesUserSizesInFileOrderAheadOfThePresets) {
  WriteBytes(Path("vortexa.ini"), "[Version]\nNo=120\n[Main]\nImageSize=10240768,abc,5,8000600\n");
  auto form = StartForm();
  EXPECT_EQ(UserSizeCaptions(*form), (QStringList{"1024×768", "800×600"}));
  const QList<QAction*> items = form->mnSize->actions();
  EXPECT_EQ(items[0]->text(), "1024×768");
  EXPECT_EQ(items[1]->text(), "800×600");
  EXPECT_TRUE(items[2]->isSeparator());
  EXPECT_EQ(items[3]->text(), "QVGA  <320×240>");
}

TEST_F(OutputTest, SizeItemsSizeThePictureAreaAndAddedSizesAreSorted) {
  auto form = StartForm();
  form->mnSizeClick(8000600);
  WaitIdle(*form);
  EXPECT_EQ(form->ImageAreaSize(), QSize(800, 600));
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Width(), 800);
  form->mnSizeAddClick();
  form->mnSizeClick(6400480);
  WaitIdle(*form);
  EXPECT_EQ(form->ImageAreaSize(), QSize(640, 480));
  form->mnSizeAddClick();
  EXPECT_EQ(UserSizeCaptions(*form), (QStringList{"640×480", "800×600"}));

  // The current size is listed: adding is off, deleting asks first.
  form->mnDisplay->aboutToShow();
  EXPECT_FALSE(form->mnSizeAdd->isEnabled());
  EXPECT_TRUE(form->mnSizeDel->isEnabled());
  EXPECT_FALSE(form->mnSize->actions()[0]->isEnabled());  // 640×480 is the current size
  QString asked;
  form->ConfirmDialog = [&](const QString& question) {
    asked = question;
    return false;
  };
  form->mnSizeDelClick();
  EXPECT_EQ(asked, "640×480 をメニューから削除します。よろしいですか？");
  EXPECT_EQ(form->UserImageSizes().size(), 2u);
  form->ConfirmDialog = [](const QString&) { return true; };
  form->mnSizeDelClick();
  EXPECT_EQ(UserSizeCaptions(*form), (QStringList{"800×600"}));
}

TEST_F(OutputTest, A589PixelWindowPutsTheToolBarsInTwoRows) {
  auto form = StartForm();
  form->resize(590, 400);
  QApplication::processEvents();
  const int oneRowHeight = form->ImageAreaSize().height();
  EXPECT_EQ(form->TopPanel->height(), 53);
  form->resize(589, 400);
  QApplication::processEvents();
  EXPECT_EQ(form->TopPanel->height(), 106);
  EXPECT_EQ(form->ColorToolBar->y(), 53);
  EXPECT_EQ(form->ImageAreaSize().height(), oneRowHeight - 53);
  // A size that makes the window narrow gets its exact area below two rows
  // (one tall enough for the window's minimum height).
  form->resize(800, 600);
  form->mnSizeClick(3200300);
  WaitIdle(*form);
  EXPECT_EQ(form->TopPanel->height(), 106);
  EXPECT_EQ(form->ImageAreaSize(), QSize(320, 300));
}

TEST_F(OutputTest, ACorruptSettingsFileKeepsTheProgramStartingAndIsNotLost) {
  const std::string garbage(
      "\x7f"
      "ELF\0\0\x01garbage",
      14);
  WriteBytes(Path("vortexa.ini"), garbage);
  // The warning is a message box: close it as a user would.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  closer.start(10);
  auto form = StartForm();
  closer.stop();
  EXPECT_EQ(form->size(), QSize(590, 400));
  form->close();
  EXPECT_EQ(ReadBytes(Path("vortexa.ini.bad")), garbage);
  EXPECT_NE(ReadBytes(Path("vortexa.ini")).find("No=120"), std::string::npos);
}

// A picture is written by its name's extension; another extension is
// refused with a message, and only a written picture moves the save folder.
TEST_F(OutputTest, SavingWritesByExtensionAndOnlyAWrittenPictureMovesTheFolder) {
  auto form = StartForm();
  QStringList told;
  form->InformDialog = [&](const QString& text) { told << text; };
  const QImage& picture = TSessionParts::DrawGrid(form->Session()).Picture().Image();
  fs::create_directory(Path("out"));
  const struct {
    const char* name;
    const char* format;  // as the file's content shows it; null for none
    const char* type;    // the type the next save dialog offers
  } cases[] = {{"out/a.bmp", "bmp", "bmp"},  {"out/a.png", "png", "png"},
               {"out/a.jpg", "jpeg", "jpg"}, {"out/b.jpeg", "jpeg", "jpg"},
               {"out/c.JPE", "jpeg", "jpg"}, {"d.txt", nullptr, "jpg"},
               {"e", nullptr, "jpg"}};
  for (const auto& c : cases) {
    const QString file = QString::fromStdString(Path(c.name).string());
    const std::string folder = form->Settings().SaveDir;
    const qsizetype messages = told.size();
    form->SaveFileDialog = [&](const QString&) { return file; };
    form->mnSaveClick();
    EXPECT_EQ(form->Settings().SaveType, c.type) << c.name;
    if (!c.format) {
      EXPECT_FALSE(QFile::exists(file)) << c.name;
      EXPECT_EQ(told.size(), messages + 1) << c.name;
      EXPECT_EQ(form->Settings().SaveDir, folder) << c.name;
      continue;
    }
    EXPECT_EQ(told.size(), messages) << c.name;
    EXPECT_EQ(form->Settings().SaveDir, Path("out").string() + "/") << c.name;
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.format(), c.format) << c.name;
    const QImage read = reader.read();
    ASSERT_EQ(read.size(), picture.size()) << c.name;
    if (std::string_view(c.format) == "jpeg") continue;  // lossy
    // PNG colour type (byte 25): RGB or indexed, as the renderer writes, no alpha.
    if (std::string_view(c.format) == "png") {
      EXPECT_NE(ReadBytes(Path(c.name)).at(25), 6);
    }
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32),
              picture.convertToFormat(QImage::Format_RGB32))
        << c.name;
  }
}

// The dialog itself, answered as a user would: it opens where the last
// picture went, offering that picture's type.
TEST_F(OutputTest, TheSaveDialogOpensWithTheFolderAndTypeOfTheLastPicture) {
  auto form = StartForm();
  fs::create_directory(Path("out"));
  struct TSeen {
    QString folder, filter, suffix;
  } seen;
  QString answer;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    seen = {dialog->directory().absolutePath(), dialog->selectedNameFilter(),
            dialog->defaultSuffix()};
    if (answer.isEmpty()) {
      dialog->reject();
      return;
    }
    // Typed into the name field of the file's folder, as a user would: a
    // whole path given to selectFile while the dialog still reads its
    // folder can be taken for a folder to open.
    dialog->setDirectory(QFileInfo(answer).absolutePath());
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QFileInfo(answer).fileName());
    static_cast<QDialog*>(dialog)->accept();  // as the save button does
  });
  answerer.start(10);
  const QString first = QDir(QString::fromStdString(form->Settings().SaveDir)).absolutePath();
  answer = QString::fromStdString(Path("out/x.png").string());
  form->mnSaveClick();
  EXPECT_EQ(seen.folder, first);
  EXPECT_EQ(seen.filter, "ビットマップファイル (*.bmp)");
  EXPECT_TRUE(QFile::exists(answer));
  answer.clear();
  form->mnSaveClick();
  EXPECT_EQ(seen.folder, QString::fromStdString(Path("out").string()));
  EXPECT_EQ(seen.filter, "PNGファイル (*.png)");
  EXPECT_EQ(seen.suffix, "png");
}

TEST_F(OutputTest, SavingAtASizeAsksTheSizeThenTheFileAndKeepsTheSize) {
  auto form = StartForm();
  const QString file = QString::fromStdString(Path("big.bmp").string());
  form->SaveFileDialog = [&](const QString&) { return file; };
  QStringList presets;
  form->SizeDialog = [&](TSizeForm& dialog) {
    for (const QAction* item : dialog.PopupMenu->actions())
      presets << item->text();
    dialog.edWidth->setText("900");
    dialog.edHeight->setText("300");
    dialog.btOKClick();
    return dialog.result();
  };
  form->mnSizeSaveClick(false);
  EXPECT_EQ(QImage(file).size(), QSize(900, 300));
  EXPECT_EQ(form->Settings().SaveWidth, 900);
  EXPECT_EQ(form->Settings().SaveHeight, 300);
  const QSize area = form->ImageAreaSize();
  EXPECT_EQ(presets.value(0), QString("現在のサイズ <%1×%2>").arg(area.width()).arg(area.height()));
  EXPECT_TRUE(presets.value(1).startsWith("画面サイズ[壁紙用] <"));
  EXPECT_EQ(presets.value(3), "QVGA  <320×240>");
  EXPECT_EQ(presets.size(), 3 + 9);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Width(), area.width());
  EXPECT_FALSE(form->lbTmpMode->isVisible());

  // Copying at a size puts the picture on the clipboard.
  form->mnSizeSaveClick(true);
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(900, 300));
}

TEST(SizeFormTest, SizesFrom10To9999AreAcceptedAndTheRestRefused) {
  struct TCase {
    const char *width, *height;
    bool accepted;
  };
  const TCase cases[] = {{"10", "10", true},  {"9999", "9999", true}, {"9", "100", false},
                         {"100", "9", false}, {"10000", "10", false}, {"10", "10000", false},
                         {"", "100", false}};
  for (const TCase& c : cases) {
    TSizeForm form(nullptr);
    QString message;
    form.ShowMessage = [&](const QString& text) { message = text; };
    form.edWidth->setText(c.width);
    form.edHeight->setText(c.height);
    form.btOKClick();
    EXPECT_EQ(form.result() == QDialog::Accepted, c.accepted) << c.width << "×" << c.height;
    EXPECT_EQ(message.isEmpty(), c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(message, "画像サイズは縦横10ドット以上9999ドット以下を指定して下さい。");
    }
  }
}

TEST(SizeFormTest, TheEditsTakeDigitsAndEditingKeysOnly) {
  TSizeForm form(nullptr);
  form.edWidth->clear();
  QTest::keyClicks(form.edWidth, "1a2-3 .4");
  EXPECT_EQ(form.edWidth->text(), "1234");
  QTest::keyClick(form.edWidth, Qt::Key_Backspace);
  EXPECT_EQ(form.edWidth->text(), "123");
  // Tab still moves on, and Enter still reaches the OK button.
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.edWidth->setFocus();
  QTest::keyClick(form.edWidth, Qt::Key_Tab);
  EXPECT_TRUE(form.edHeight->hasFocus());
  form.edHeight->setText("50");
  QTest::keyClick(form.edHeight, Qt::Key_Return);
  EXPECT_EQ(form.result(), QDialog::Accepted);
  // Select all, then typing replaces the whole text.
  QTest::keyClick(form.edHeight, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(form.edHeight, "3840");
  EXPECT_EQ(form.edHeight->text(), "3840");
  for (char32_t code : {U'3', char32_t(3), char32_t(22), char32_t(24), char32_t(26), char32_t(8)})
    EXPECT_TRUE(SizeCharAccepted(code));
  for (char32_t code : {U'a', U'-', char32_t(1), U'１'})
    EXPECT_FALSE(SizeCharAccepted(code));
}

TEST(SizeFormTest, APresetFillsWidthAndHeight) {
  TSizeForm form(nullptr);
  QMenu sizeMenu;
  form.Prepare(100, 100, 640, 480, &sizeMenu);
  form.mnOrig->trigger();
  EXPECT_EQ(form.edWidth->text(), "640");
  EXPECT_EQ(form.edHeight->text(), "480");
}

TEST(PrintTest, ThePictureIsStretchedToTheTopLeftKeepingItsAspect) {
  // Page 1000 × 1400 (ratio 1.4): a 400 × 300 picture (0.75) takes the full width.
  EXPECT_EQ(PrintedPictureRect({400, 300}, {1000, 1400}), QRect(0, 0, 1000, 750));
  // A tall 100 × 300 picture (3.0) takes the full height: width Round(1400 / 3) = 467.
  EXPECT_EQ(PrintedPictureRect({100, 300}, {1000, 1400}), QRect(0, 0, 467, 1400));
}

TEST_F(OutputTest, PrintingToAPdfFileWritesTheTitledDocument) {
  auto form = StartForm();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString file = QString::fromStdString(Path("print.pdf").string());
  printer.setOutputFileName(file);
  form->PrintPicture(printer);
  const std::string pdf = ReadBytes(Path("print.pdf"));
  EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
  EXPECT_NE(pdf.find("/Image"), std::string::npos);
  EXPECT_EQ(printer.docName(), "うずまきらんど");
}

}  // namespace
}  // namespace vortexa

namespace vortexa {
namespace {

TEST_F(OutputTest, FullScreenHidesTheBarsKeepsThePictureAndRestoresTheBounds) {
  WriteBytes(Path("vortexa.ini"), "[Version]\nNo=120\n[Main]\nFSNotice=0\n");
  auto form = StartForm();
  QStringList notices;
  form->InformDialog = [&](const QString& text) { notices << text; };
  form->move(120, 80);
  form->resize(640, 480);
  QApplication::processEvents();
  const QRect bounds = form->geometry();

  form->mnFullScreenClick();
  WaitIdle(*form);
  const QSize screen = form->screen()->size();
  EXPECT_TRUE(form->FullScreen());
  EXPECT_FALSE(form->BarsShown());
  EXPECT_EQ(form->mnFullScreen->text(), "全画面表示解除(&F)");
  EXPECT_EQ(form->ImageAreaSize(), screen);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Width(), screen.width());
  EXPECT_EQ(notices.size(), 1);

  // The bars come at the top edge and leave when the mouse goes down; the
  // picture stays where it is on the screen meanwhile.
  const QImage hidden = form->Screen().copy();
  form->FormMouseMove(QPoint(100, 4));
  EXPECT_TRUE(form->BarsShown());
  const int below = form->centralWidget()->y() + form->ImageArea()->y();
  EXPECT_GT(below, 0);
  EXPECT_EQ(form->Screen().copy(0, 0, 200, 100), hidden.copy(0, below, 200, 100));
  form->FormMouseMove(QPoint(100, form->TopPanel->height() + 5));
  EXPECT_TRUE(form->BarsShown());
  form->FormMouseMove(QPoint(100, form->TopPanel->height() + 11));
  EXPECT_FALSE(form->BarsShown());

  form->mnFullScreenClick();
  WaitIdle(*form);
  EXPECT_FALSE(form->FullScreen());
  EXPECT_TRUE(form->BarsShown());
  EXPECT_EQ(form->geometry(), bounds);
  EXPECT_EQ(form->mnFullScreen->text(), "全画面表示(&F)");
  // The notice is shown once the settings say it was.
  form->mnFullScreenClick();
  EXPECT_EQ(notices.size(), 1);
  WaitIdle(*form);
  // Choosing a size leaves full screen first.
  form->mnSizeClick(6400480);
  EXPECT_FALSE(form->FullScreen());
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->ImageAreaSize() == QSize(640, 480); }, kWaitMs));
  WaitIdle(*form);
  EXPECT_EQ(form->ImageAreaSize(), QSize(640, 480));
}

// In full screen with the bars hidden the window's keys still act, the
// information strip names the tour's destination, and only a plain move
// (no button, no modifier key) calls the bars.
TEST_F(OutputTest, FullScreenWithoutBarsKeepsKeysDestinationAndPlainMoves) {
  WriteBytes(Path("vortexa.ini"), "[Version]\nNo=120\n[Main]\nFSNotice=1\n");
  auto form = StartForm();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->mnFullScreenClick();
  WaitIdle(*form);
  ASSERT_FALSE(form->BarsShown());

  const struct {
    QKeyCombination key;
    QAction* command;
  } keys[] = {{Qt::CTRL | Qt::Key_S, form->mnSave},
              {Qt::CTRL | Qt::Key_C, form->mnCopy},
              {Qt::CTRL | Qt::Key_R, form->mnRandTour},
              {QKeyCombination(Qt::Key_F1), form->mnShowHelp}};
  for (const auto& k : keys) {
    QObject::disconnect(k.command, &QAction::triggered, nullptr, nullptr);  // no dialogs
    QSignalSpy triggered(k.command, &QAction::triggered);
    QTest::keyClick(form.get(), k.key.key(), k.key.keyboardModifiers());
    EXPECT_EQ(triggered.count(), 1) << k.command->text().toStdString();
  }

  const auto hiddenStrip = [&](const std::string& destination) {
    form->Session().SetDestName(destination);
    form->ToggleBars();
    form->ToggleBars();
    return TSessionParts::DrawGrid(form->Session()).InfoStrip().Image().copy();
  };
  EXPECT_NE(hiddenStrip("渦巻き"), hiddenStrip(""));

  QWidget* area = form->ImageArea();
  const struct {
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
    bool shows;
  } moves[] = {{Qt::MiddleButton, Qt::NoModifier, false},
               {Qt::NoButton, Qt::ShiftModifier, false},
               {Qt::NoButton, Qt::ControlModifier, false},
               {Qt::NoButton, Qt::NoModifier, true}};
  for (const auto& m : moves) {
    ASSERT_FALSE(form->BarsShown());
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 2), area->mapToGlobal(QPointF(100, 2)),
                     Qt::NoButton, m.buttons, m.modifiers);
    QApplication::sendEvent(area, &move);
    EXPECT_EQ(form->BarsShown(), m.shows) << m.buttons << " " << m.modifiers;
  }
  form->mnFullScreenClick();
}

TEST_F(OutputTest, F1WithoutABrowserNamesTheManualsPath) {
  auto form = StartForm();
  QUrl opened;
  form->OpenUrl = [&](const QUrl& url) {
    opened = url;
    return false;
  };
  QStringList told;
  form->InformDialog = [&](const QString& text) { told << text; };
  form->mnShowHelp->trigger();
  ASSERT_TRUE(opened.isLocalFile());
  ASSERT_EQ(told.size(), 1);
  EXPECT_TRUE(told[0].contains(opened.toLocalFile())) << told[0].toStdString();
  // A browser that opens it says nothing more.
  form->OpenUrl = [](const QUrl&) { return true; };
  form->mnShowHelp->trigger();
  EXPECT_EQ(told.size(), 1);
}

TEST(HelpTest, TheManualOfTheLanguageIsFoundInTheFirstFolderThatHoldsIt) {
  QTemporaryDir folder;
  const fs::path base = folder.path().toStdString();
  fs::create_directories(base / "b" / "manual");
  WriteBytes(base / "b" / "manual" / "index.html", "<html></html>");
  fs::create_directories(base / "c" / "manual" / "en");
  WriteBytes(base / "c" / "manual" / "en" / "index.html", "<html></html>");
  const std::vector<fs::path> folders = {base / "a", base / "b", base / "c"};
  EXPECT_EQ(FindManual(folders, TLanguage::Japanese), base / "b" / "manual" / "index.html");
  EXPECT_EQ(FindManual(folders, TLanguage::English), base / "c" / "manual" / "en" / "index.html");
  const std::vector<fs::path> none = {base / "a"};
  EXPECT_EQ(FindManual(none, TLanguage::Japanese), std::nullopt);
}

}  // namespace
}  // namespace vortexa

namespace vortexa {
namespace {

TEST(WallpaperTest, EachDesktopGetsItsOwnCommandsAndOthersNone) {
  EXPECT_EQ(DesktopFromName("ubuntu:GNOME"), TDesktop::Gnome);
  EXPECT_EQ(DesktopFromName("X-Cinnamon"), TDesktop::Cinnamon);
  EXPECT_EQ(DesktopFromName("KDE"), TDesktop::Plasma);
  EXPECT_EQ(DesktopFromName("XFCE"), TDesktop::Xfce);
  EXPECT_EQ(DesktopFromName("LXQt"), TDesktop::Unsupported);
  EXPECT_EQ(DesktopFromName(""), TDesktop::Unsupported);

  const QString file = "/home/a b/Vortexa_a.png";
  const std::vector<QStringList> gnome = WallpaperCommands(TDesktop::Gnome, file);
  ASSERT_EQ(gnome.size(), 3u);
  EXPECT_EQ(gnome[0], (QStringList{"gsettings", "set", "org.gnome.desktop.background",
                                   "picture-uri", "file:///home/a%20b/Vortexa_a.png"}));
  EXPECT_EQ(gnome[1][3], "picture-uri-dark");
  EXPECT_EQ(WallpaperCommands(TDesktop::Plasma, file),
            (std::vector<QStringList>{{"plasma-apply-wallpaperimage", file}}));
  const std::vector<QStringList> xfce =
      WallpaperCommands(TDesktop::Xfce, file,
                        {"/backdrop/screen0/monitor0/workspace0/last-image",
                         "/backdrop/screen0/monitor0/workspace0/image-style",
                         "/backdrop/screen0/monitorHDMI-1/workspace0/last-image"});
  ASSERT_EQ(xfce.size(), 2u);
  EXPECT_EQ(xfce[1],
            (QStringList{"xfconf-query", "-c", "xfce4-desktop", "-p",
                         "/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "-s", file}));
  EXPECT_TRUE(WallpaperCommands(TDesktop::Unsupported, file).empty());
  EXPECT_THROW(ApplyWallpaper(TDesktop::Unsupported, file), std::runtime_error);
}

TEST(WallpaperTest, TheFileNameIsTheSameForTheSameUser) {
  const QString file = WallpaperFile();
  EXPECT_TRUE(file.contains("/vortexa/Vortexa_"));
  EXPECT_TRUE(file.endsWith(".png"));
  EXPECT_EQ(WallpaperFile(), file);
}

TEST_F(OutputTest, AnUnsupportedDesktopGetsAMessageAndNothingElse) {
  qputenv("XDG_CURRENT_DESKTOP", "LXQt");
  qputenv("XDG_DATA_HOME", FFolder.path().toUtf8());
  auto form = StartForm();
  QStringList told;
  bool asked = false;
  form->InformDialog = [&](const QString& text) { told << text; };
  form->ConfirmDialog = [&](const QString&) { return asked = true; };
  form->mnWallClick();
  EXPECT_EQ(told.size(), 1);
  EXPECT_FALSE(asked);
  EXPECT_FALSE(fs::exists(Path("vortexa")));
}

// The menu's command films the tour the dialog asks for into a playable
// file, while the window lives; the tour button's random tour and each
// favourite are the destinations.
TEST_F(OutputTest, ATourVideoFromTheMenuHoldsTheFramesAsked) {
  auto form = std::make_unique<TDrawForm>(
      false, TFavoritesFiles{Path("vortexa.fav"), VORTEXA_RECOMMENDED_FILE});
  form->show();
  WaitIdle(*form);
  const fs::path video = Path("tour.mp4");
  int destinations = 0;
  form->TourVideoDialog = [&](TTourVideoForm& dialog) {
    destinations = dialog.cbDest->count();
    dialog.edFile->setText(QString::fromStdString(video.string()));
    dialog.seWidth->setValue(64);
    dialog.seHeight->setValue(48);
    dialog.seFps->setValue(12);
    dialog.seSeconds->setValue(1);
    dialog.cbDest->setCurrentIndex(1);
    return QDialog::Accepted;
  };
  QAction* item = nullptr;
  for (QAction* entry : form->FavoriteMenu()->actions())
    if (entry->text() == "ツアーを動画に保存(&V)...") item = entry;
  ASSERT_TRUE(item);
  item->trigger();
  EXPECT_EQ(destinations, 17) << "random tour, then the recommended file's 16 favourites";
  EXPECT_FALSE(form->Session().Busy());
  EXPECT_TRUE(form->StatusText(3).contains("12")) << form->StatusText(3).toStdString();
  const auto frames = test_support::DecodeVideo(video.string());
  ASSERT_EQ(frames.size(), 12u);
  EXPECT_EQ(frames.back().Width, 64);
  EXPECT_EQ(frames.back().Height, 48);
}

}  // namespace
}  // namespace vortexa
