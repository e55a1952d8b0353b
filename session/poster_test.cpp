// A picture computed in bands is the picture computed whole.
#include "session/poster.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <mutex>

#include "render/canvas.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

struct TView {
  const char* Name;
  long double X, Y, Range;
  int Limit;
};

// Inside areas for the prediction and the real axis for the mirror; a view
// off the axis for the plain rows.
const TView kViews[] = {
    {"home", -0.5L, 0, 1.5L, 300},
    {"seahorse valley", -0.7436438870371L, 0.1318259042053L, 1e-6L, 1000},
};

void Show(TSession& session, const TView& view, int width, int height) {
  TMBItem item;
  item.X = view.X;
  item.Y = view.Y;
  item.Range = view.Range;
  item.Limit = view.Limit;
  session.Resize(width, height);
  session.LoadView(item);
  session.ShowView();
}

QImage WholePicture(const TView& view, int width, int height) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  session.SetOptions(kOptNoPrediction | kOptNoMirror);
  Show(session, view, width, height);
  TSessionParts::CalcGrid(session).Start(ccDraw);
  TSessionParts::CalcGrid(session).WaitIdle();
  TSessionParts::DrawGrid(session).Render(true);
  return TSessionParts::DrawGrid(session).Picture().Image().copy();
}

TEST(RenderBands, BandsJoinIntoTheWholePicture) {
  constexpr int kWidth = 70, kHeight = 53, kBandRows = 8;  // the last band is shorter
  for (const TView& view : kViews) {
    TNullCanvas canvas;
    TSession session(canvas, canvas);
    Show(session, view, kWidth, kHeight);
    QImage joined(kWidth, kHeight, QImage::Format_RGB32);
    int nextRow = 0;
    std::vector<int> progress;
    RenderBands(
        session, {kWidth, kHeight, 0, kHeight, kBandRows},
        [&](const QImage& band) {
          QPainter(&joined).drawImage(0, nextRow, band);
          nextRow += band.height();
        },
        [&](int rows) { progress.push_back(rows); });
    EXPECT_EQ(nextRow, kHeight) << view.Name;
    EXPECT_EQ(progress.back(), kHeight) << view.Name;
    EXPECT_EQ(progress.size(), 7u) << view.Name;
    EXPECT_EQ(joined, WholePicture(view, kWidth, kHeight).convertToFormat(QImage::Format_RGB32))
        << view.Name;
  }
}

TEST(RenderBands, PartOfThePictureIsItsRows) {
  constexpr int kWidth = 40, kHeight = 30;
  const QImage whole = WholePicture(kViews[0], kWidth, kHeight);
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  Show(session, kViews[0], kWidth, kHeight);
  std::vector<QImage> bands;
  RenderBands(session, {kWidth, kHeight, 11, 23, 5},
              [&](const QImage& band) { bands.push_back(band); });
  ASSERT_EQ(bands.size(), 3u);
  EXPECT_EQ(bands[0], whole.copy(0, 11, kWidth, 5));
  EXPECT_EQ(bands[2], whole.copy(0, 21, kWidth, 2));
}

}  // namespace
}  // namespace vortexa
