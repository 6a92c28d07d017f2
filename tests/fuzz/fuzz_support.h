// Shared by the fuzz targets: the readers take file names, so each input is
// written to a file of this process first; the checker's output goes to
// /dev/null so that millions of runs do not flood the terminal.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "search/search.h"

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

inline void silence_stdout() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}

// A fresh process has every sign code "+" (zero) and nothing found; a run
// relies on both, so each iteration starts from there.
inline void reset_vector_set() { imset::vector_set = imset::VectorSet{}; }

// Likewise the record state: slots a line does not reach keep the text and
// the number of the previous record, empty and 0 in a fresh process.
inline void reset_records() {
  imset::token_slots = {};
  imset::token_values = {};
  imset::record_number = 0;
}

// Conditions that must hold whatever the input; a violation is a finding.
inline void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace fuzz
