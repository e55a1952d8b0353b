// The main window on scaled screens: three offscreen screens side by side at
// scales 2, 1 and 1.5, the first one the primary.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>
#include <fstream>

#include "app/draw_form.h"
#include "app/size_form.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

constexpr int kWaitMs = 30000;

QScreen* ScreenNamed(const QString& name) {
  for (QScreen* screen : QGuiApplication::screens())
    if (screen->name() == name) return screen;
  ADD_FAILURE() << "no screen " << name.toStdString();
  return QGuiApplication::primaryScreen();
}

class DrawFormHiDpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FConfig.isValid());
    qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
  }

  // A window on the named screen that has drawn its first picture there.
  std::unique_ptr<TDrawForm> StartForm(const QString& screen, QSize size = {300, 330}) {
    auto form = std::make_unique<TDrawForm>(
        false, TFavoritesFiles{FConfig.filePath("vortexa.fav").toStdString(), std::nullopt});
    form->resize(size);
    form->move(ScreenNamed(screen)->geometry().topLeft() + QPoint(20, 20));
    form->show();
    EXPECT_EQ(form->screen()->name(), screen);
    form->mnAnimate->trigger();  // no zoom movies: the tests look at views
    WaitForPicture(*form);
    return form;
  }

  // Idle with a picture of the area's device size.
  static void WaitForPicture(TDrawForm& form) {
    const double ratio = form.devicePixelRatioF();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          const QSize area = form.ImageAreaSize();
          const TDrawGrid& draw = TSessionParts::DrawGrid(form.Session());
          return !form.Session().Busy() && form.Session().History().Count() > 0 &&
                 draw.Width() == std::lround(area.width() * ratio) &&
                 draw.Height() == std::lround(area.height() * ratio);
        },
        kWaitMs));
  }

  QTemporaryDir FConfig;
};

void SendMouse(QWidget* area, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons held) {
  QMouseEvent event(type, at, area->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(area, &event);
}

void SendWheel(QWidget* area, QPointF at, int delta) {
  QWheelEvent event(at, area->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(area, &event);
}

// The plane's x under dot column `column` by the plane mapping: dot size
// 2 × range / min(width, height), column (c − width div 2).
long double PlaneX(const TViewState& view, int width, int height, int column) {
  const long double dot = 2 * view.Range.ToLongDouble() / std::min(width, height);
  return view.CenterX.ToLongDouble() + dot * (column - width / 2);
}

TEST(DeviceSizeTest, SizesRoundToTheNearestPixelAndPositionsToTheHoldingPixel) {
  EXPECT_EQ(DeviceSize({400, 301}, 2), QSize(800, 602));
  EXPECT_EQ(DeviceSize({301, 201}, 1.5), QSize(452, 302));   // 451.5 and 301.5 go up
  EXPECT_EQ(DeviceSize({301, 203}, 1.25), QSize(376, 254));  // 376.25 and 253.75
  EXPECT_EQ(DevicePoint({10.5, 3}, 2), QPoint(21, 6));
  EXPECT_EQ(DevicePoint({3, 10.9}, 1.5), QPoint(4, 16));  // 4.5 and 16.35
  EXPECT_EQ(DevicePoint({-0.25, 0}, 2), QPoint(-1, 0));
  EXPECT_EQ(LogicalSize({800, 601}, 1.5), QSize(533, 401));
}

TEST_F(DrawFormHiDpiTest, PictureIsComputedAtDevicePixelsAndTheStatusSaysSo) {
  auto form = StartForm("scale2");
  ASSERT_EQ(form->devicePixelRatioF(), 2);
  const QSize area = form->ImageAreaSize();
  const TDrawGrid& draw = TSessionParts::DrawGrid(form->Session());
  EXPECT_EQ(draw.Width(), 2 * area.width());
  EXPECT_EQ(draw.Height(), 2 * area.height());
  EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).GridWidth(), 2 * area.width());
  EXPECT_EQ(form->Screen().size(), QSize(draw.Width(), draw.Height()));
  EXPECT_EQ(form->StatusText(1), QString("%1×%2").arg(2 * area.width()).arg(2 * area.height()));

  // Saving writes every dot.
  const QString file = FConfig.filePath("picture.png");
  ASSERT_TRUE(form->SavePicture(file));
  EXPECT_EQ(QImage(file).size(), QSize(2 * area.width(), 2 * area.height()));
  form->mnCopyClick();
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(),
            QSize(2 * area.width(), 2 * area.height()));
}

// The painted area shows the picture dot for dot: every device pixel of the
// area is the picture's dot at that place, and somewhere two neighbouring
// pixels of one 2 × 2 block differ, which a picture of window pixels shown
// doubled could not do.
TEST_F(DrawFormHiDpiTest, ImageAreaShowsEveryDotOnAPixelOfItsOwn) {
  auto form = StartForm("scale2");
  const QImage shown = form->ImageArea()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage picture = TSessionParts::DrawGrid(form->Session())
                             .Picture()
                             .Image()
                             .convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), picture.size());
  int mismatches = 0, splitBlocks = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) {
      mismatches += shown.pixel(x, y) != picture.pixel(x, y);
      if (x % 2 == 0 && y % 2 == 0) splitBlocks += shown.pixel(x, y) != shown.pixel(x + 1, y);
    }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(splitBlocks, 0);
}

// At scale 1.5 the device size is rounded, and the picture still covers the
// whole area: the outermost window pixels whose centres lie in the area show
// the picture, not the black background (the home view's edges lie outside
// the set, in colour).
TEST_F(DrawFormHiDpiTest, FractionalScaleCoversTheWholeArea) {
  for (const QSize size : {QSize(301, 331), QSize(300, 330)}) {
    SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
    auto form = StartForm("scale15", size);
    ASSERT_EQ(form->devicePixelRatioF(), 1.5);
    const QSize area = form->ImageAreaSize();
    EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Width(), std::lround(area.width() * 1.5));
    EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Height(), std::lround(area.height() * 1.5));
    const QImage window = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRectF shownArea(form->ImageArea()->mapTo(form.get(), QPoint(0, 0)), QSizeF(area));
    QRect inside;  // the window pixels whose centres lie in the area
    for (int y = 0; y < window.height(); ++y)
      for (int x = 0; x < window.width(); ++x)
        if (shownArea.contains(QPointF(x + 0.5, y + 0.5) / 1.5)) inside |= QRect(x, y, 1, 1);
    EXPECT_GE(inside.width(), std::lround(area.width() * 1.5) - 1);
    EXPECT_GE(inside.height(), std::lround(area.height() * 1.5) - 1);
    int black = 0;
    for (int x = inside.left(); x <= inside.right(); ++x)
      for (int y : {inside.top(), inside.bottom()})
        black += window.pixel(x, y) == qRgb(0, 0, 0);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
      for (int x : {inside.left(), inside.right()})
        black += window.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_EQ(black, 0);
  }
}

// 100 window pixels of drag on a screen scaled by 2 are 200 dots: the view
// moves by as far as the pointer did on the screen.
TEST_F(DrawFormHiDpiTest, ScrollDragMovesTheViewByTheDotsUnderThePointer) {
  auto form = StartForm("scale2");
  QWidget* area = form->ImageArea();
  const TViewState before = form->Session().View();
  const int width = TSessionParts::DrawGrid(form->Session()).Width();
  const int height = TSessionParts::DrawGrid(form->Session()).Height();
  const long double dot = 2 * before.Range.ToLongDouble() / std::min(width, height);
  const QPointF start(40, 30);
  SendMouse(area, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  SendMouse(area, QEvent::MouseMove, start + QPointF(50, 0), Qt::NoButton, Qt::LeftButton);
  SendMouse(area, QEvent::MouseMove, start + QPointF(100, 0), Qt::NoButton, Qt::LeftButton);
  SendMouse(area, QEvent::MouseButtonRelease, start + QPointF(100, 0), Qt::LeftButton,
            Qt::NoButton);
  WaitForPicture(*form);
  EXPECT_NEAR(static_cast<double>(form->Session().View().CenterX - before.CenterX),
              static_cast<double>(-2 * 100 * dot), 1e-15);
  EXPECT_EQ(form->Session().View().CenterY, before.CenterY);
}

// The right drag keeps its feel: a degree every four window pixels.
TEST_F(DrawFormHiDpiTest, AngleDragTurnsADegreeEveryFourWindowPixels) {
  auto form = StartForm("scale2");
  QWidget* area = form->ImageArea();
  const QPointF start(100, 100);
  SendMouse(area, QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
  SendMouse(area, QEvent::MouseMove, start + QPointF(0, 40), Qt::NoButton, Qt::RightButton);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).GetElevation(), 80);
  SendMouse(area, QEvent::MouseButtonRelease, start + QPointF(0, 40), Qt::RightButton,
            Qt::NoButton);
}

// Zooming at the pointer keeps the plane's point under the pointer within a
// dot; the pointer's window position falls between two device pixels.
TEST_F(DrawFormHiDpiTest, WheelAtThePointerKeepsThePointUnderIt) {
  auto form = StartForm("scale2");
  form->mnWheelAtPointer->trigger();
  const QPointF pointer(60.5, 40.25);  // dot (121, 80)
  const int width = TSessionParts::DrawGrid(form->Session()).Width();
  const int height = TSessionParts::DrawGrid(form->Session()).Height();
  const long double before = PlaneX(form->Session().View(), width, height, 121);
  SendWheel(form->ImageArea(), pointer, 120);
  WaitForPicture(*form);
  const TViewState after = form->Session().View();
  ASSERT_EQ(after.Range, 0.5L);
  const long double dot = 2 * after.Range.ToLongDouble() / std::min(width, height);
  EXPECT_LE(std::fabs(static_cast<double>(PlaneX(after, width, height, 121) - before)),
            static_cast<double>(dot));
}

// The dot inspector names the dot under the pointer in dots.
TEST_F(DrawFormHiDpiTest, DotInspectorShowsTheDotUnderThePointer) {
  auto form = StartForm("scale2");
  form->mnInfo->trigger();
  TInfoForm* info = form->InfoForm();
  ASSERT_NE(info, nullptr);
  info->btDot->click();
  form->FormMouseMove(QPointF(10.5, form->TopPanel->height() + 20));
  EXPECT_EQ(info->lbXdot->text(), "[21]");
  EXPECT_EQ(info->lbYdot->text(), "[40]");
  info->close();
}

// The image-size menu sizes the picture in dots, exactly also where halving
// or rounding the size would miss it.
TEST_F(DrawFormHiDpiTest, ImageSizeMenuGivesThePictureThatManyDots) {
  const struct {
    const char* screen;
    int tag;
    QSize area;
  } cases[] = {{"scale2", 8000600, {400, 300}},
               {"scale2", 6410601, {321, 301}},  // 320.5 × 300.5 window pixels
               {"scale15", 7990601, {533, 401}},
               {"scale1", 6400480, {640, 480}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.screen << " " << c.tag);
    auto form = StartForm(c.screen);
    form->mnSizeClick(c.tag);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          return TSessionParts::DrawGrid(form->Session()).Width() == c.tag / 10000 &&
                 TSessionParts::DrawGrid(form->Session()).Height() == c.tag % 10000 &&
                 !form->Session().Busy();
        },
        kWaitMs));
    EXPECT_EQ(form->ImageAreaSize(), c.area);
    EXPECT_EQ(form->PictureSize(), QSize(c.tag / 10000, c.tag % 10000));
    EXPECT_EQ(form->StatusText(1), QString("%1×%2").arg(c.tag / 10000).arg(c.tag % 10000));
    form->mnSizeAddClick();
    const std::vector<int> sizes = form->UserImageSizes();
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), c.tag), sizes.end());
  }
}

// Full screen covers the screen's device pixels; the bars that the mouse
// calls leave the picture where it is on the screen, to the device pixel.
TEST_F(DrawFormHiDpiTest, FullScreenKeepsThePictureInPlaceToTheDot) {
  auto form = StartForm("scale2");
  form->InformDialog = [](const QString&) {};
  form->mnFullScreenClick();
  const QSize screen = form->screen()->size();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return TSessionParts::DrawGrid(form->Session()).Width() == 2 * screen.width() &&
               !form->Session().Busy();
      },
      kWaitMs));
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Height(), 2 * screen.height());
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).InfoStrip().Height(), 2 * kInfoStripHeight);

  const QImage hidden = form->Screen().copy();
  form->FormMouseMove(QPointF(100, 4));
  ASSERT_TRUE(form->BarsShown());
  const int below = 2 * (form->centralWidget()->y() + form->ImageArea()->y());
  EXPECT_EQ(form->Screen().copy(0, 0, 400, 200), hidden.copy(0, below, 400, 200));
  form->mnFullScreenClick();
}

// The wallpaper preset of the size dialog fills the screen's device pixels.
TEST_F(DrawFormHiDpiTest, SizeDialogOffersTheScreenInDevicePixels) {
  auto form = StartForm("scale2");
  TSizeForm dialog(form.get());
  dialog.Prepare(800, 600, 800, 600, form->mnSize);
  EXPECT_EQ(dialog.mnScreen->text(), "画面サイズ[壁紙用] <1600×1200>");
}

// Moving to a screen of another scale draws the picture anew at its device size.
TEST_F(DrawFormHiDpiTest, MovingToAnotherScreenDrawsAtItsScale) {
  auto form = StartForm("scale1");
  const QSize area = form->ImageAreaSize();
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Width(), area.width());
  form->move(ScreenNamed("scale2")->geometry().topLeft() + QPoint(20, 20));
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->screen()->name() == "scale2"; }, kWaitMs));
  WaitForPicture(*form);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Width(), 2 * form->ImageAreaSize().width());
  EXPECT_EQ(form->Session().PixelRatio(), 2);
}

}  // namespace
}  // namespace vortexa

int main(int argc, char** argv) {
  QTemporaryDir folder;
  if (!folder.isValid()) return 1;
  const QString config = folder.filePath("screens.json");
  std::ofstream(config.toStdString()) << R"({"screens": [
  {"name": "scale2", "x": 0, "y": 0, "width": 800, "height": 600, "dpr": 2},
  {"name": "scale1", "x": 800, "y": 0, "width": 1600, "height": 1200, "dpr": 1},
  {"name": "scale15", "x": 2400, "y": 0, "width": 1600, "height": 1200, "dpr": 1.5}]})";
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
  qunsetenv("QT_SCALE_FACTOR");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
