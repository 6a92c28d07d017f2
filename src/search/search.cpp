#include "search/search.h"

#include "search/report.h"
#include "tables/renamings.h"

namespace imset {

void Search::prepare(const VectorSet& vectors) {
  vectors_ = &vectors;
  found_.fill(false);
  found_count_ = 0;
  unmatched_.clear();
  for (int v = 0; v < vectors.count; ++v) {
    const SignCodes& codes = vectors.codes[static_cast<std::size_t>(v)];
    unmatched_.add(v, rows_with_code(codes, code_zero), rows_with_code(codes, code_nonzero));
  }
  tested_.start_search();
}

// Tests the unmatched vectors, in ascending order, against variant j of the
// record; true when the last one has been matched.
bool Search::check_variant(const RowSet& zeros, std::size_t j, const Record& record, Output& out) {
  if (unmatched_.satisfied_count(zeros) == 0) return false;
  const auto zero_words = zeros.words32();
  for (int i = 0; i < unmatched_.count(); ++i) {
    if (!unmatched_.satisfies(zero_words, i)) continue;
    const int v = unmatched_.index(i);
    print_report(out, v, vectors_->codes[static_cast<std::size_t>(v)], record.number, arrangement(record.values, j));
    // Whoever waits for this report gets it now, not when the run ends.
    out.flush();
    found_[static_cast<std::size_t>(v)] = true;
    if (++found_count_ == vectors_->count) return true;
  }
  unmatched_.drop_found(found_);
  return false;
}

bool Search::search(const Record& record, Output& out) {
  const RowSet zeros = vanishing_rows(record.values);
  if (tested_.contains(zeros)) return false;
  // Every arrangement's pattern first, with its table slot fetched ahead.
  std::array<RowSet, permutation_total> variant_zeros;
  for (std::size_t j = 0; j < permutation_total; ++j) {
    variant_zeros[j] = j == 0 ? zeros : renamed(zeros, j);
    tested_.prefetch(variant_zeros[j]);
  }
  for (std::size_t j = 0; j < permutation_total; ++j) {
    if (!tested_.insert(variant_zeros[j])) continue;
    if (check_variant(variant_zeros[j], j, record, out)) return true;
  }
  return false;
}

}  // namespace imset
