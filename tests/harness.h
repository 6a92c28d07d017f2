// Running the built programs on files written byte for byte.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace harness {

struct Outcome {
  std::string out;  // standard output, byte for byte
  int status = -1;  // exit status, -1 if killed by a signal
  bool operator==(const Outcome&) const = default;
};

// An outcome with standard error too.
struct FullOutcome {
  std::string out;
  int status = -1;
  std::string err;
  bool operator==(const FullOutcome&) const = default;
};

// Shown by the test framework when a comparison fails.
inline void PrintTo(const Outcome& o, std::ostream* os) {
  constexpr std::size_t shown = 2000;
  *os << "status " << o.status << ", " << o.out.size() << " bytes:\n"
      << o.out.substr(0, shown) << (o.out.size() > shown ? "..." : "");
}

inline void PrintTo(const FullOutcome& o, std::ostream* os) {
  PrintTo(Outcome{o.out, o.status}, os);
  *os << "\nstandard error:\n" << o.err.substr(0, 2000);
}

// A fresh directory per test process for the files a test writes.
inline const std::filesystem::path& scratch_dir() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("imset-e2e-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

inline std::string write_file(const std::string& name, const std::string& bytes) {
  const auto path = scratch_dir() / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path.string();
}

inline std::string quoted(const std::string& s) {
  std::string q = "'";
  for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs a shell command line, capturing standard output.
inline Outcome run_command(const std::string& command) {
  Outcome outcome;
  // A redirection inside `command` comes after these and wins.
  FILE* pipe = ::popen(("exec 2>/dev/null </dev/null; " + command).c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 1 << 16> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) outcome.out.append(buffer.data(), n);
  const int raw = ::pclose(pipe);
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return outcome;
}

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a shell command line, capturing standard output and standard error.
inline FullOutcome run_command_with_stderr(const std::string& command) {
  const auto err_path = scratch_dir() / "stderr.txt";
  const Outcome outcome = run_command(command + " 2>" + quoted(err_path.string()));
  return {outcome.out, outcome.status, read_file(err_path)};
}

inline Outcome run_program(const std::string& program, const std::string& vector_path,
                           const std::string& extreme_path) {
  return run_command(quoted(program) + " " + quoted(vector_path) + " " + quoted(extreme_path));
}

// Writes both files and runs the program on them.
inline Outcome run_on(const std::string& program, const std::string& vector_bytes, const std::string& extreme_bytes) {
  return run_program(program, write_file("vectors.txt", vector_bytes), write_file("extreme.txt", extreme_bytes));
}

}  // namespace harness
