// The extreme-point reader with the search behind it, on arbitrary bytes as
// the extreme-point file and a fixed set of vectors. On short inputs the
// straightforward model searches the same file too, and both must match the
// same vectors: the search's shortcuts (zero patterns instead of texts,
// skipping patterns seen before) must never change which vectors are found.
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "fuzz_support.h"
#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "model/model_search.h"
#include "search/search.h"

namespace {

using imset::code_any;
using imset::code_nonzero;
using imset::code_zero;

std::string path;

// Rows 0-9 are the imsets a,b|K with K of three elements, rows 70-79 those
// with K empty (their value is just the value on the pair).
imset::VectorSet make_vectors() {
  imset::VectorSet vs;
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
  return vs;
}

const imset::VectorSet vectors = make_vectors();

struct Outcome {
  imset::ListStatus end;
  bool all_matched;
  int found_count;
  std::array<bool, imset::max_vectors> found;
  std::int32_t last_record;
};

Outcome search_with(imset::RecordSearch& search) {
  imset::Matches matches;
  search.prepare(vectors);
  imset::ExtremePointReader reader;
  fuzz::require(reader.open(path.c_str()));
  bool all_matched = false;
  std::int32_t last_record = 0;
  while (const imset::Record* record = reader.next()) {
    fuzz::require(record->number == last_record + 1);
    last_record = record->number;
    if (search.search(*record, matches)) {
      all_matched = true;
      break;
    }
  }
  std::array<bool, imset::max_vectors> found{};
  for (int v = 0; v < vectors.count; ++v) found[static_cast<std::size_t>(v)] = search.found(v);
  return {reader.status(), all_matched, search.found_count(), found, last_record};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  path = fuzz::scratch_path("extreme");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto fast_search = std::make_unique<imset::Search>();
  fuzz::write_file(path, data, size);
  const Outcome fast = search_with(*fast_search);
  fuzz::require(fast.found_count <= vectors.count);
  fuzz::require(fast.all_matched == (fast.found_count == vectors.count));

  // The model costs milliseconds per record; four records are enough to
  // reach the skipping of patterns seen in earlier records.
  if (size > 1023 || std::count(data, data + size, '\n') > 3) return 0;
  model::ModelSearch model_search;
  const Outcome model = search_with(model_search);
  fuzz::require(model.all_matched == fast.all_matched && model.found == fast.found &&
                model.found_count == fast.found_count && model.last_record == fast.last_record &&
                (fast.all_matched || model.end == fast.end));
  return 0;
}
