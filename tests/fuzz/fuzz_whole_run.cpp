// A whole run of the checker: the input holds both files, the vector file
// before the first "#####" and the extreme-point file after it. Without the
// separator the extreme-point file does not exist, which must end the run
// with its message, not a crash.
#include <array>
#include <cstdio>
#include <memory>
#include <string_view>

#include "check/run.h"
#include "fuzz_support.h"
#include "search/search.h"

namespace {

constexpr std::string_view separator = "#####";
std::string vector_path;
std::string extreme_path;
std::string missing_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vector_path = fuzz::scratch_path("run-vectors");
  extreme_path = fuzz::scratch_path("run-extreme");
  missing_path = fuzz::scratch_path("run-missing");
  (void)std::remove(missing_path.c_str());  // normally there is nothing to remove
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One search for the whole process, as one run has: each run prepares it.
  static const auto search = std::make_unique<imset::Search>();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find(separator);
  const std::string_view vectors = input.substr(0, cut);
  fuzz::write_file(vector_path, data, vectors.size());
  const char* second = missing_path.c_str();
  if (cut != std::string_view::npos) {
    const std::size_t rest = cut + separator.size();
    fuzz::write_file(extreme_path, data + rest, size - rest);
    second = extreme_path.c_str();
  }

  imset::Output out(fuzz::null_output(), "fuzz_whole_run");
  const std::array<const char*, 4> argv = {"imset-check", vector_path.c_str(), second, nullptr};
  const int status = imset::run(3, argv.data(), *search, out);

  fuzz::require(status == 0 || status == 1);
  fuzz::require(cut != std::string_view::npos || status == 1);  // a missing file halts the run
  fuzz::require(search->found_count() <= imset::max_vectors);
  return 0;
}
