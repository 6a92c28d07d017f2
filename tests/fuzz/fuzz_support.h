// Shared by the fuzz targets: the readers take file names, so each input is
// written to a file of this process first; the checker's output goes to
// /dev/null.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// One file per process and name: libFuzzer's -jobs/-fork workers share /dev/shm.
inline std::string scratch_path(const char* name) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/imset-fuzz-" + std::to_string(getpid()) + "-" + name;
}

inline void write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  if (std::fclose(f) != 0) std::abort();
}

// Where the checker's output goes: millions of runs must not flood the
// terminal.
inline int null_output() {
  static const int descriptor = [] {
    const int d = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (d < 0) std::abort();
    return d;
  }();
  return descriptor;
}

// Conditions that must hold whatever the input; a violation is a finding.
inline void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace fuzz
