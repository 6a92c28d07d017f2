// Runs imset-rays through the shell and collects what it wrote.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace imset::rays::testing {

struct ProgramRun {
  int exit_status = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string read_whole_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs IMSET_RAYS with the given (already shell-quoted) arguments. Standard
// output goes to a file read back, or to stdout_redirect (">/dev/full",
// ">&-") when one is given.
inline ProgramRun run_imset_rays(const std::string& arguments, const std::string& stdout_redirect = "") {
  // Per process: ctest runs the tests of one program side by side.
  const std::string stem = ::testing::TempDir() + "imset-rays-" + std::to_string(::getpid());
  const std::string out_path = stem + "-stdout.txt";
  const std::string err_path = stem + "-stderr.txt";
  const std::string to_out = stdout_redirect.empty() ? " >'" + out_path + "'" : " " + stdout_redirect;
  const std::string command = std::string("'") + IMSET_RAYS + "' " + arguments + to_out + " 2>'" + err_path + "'";
  const int status = std::system(command.c_str());
  ProgramRun run;
  if (status != -1 && WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
  run.out = read_whole_file(out_path);
  run.err = read_whole_file(err_path);
  return run;
}

}  // namespace imset::rays::testing
