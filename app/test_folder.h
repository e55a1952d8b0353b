#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// A folder of the running test's own: CTest runs the cases of one program at
// once, and cases that share file names in the common temporary folder would
// read each other's output.
inline std::filesystem::path OwnTestFolder() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) /
                                       (std::string(test->test_suite_name()) + "." + test->name());
  std::filesystem::create_directories(folder);
  return folder;
}
