// The vector-file reader on arbitrary bytes.
#include <algorithm>
#include <cstdio>

#include "fuzz_support.h"
#include "input/vector_file.h"
#include "search/report.h"

namespace {
std::string path;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::silence_stdout();
  path = fuzz::scratch_path("vectors");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::write_file(path, data, size);
  fuzz::reset_vector_set();
  const bool accepted = imset::read_vector_file(path.c_str());
  const imset::VectorSet& vs = imset::vector_set;
  // Up to 100 vectors are kept; the 101st line is refused, not stored.
  fuzz::require(vs.count >= 0 && vs.count <= imset::max_vectors);
  fuzz::require(accepted || vs.count == imset::max_vectors);
  for (const imset::SignCodes& codes : vs.codes) {
    fuzz::require(std::all_of(codes.begin(), codes.end(), [](std::int32_t c) {
      return c == imset::code_zero || c == imset::code_nonzero || c == imset::code_any;
    }));
  }
  imset::flush_output();
  return 0;
}
