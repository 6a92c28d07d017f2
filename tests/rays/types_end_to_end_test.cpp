// The full computation: imset-rays --types must reproduce the shipped type
// file byte for byte. Takes minutes; carries the ctest label "long".
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"

namespace {

using imset::rays::testing::read_whole_file;
using imset::rays::testing::run_imset_rays;

TEST(ImsetRaysEndToEnd, TypesOutputEqualsShippedFile) {
  const std::string shipped = read_whole_file(std::string(IMSET_DATA_DIR) + "/extreme-rays-types.txt");
  ASSERT_FALSE(shipped.empty());

  const auto run = run_imset_rays("--types");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_NE(run.err.find("done, 117978 extreme rays"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("1319 types"), std::string::npos) << run.err;
  // Compared as whole strings so a difference in blanks or line ends counts.
  EXPECT_TRUE(run.out == shipped) << "output of " << run.out.size() << " bytes differs from the shipped "
                                  << shipped.size() << " bytes";
}

}  // namespace
