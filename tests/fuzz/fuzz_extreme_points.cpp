// The extreme-point reader with the search behind it, on arbitrary bytes as
// the extreme-point file and a fixed set of vectors. On short inputs the
// straightforward model searches the same file too, and both must match the
// same vectors: the search's shortcuts (zero patterns instead of texts,
// skipping patterns seen before) must never change which vectors are found.
#include <algorithm>
#include <array>

#include "fuzz_support.h"
#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "model/model_search.h"
#include "search/report.h"
#include "search/search.h"
#include "tables/tables.h"

namespace {

using imset::code_any;
using imset::code_nonzero;
using imset::code_zero;

std::string path;

// Rows 0-9 are the imsets a,b|K with K of three elements, rows 70-79 those
// with K empty (their value is just the value on the pair).
void set_vectors() {
  fuzz::reset_vector_set();
  imset::VectorSet& vs = imset::vector_set;
  vs.count = 6;
  vs.codes[0].fill(code_any);      // matched by the first record
  vs.codes[1].fill(code_nonzero);  // every imset value nonzero
  vs.codes[2].fill(code_zero);     // only records whose values all read as 0
  vs.codes[3].fill(code_any);
  std::fill_n(vs.codes[3].begin(), 10, code_zero);
  std::fill_n(vs.codes[3].begin() + 70, 10, code_nonzero);
  vs.codes[4].fill(code_any);
  std::fill_n(vs.codes[4].begin(), 10, code_nonzero);
  std::fill_n(vs.codes[4].begin() + 70, 10, code_zero);
  for (std::size_t p = 0; p < imset::elementary_count; ++p) {  // a mixed pattern
    vs.codes[5][p] = p % 3 == 0 ? code_zero : p % 3 == 1 ? code_nonzero : code_any;
  }
}

struct Outcome {
  imset::ListEnd end;
  std::array<std::int32_t, imset::max_vectors> found;
  std::int32_t found_count;
};

Outcome search_with(void (*prepare)(), imset::RecordProcedure process) {
  set_vectors();
  fuzz::reset_records();
  prepare();
  const imset::ListEnd end = imset::read_extreme_points(path.c_str(), process);
  imset::flush_output();
  return {end, imset::vector_set.found, imset::vector_set.found_count};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::silence_stdout();
  path = fuzz::scratch_path("extreme");
  fuzz::require(imset::build_permutation_map());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::write_file(path, data, size);
  const Outcome fast = search_with(imset::prepare_search, imset::process_record);
  const auto flagged = std::count(fast.found.begin(), fast.found.end(), 1);
  fuzz::require(flagged == fast.found_count && fast.found_count <= imset::vector_set.count);
  fuzz::require((fast.end == imset::ListEnd::all_matched) == (fast.found_count == imset::vector_set.count));

  // The model costs milliseconds per record; four records are enough to
  // reach the skipping of patterns seen in earlier records.
  if (size > 1023 || std::count(data, data + size, '\n') > 3) return 0;
  const Outcome model = search_with(model::prepare_search, model::process_record);
  fuzz::require(model.end == fast.end && model.found == fast.found && model.found_count == fast.found_count);
  return 0;
}
