#include "search/search.h"

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

// Tests the unmatched vectors, in ascending order, against the record
// renamed by j; true when the last one has been matched.
bool Search::check_renaming(const RowSet& zeros, std::size_t j, Matches& matches) {
  if (unmatched_.satisfied_count(zeros) == 0) return false;
  const auto zero_words = zeros.words32();
  for (int i = 0; i < unmatched_.count(); ++i) {
    if (!unmatched_.satisfies(zero_words, i)) continue;
    const int v = unmatched_.index(i);
    matches.add(v, static_cast<int>(j));
    found_[static_cast<std::size_t>(v)] = true;
    if (++found_count_ == vectors_->count) return true;
  }
  unmatched_.drop_found(found_);
  return false;
}

bool Search::search(const Record& record, Matches& matches) {
  matches.clear();
  const RowSet zeros = vanishing_rows(record.values);
  if (tested_.contains(zeros)) return false;
  // Every renaming's pattern first, with its table slot fetched ahead.
  std::array<RowSet, renaming_count> renamed_zeros;
  for (std::size_t j = 0; j < renaming_count; ++j) {
    renamed_zeros[j] = j == 0 ? zeros : renamed_rows(zeros, j);
    tested_.prefetch(renamed_zeros[j]);
  }
  for (std::size_t j = 0; j < renaming_count; ++j) {
    if (!tested_.insert(renamed_zeros[j])) continue;
    if (check_renaming(renamed_zeros[j], j, matches)) return true;
  }
  return false;
}

}  // namespace imset
