#include "session.h"

#include <gtest/gtest.h>

#include "render/recording_canvas.h"

namespace vortexa {
namespace {

TEST(WheelZoomIndexTest, RatioPositionShiftAndCtrl) {
  EXPECT_EQ(WheelZoomIndex(true, 1, false, false), 2);
}

}  // namespace
}  // namespace vortexa
