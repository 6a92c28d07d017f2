// Command-line handling of imset-rays; none of these cases starts the long
// computation.
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"

namespace {

using imset::rays::testing::run_imset_rays;

TEST(ImsetRaysOptions, HelpAndVersionPrintAndSucceed) {
  const auto help = run_imset_rays("--help");
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_EQ(help.out.rfind("Usage: imset-rays", 0), 0U) << help.out;
  EXPECT_NE(help.out.find("--types"), std::string::npos);
  EXPECT_NE(help.out.find("-o FILE"), std::string::npos);
  EXPECT_EQ(help.err, "");

  const auto version = run_imset_rays("--version");
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.out, std::string("imset-rays ") + IMSET_PROJECT_VERSION + "\n");
  EXPECT_EQ(version.err, "");
}

// A help or version text that cannot be written is a failed write, said in
// one line: a full device, and a closed standard output.
TEST(ImsetRaysOptions, HelpAndVersionThatCannotBeWrittenFail) {
  for (const char* option : {"--help", "--version"}) {
    for (const char* redirect : {">/dev/full", ">&-"}) {
      const auto run = run_imset_rays(option, redirect);
      EXPECT_EQ(run.exit_status, 1) << option << " " << redirect;
      EXPECT_EQ(run.err, "imset-rays: writing the output failed\n") << option << " " << redirect;
    }
  }
}

TEST(ImsetRaysOptions, BadUsageExitsWithStatusTwo) {
  const auto unknown = run_imset_rays("--typo");
  EXPECT_EQ(unknown.exit_status, 2);
  EXPECT_NE(unknown.err.find("unknown option '--typo'"), std::string::npos) << unknown.err;
  EXPECT_EQ(unknown.out, "");

  const auto stray = run_imset_rays("rays.txt");
  EXPECT_EQ(stray.exit_status, 2);
  EXPECT_NE(stray.err.find("rays.txt"), std::string::npos) << stray.err;

  const auto missing_file_name = run_imset_rays("--types -o");
  EXPECT_EQ(missing_file_name.exit_status, 2);
  EXPECT_NE(missing_file_name.err.find("-o"), std::string::npos) << missing_file_name.err;
  EXPECT_EQ(missing_file_name.out, "");
}

TEST(ImsetRaysOptions, UnwritableOutputFailsBeforeComputing) {
  const std::string path = ::testing::TempDir() + "no-such-directory/rays.txt";
  const auto run = run_imset_rays("--types -o '" + path + "'");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.err.find("cannot open output file '" + path + ".partial'"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("computing"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

}  // namespace
