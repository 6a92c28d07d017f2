// A whole run of the checker: the input holds both files, the vector file
// before the first "#####" and the extreme-point file after it. Without the
// separator the extreme-point file does not exist, which must end the run
// with its message, not a crash.
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "fuzz_support.h"
#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "main/run.h"
#include "search/search.h"

namespace {

constexpr std::string_view separator = "#####";
std::string vector_path;
std::string extreme_path;
std::string missing_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::silence_stdout();
  vector_path = fuzz::scratch_path("run-vectors");
  extreme_path = fuzz::scratch_path("run-extreme");
  missing_path = fuzz::scratch_path("run-missing");
  (void)std::remove(missing_path.c_str());  // normally there is nothing to remove
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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

  fuzz::reset_vector_set();
  fuzz::reset_records();
  const std::array<const char*, 4> argv = {"imset-check", vector_path.c_str(), second, nullptr};
  const int status = imset::run(3, argv.data(), {imset::prepare_search, imset::process_record});

  const imset::VectorSet& vs = imset::vector_set;
  fuzz::require(status == 0 || status == 1);
  fuzz::require(cut != std::string_view::npos || status == 1);  // a missing file halts the run
  fuzz::require(vs.found_count == std::count(vs.found.begin(), vs.found.end(), 1));
  fuzz::require(vs.found_count <= vs.count && vs.count <= imset::max_vectors);
  return 0;
}
