#include "app/progress_line.h"

#include <gtest/gtest.h>

namespace vortexa {
namespace {

TEST(ProgressText, BarShareCountAndTimeLeft) {
  struct TCase {
    long long Done, Total;
    double Elapsed;
    const char* Text;
  };
  const TCase cases[] = {
      {0, 60, 0, "[------------------------------]   0%  0/60 frames"},
      {15, 60, 10, "[#######-----------------------]  25%  15/60 frames  0:30 left"},
      {60, 60, 95, "[##############################] 100%  60/60 frames  0:00 left"},
      {2, 3, 130, "[####################----------]  66%  2/3 frames  1:05 left"},
      {7, 0, 61.4, "7 frames  1:01 so far"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ProgressText(c.Done, c.Total, "frames", c.Elapsed), c.Text) << c.Done;
}

}  // namespace
}  // namespace vortexa
