#include "render/draw_grid.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <functional>

#include "render/recording_canvas.h"

namespace vortexa {
namespace {

constexpr TColor32 kBlack = 0xFF000000;

TEST(FixedPoint, HelpersRoundAndShiftArithmetically) {
  EXPECT_EQ(Fixed(3), 3 * 65536);
  EXPECT_EQ(Fixed(-2), -2 * 65536);
  EXPECT_EQ(Fixed(0.5), 32768);
  EXPECT_EQ(Fixed(1.5 / 65536), 2);  // half to even
  EXPECT_EQ(Fixed(2.5 / 65536), 2);
  EXPECT_EQ(FixedMul(Fixed(3), Fixed(-0.5)), Fixed(-1.5 * 1.0));
  EXPECT_EQ(FixedMul(-1, 1), -1);  // arithmetic shift rounds towards minus infinity
  EXPECT_EQ(FixedDiv(Fixed(3), Fixed(2)), Fixed(1.5));
  struct {
    TFixed value;
    int rounded;
  } rounds[] = {{Fixed(2.5), 2},
                {Fixed(2.5) + 1, 3},
                {Fixed(-2.5), -3},
                {Fixed(-2.5) + 1, -2},
                {Fixed(7), 7}};
  for (const auto& c : rounds)
    EXPECT_EQ(FixedRound(c.value), c.rounded) << c.value;
}

class DrawGridTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "draw_grid_test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }

  void Fill(int width, int height, const std::function<TDot(int x, int y)>& count) {
    draw.SetSize(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        grid.SetDot(y, x, count(x, y));
  }
  TColor32 Pixel(int x, int y) const { return draw.Picture().Pixel(x, y); }
  TColor32 ColorAt(int x, int y) const { return draw.GetColor(grid.GetDot(y, x)); }

  // Coverage of every pixel by the masks, filled white onto black.
  TBitmap32 MaskCoverage() const {
    TBitmap32 coverage;
    coverage.SetSize(draw.Width(), draw.Height());
    coverage.Clear(kBlack);
    for (const TPolygon32& mask : draw.Masks())
      coverage.FillPolygon(mask, 0xFFFFFFFF);
    return coverage;
  }

  TCalcGrid grid;
  TRecordingCanvas canvas;
  TDrawGrid draw{grid, canvas};
};

// A smooth field with a disc inside the set, so reliefs have slopes, steps and holes.
TDot Landscape(int x, int y) {
  const int dx = x - 50, dy = y - 35;
  const int squared = dx * dx + dy * dy;
  if (squared < 60) return kDotInside;
  return static_cast<TDot>(1 + 4000 / (1 + squared / 16) + (x * 7 + y * 3) % 5);
}

TEST_F(DrawGridTest, AnglesWrapAndClamp) {
  struct {
    int rotation, expected;
  } rotations[] = {{-190, 170}, {200, -160}, {180, 180}, {-180, -180}, {0, 0}, {45, 45}};
  for (const auto& c : rotations) {
    draw.SetRotation(c.rotation);
    EXPECT_EQ(draw.GetRotation(), c.expected) << c.rotation;
  }
  struct {
    int elevation, expected;
  } elevations[] = {{120, 90}, {-5, 0}, {40, 40}, {90, 90}};
  for (const auto& c : elevations) {
    draw.SetElevation(c.elevation);
    EXPECT_EQ(draw.GetElevation(), c.expected) << c.elevation;
  }
}

TEST_F(DrawGridTest, PlainPictureColoursEveryDotAndInSetBlack) {
  Fill(16, 9, Landscape);
  grid.SetDot(2, 3, 5000);  // above the limit 4000
  draw.Render(true);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(Pixel(x, y), ColorAt(x, y)) << x << "," << y;
  EXPECT_EQ(Pixel(3, 2), kBlack);
  ASSERT_EQ(canvas.presents.size(), 1u);
  EXPECT_TRUE(draw.Masks().empty());
}

// The window shows the picture without blending, so no composition may leave it translucent.
TEST_F(DrawGridTest, EveryCompositionIsOpaque) {
  Fill(40, 24, Landscape);
  struct {
    int rotation, elevation;
    bool convex;
  } views[] = {{0, 90, true}, {30, 90, true}, {0, 40, true}, {60, 25, false}, {-135, 10, true}};
  for (const auto& v : views) {
    draw.SetRotation(v.rotation);
    draw.SetElevation(v.elevation);
    draw.SetConvex(v.convex);
    for (bool full : {false, true}) {
      draw.Render(full);
      for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
          ASSERT_EQ(Pixel(x, y) >> 24, 0xFFu)
              << v.rotation << "/" << v.elevation << " " << x << "," << y;
    }
  }
}

TEST_F(DrawGridTest, Rotation180TurnsUpsideDownWithoutMasks) {
  Fill(10, 6, Landscape);
  draw.SetRotation(180);
  EXPECT_TRUE(draw.Masks().empty());
  draw.Render(true);
  // Even sizes: the centre is (5, 3), so row 0 and column 0 have no source.
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(Pixel(x, y), x == 0 || y == 0 ? kBlack : ColorAt(10 - x, 6 - y)) << x << "," << y;
}

TEST_F(DrawGridTest, Rotation90MasksCoverExactlyTheBlackBands) {
  for (QSize size : {QSize(12, 6), QSize(13, 7), QSize(6, 12)}) {
    SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
    Fill(size.width(), size.height(), [](int, int) { return TDot{7}; });
    for (int rotation : {90, -90}) {
      draw.SetRotation(rotation);
      draw.Render(true);
      EXPECT_FALSE(draw.Masks().empty());
      const TBitmap32 coverage = MaskCoverage();
      for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
          ASSERT_EQ(coverage.Pixel(x, y) == 0xFFFFFFFF, Pixel(x, y) == kBlack)
              << rotation << ": " << x << "," << y;
    }
  }
}

// Away from the antialiased edge, the masks and the picture agree at any angle.
TEST_F(DrawGridTest, MasksCoverWhatThePlaneLeavesBlack) {
  for (QSize size : {QSize(40, 24), QSize(24, 40), QSize(31, 31)}) {
    Fill(size.width(), size.height(), [](int, int) { return TDot{7}; });
    for (int elevation : {90, 50}) {
      for (int rotation : {30, 45, 60, 89, 100, 135, -30, -120, 170}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << " rotation "
                                        << rotation << " elevation " << elevation);
        draw.SetElevation(elevation);
        draw.SetRotation(rotation);
        draw.Flatten();
        const TBitmap32 coverage = MaskCoverage();
        for (int y = 0; y < size.height(); ++y)
          for (int x = 0; x < size.width(); ++x) {
            const TColor32 covered = coverage.Pixel(x, y);
            if (covered == 0xFFFFFFFF) {
              ASSERT_EQ(Pixel(x, y), kBlack) << x << "," << y;
            }
            if (covered == kBlack) {
              ASSERT_NE(Pixel(x, y), kBlack) << x << "," << y;
            }
          }
      }
    }
  }
}

TEST_F(DrawGridTest, ElevationNinetyTakesTheFlatBranchWithoutHeights) {
  Fill(16, 9, Landscape);
  draw.SetElevation(90);
  EXPECT_EQ(draw.HeightScale(), 0);
  draw.Render(true);
  EXPECT_TRUE(draw.HeightsStale());
  draw.SetElevation(0);
  EXPECT_EQ(draw.HeightScale(), Fixed(static_cast<double>(static_cast<float>(9 * 0.00045625))));
}

TEST_F(DrawGridTest, HeightsExistOnlyOnceAReliefOrTheWallViewNeedsThem) {
  Fill(100, 70, Landscape);
  draw.Render(true);
  draw.SetRotation(30);
  draw.Render(true);
  EXPECT_TRUE(draw.Heights().empty());  // flat pictures, turned or not, need no heights
  draw.SetElevation(40);
  draw.Render(true);
  EXPECT_EQ(draw.Heights().size(), 100u * 70u);
  draw.SetSize(30, 20);
  EXPECT_TRUE(draw.Heights().empty());
  // The wall view computes them: on uncomputed dots only the two outer rows and columns.
  EXPECT_EQ(draw.ShowCliffs(), 30 * 20 - 26 * 16);
  EXPECT_EQ(draw.Heights().size(), 30u * 20u);
}

TEST_F(DrawGridTest, HeightsRiseOrSinkWithTheDirection) {
  Fill(8, 8, [](int x, int y) { return TDot(1 + x + 8 * y); });
  grid.SetDot(7, 7, 4000);
  draw.SetElevation(40);
  draw.Render(true);
  ASSERT_FALSE(draw.HeightsStale());
  const auto height = [&](int x, int y) { return draw.Heights()[y * 8 + x] & kHeightBits; };
  EXPECT_EQ(height(0, 0), 0);    // the smallest count
  EXPECT_EQ(height(1, 0), 44);   // Round(ln 2 × 64)
  EXPECT_EQ(height(7, 7), 531);  // Round(ln 4000 × 64)
  draw.SetConvex(false);
  EXPECT_TRUE(draw.HeightsStale());
  draw.Render(true);
  EXPECT_EQ(height(7, 7), 0);  // the limit with a smallest count of 1
  EXPECT_EQ(height(0, 0), 531);
}

TEST_F(DrawGridTest, BorderDotsAlwaysCarryWalls) {
  Fill(9, 7, [](int, int) { return TDot{12}; });
  draw.SetElevation(30);
  draw.Render(true);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) {
      const bool border = x < 2 || x > 6 || y < 2 || y > 4;
      EXPECT_EQ((draw.Heights()[y * 9 + x] & kWallMark) != 0, border) << x << "," << y;
    }
  EXPECT_EQ(draw.ShowCliffs(), 9 * 7 - 5 * 3);
  EXPECT_EQ(Pixel(0, 0), 0xFFFFFFFF);
  EXPECT_EQ(Pixel(4, 3), kBlack);
}

TEST_F(DrawGridTest, InSetDotsAreAbsentFromTheRelief) {
  Fill(20, 12, [](int, int) { return kDotPredicted; });
  draw.SetElevation(30);
  draw.SetRotation(20);
  draw.Render(true);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(Pixel(x, y), kBlack) << x << "," << y;
}

TEST_F(DrawGridTest, ReliefFrontEdgeGetsTheFrontColour) {
  Fill(20, 60, [](int, int) { return TDot{300}; });
  draw.SetConvex(false);  // one height everywhere, well above the plane
  draw.SetElevation(0);
  draw.Render(false);
  // Seen edge-on the plane is one line raised by the common height, with the
  // front line hanging half of it below.
  const int rise = FixedRound((draw.Heights()[0] & kHeightBits) * draw.HeightScale());
  ASSERT_GT(rise, 6);
  const int top = 59 - rise;
  EXPECT_EQ(Pixel(5, top), draw.GetColor(300));
  EXPECT_EQ(Pixel(5, top + 1), kBlack);
  EXPECT_NE(Pixel(5, top + 2), kBlack);
  EXPECT_EQ(Pixel(5, top + 2) >> 24, 0xFFu);
  EXPECT_EQ(Pixel(5, top + rise / 2), Pixel(5, top + 2));
  EXPECT_EQ(Pixel(5, top + rise / 2 + 1), kBlack);
}

TEST_F(DrawGridTest, InfoStripOnlyAtTheTop) {
  Fill(400, 60, Landscape);
  draw.SetOrigin(0, 30);
  EXPECT_TRUE(draw.InfoStrip().Empty());
  draw.Render(true);
  ASSERT_EQ(canvas.presents.size(), 1u);
  EXPECT_EQ(canvas.presents[0].at, QPoint(0, 30));

  draw.SetOrigin(0, 0);
  ASSERT_EQ(draw.InfoStrip().Height(), kInfoStripHeight);
  draw.DrawInfo("-0.75", "0", "1.25", "");
  canvas.presents.clear();
  draw.Render(true);
  ASSERT_EQ(canvas.presents.size(), 2u);
  EXPECT_EQ(canvas.presents[1].at, QPoint(0, 60 - kInfoStripHeight));
  const QImage& strip = canvas.presents[1].image;
  int opaque = 0;
  for (int y = 0; y < strip.height(); ++y)
    for (int x = 0; x < strip.width(); ++x)
      opaque += qAlpha(strip.pixel(x, y)) != 0;
  EXPECT_GT(opaque, 50);                      // text was drawn
  EXPECT_EQ(qAlpha(strip.pixel(399, 0)), 0);  // the rest shows the picture

  grid.SetOptions(kOptNoFullScreenInfo);
  canvas.presents.clear();
  draw.Render(true);
  EXPECT_EQ(canvas.presents.size(), 1u);
}

TEST_F(DrawGridTest, DestinationLeftOutWhenItWouldNotFit) {
  const auto strip = [&](int width, const QString& dest) {
    Fill(width, 30, Landscape);
    draw.SetOrigin(0, 0);
    draw.DrawInfo("-0.75", "0.1", "1.25", dest);
    return draw.InfoStrip().Image().copy();
  };
  EXPECT_EQ(strip(300, ""), strip(300, "渦巻き"));
  EXPECT_NE(strip(900, ""), strip(900, "渦巻き"));
}

// On a screen scaled by 2 the strip and its text are twice as many dots, so
// they look as they do on an unscaled screen.
TEST_F(DrawGridTest, InfoStripKeepsItsSizeOnAScaledScreen) {
  const auto textBounds = [&](int width, double ratio) {
    Fill(width, 100, Landscape);
    draw.SetPixelRatio(ratio);
    draw.SetOrigin(0, 0);
    draw.DrawInfo("-0.75", "0.1", "1.25", "");
    const QImage& strip = draw.InfoStrip().Image();
    QRect bounds;
    for (int y = 0; y < strip.height(); ++y)
      for (int x = 0; x < strip.width(); ++x)
        if (qAlpha(strip.pixel(x, y)) != 0) bounds |= QRect(x, y, 1, 1);
    return std::pair(strip.height(), bounds);
  };
  const auto [plainHeight, plain] = textBounds(1000, 1);
  const auto [scaledHeight, scaled] = textBounds(2000, 2);
  EXPECT_EQ(plainHeight, kInfoStripHeight);
  EXPECT_EQ(scaledHeight, 2 * kInfoStripHeight);
  EXPECT_NEAR(scaled.left(), 2 * plain.left(), 2);
  EXPECT_NEAR(scaled.width(), 2 * plain.width(), 6);
  EXPECT_NEAR(scaled.height(), 2 * plain.height(), 4);
}

TEST_F(DrawGridTest, TemporarySizeStretchesIntoTheDestination) {
  Fill(40, 30, Landscape);
  draw.BeginTempSize(80, 50, QRect(10, 10, 32, 20));
  EXPECT_EQ(grid.GridWidth(), 80);
  draw.Render(true);
  ASSERT_EQ(canvas.presents.size(), 1u);
  EXPECT_EQ(canvas.presents[0].stretchedInto, QRect(10, 10, 32, 20));
  EXPECT_EQ(canvas.presents[0].image.size(), QSize(80, 50));
  draw.EndTempSize();
  EXPECT_FALSE(draw.TempMode());
  EXPECT_EQ(draw.Width(), 40);
  EXPECT_EQ(grid.GridHeight(), 30);
}

TEST_F(DrawGridTest, PointMappingsRoundTrip) {
  draw.SetSize(40, 30);
  draw.SetRotation(90);
  // Grid to window turns the plane by the rotation about the centre (20, 15).
  EXPECT_EQ(draw.RotatePoint({25, 15}, false, false), QPoint(20, 10));
  EXPECT_EQ(draw.RotatePoint({20, 10}, true, false), QPoint(25, 15));
  EXPECT_EQ(draw.RotatePoint({3, 0}, false, true), QPoint(0, -3));
  draw.SetElevation(90);
  EXPECT_EQ(draw.TiltPoint({7, 4}, false, false), QPoint(7, 4));
  draw.SetElevation(30);  // sine 0.5
  EXPECT_EQ(draw.TiltPoint({7, 9}, false, false), QPoint(7, 19));
  EXPECT_EQ(draw.TiltPoint({7, 19}, true, false), QPoint(7, 9));
  EXPECT_EQ(draw.TiltPoint({0, 10}, false, true), QPoint(0, 5));
  EXPECT_EQ(draw.TiltPoint({0, 5}, true, true), QPoint(0, 10));
}

TEST_F(DrawGridTest, EmptyPictureDrawsNothing) {
  draw.SetSize(0, 0);
  draw.Render(true);
  EXPECT_EQ(draw.ShowCliffs(), 0);
  EXPECT_TRUE(canvas.presents.empty());
}

std::uint64_t Checksum(const QImage& image) {
  std::uint64_t hash = 14695981039346656037ull;
  for (int y = 0; y < image.height(); ++y) {
    const uchar* row = image.constScanLine(y);
    for (int i = 0; i < image.width() * 4; ++i)
      hash = (hash ^ row[i]) * 1099511628211ull;
  }
  return hash;
}

// Any change to the integer geometry, the heights or the walls shows here.
TEST_F(DrawGridTest, GoldenReliefPicture) {
  Fill(100, 70, Landscape);
  draw.SetColors(2, 40, 8, 32);
  draw.SetLimit(4000);
  draw.SetRotation(30);
  draw.SetElevation(40);
  draw.Render(true);
  EXPECT_EQ(Checksum(draw.Picture().Image()), 2797637036712972546ull);
  draw.SetConvex(false);
  draw.SetThickWalls(false);
  draw.SetRotation(-120);
  draw.SetElevation(25);
  draw.Render(true);
  EXPECT_EQ(Checksum(draw.Picture().Image()), 29873521235777457ull);
}

}  // namespace
}  // namespace vortexa
