#include "team_size.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "calc_grid.h"

namespace vortexa {
namespace {

TEST(TeamSize, FollowsTheProcessorsAboveThePassMinimum) {
  struct TCase {
    int Minimum, Fixed, Processors, Size;
  };
  const TCase cases[] = {
      {2, 0, 1, 2}, {4, 0, 1, 4},   {4, 0, 2, 4},  {2, 0, 2, 2},  {2, 0, 8, 8},
      {4, 0, 8, 8}, {4, 0, 32, 32}, {4, 3, 32, 3}, {2, 1, 64, 1}, {4, 64, 2, 64},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(TeamSize(c.Minimum, c.Fixed, c.Processors), c.Size)
        << "minimum " << c.Minimum << " fixed " << c.Fixed << " processors " << c.Processors;
}

TEST(TeamSize, OnlyWholeNumbersInRangeFixIt) {
  EXPECT_EQ(ParseTeamSize("1"), 1);
  EXPECT_EQ(ParseTeamSize("64"), 64);
  EXPECT_EQ(ParseTeamSize("1024"), 1024);
  for (const char* bad : {"0", "-1", "1025", "99999999999", "four", "4x", " 4", "+4", "2.5"})
    EXPECT_THROW(ParseTeamSize(bad), std::invalid_argument) << '"' << bad << '"';
}

TEST(TeamSize, EnvironmentVariableFixesTheGridsTeam) {
  ::unsetenv(kTeamSizeVariable);
  EXPECT_EQ(FixedTeamSizeFromEnvironment(), 0);
  ::setenv(kTeamSizeVariable, "", 1);
  EXPECT_EQ(FixedTeamSizeFromEnvironment(), 0);
  ::setenv(kTeamSizeVariable, "3", 1);
  {
    TCalcGrid grid;
    EXPECT_EQ(grid.FixedTeamSize(), 3);
    grid.SetSize(40, 40);
    grid.Start(ccDraw);
    grid.WaitIdle();
    for (int pass = 1; pass <= 3; ++pass)
      EXPECT_EQ(grid.PassTeamSize(pass), 3) << "pass " << pass;
  }
  ::setenv(kTeamSizeVariable, "many", 1);
  EXPECT_THROW(TCalcGrid(), std::invalid_argument);
  ::unsetenv(kTeamSizeVariable);
}

// The processors of this thread's affinity, counted the plain way.
int AffinityCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  EXPECT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
  return CPU_COUNT(&set);
}

// Runs `body` on a thread allowed only the first processor of ours.
template <typename Body>
void OnOneProcessor(Body body) {
  std::thread thread([&] {
    cpu_set_t set;
    ASSERT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
    int first = 0;
    while (!CPU_ISSET(first, &set))
      ++first;
    CPU_ZERO(&set);
    CPU_SET(first, &set);
    ASSERT_EQ(sched_setaffinity(0, sizeof set, &set), 0);
    body();
  });
  thread.join();
}

TEST(TeamSize, AllowedProcessorsFollowTheAffinity) {
  EXPECT_EQ(AllowedProcessorCount(), AffinityCount());
  OnOneProcessor([] { EXPECT_EQ(AllowedProcessorCount(), 1); });
}

// The grid's thread inherits the affinity of whoever creates the grid.
TEST(TeamSize, PassesRunTheAllowedProcessorsButAtLeastTwoAndFour) {
  const auto expectTeams = [](int processors) {
    TCalcGrid grid;
    grid.SetSize(64, 48);
    grid.Start(ccDraw);
    grid.WaitIdle();
    EXPECT_EQ(grid.PassTeamSize(1), std::max(2, processors));
    EXPECT_EQ(grid.PassTeamSize(2), std::max(4, processors));
    EXPECT_EQ(grid.PassTeamSize(3), std::max(4, processors));
    grid.SetOptions(kOptSingleWorker);
    grid.SetFixedTeamSize(7);  // the option still wins
    grid.Start(ccDirect);
    grid.WaitIdle();
    EXPECT_EQ(grid.PassTeamSize(2), 0);
    EXPECT_EQ(grid.PassTeamSize(3), 1);
  };
  if (std::getenv(kTeamSizeVariable)) GTEST_SKIP() << kTeamSizeVariable << " is set";
  expectTeams(AffinityCount());
  OnOneProcessor([&] { expectTeams(1); });
}

}  // namespace
}  // namespace vortexa
