// The vector-file reader on arbitrary bytes.
#include <algorithm>

#include "fuzz_support.h"
#include "input/vector_file.h"

namespace {
std::string path;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  path = fuzz::scratch_path("vectors");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::write_file(path, data, size);
  imset::VectorSet vectors;
  const imset::VectorFileResult result = imset::read_vector_file(path.c_str(), vectors);
  // Up to 100 vectors are kept; the 101st line is refused, not stored.
  fuzz::require(vectors.count >= 0 && vectors.count <= imset::max_vectors);
  fuzz::require(result.status != imset::VectorFileStatus::unreadable);
  fuzz::require(result.status == imset::VectorFileStatus::read || vectors.count == imset::max_vectors);
  // Every token past the 80th of a line is counted, and a line holds at most
  // 1,023 bytes, so at most 512 tokens; the file at most size + 1 lines.
  fuzz::require(result.ignored_values <= 512 * (size + 1));
  for (const imset::SignCodes& codes : vectors.codes) {
    fuzz::require(std::all_of(codes.begin(), codes.end(), [](std::int32_t c) {
      return c == imset::code_zero || c == imset::code_nonzero || c == imset::code_any;
    }));
  }
  return 0;
}
