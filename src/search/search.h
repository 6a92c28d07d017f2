// The search over one record: the record under every renaming of the five
// elements, tested against every vector not yet matched, each match
// reported at once.
//
// Whether a vector matches depends only on which imset values are zero, and
// renaming the elements only reorders the 80 imset values. So a record's
// zero rows are computed once, and each renamed record is just that row set
// renamed. Two renamed records with equal text have equal zero rows,
// and a repeated pattern cannot match a vector the first one did not, so
// only new patterns are tested. Once a record has been searched, no record
// whose zero rows are a renaming of its own can match a vector still
// unmatched; such records are passed over.
#pragma once

#include <array>

#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "search/tested_patterns.h"
#include "search/vector_columns.h"
#include "text/output.h"

namespace imset {

// What a run needs of a search: the checker's own, and the straightforward
// model it is tested against.
class RecordSearch {
 public:
  // Before the first record: the vectors to find, none found yet. They
  // must outlive the search.
  virtual void prepare(const VectorSet& vectors) = 0;
  // Searches one record, printing a report for each match; true when the
  // last vector has been matched.
  virtual bool search(const Record& record, Output& out) = 0;
  virtual int found_count() const = 0;
  // Whether vector number vector_index + 1 has been matched.
  virtual bool found(int vector_index) const = 0;

 protected:
  RecordSearch() = default;
  RecordSearch(const RecordSearch&) = default;
  RecordSearch& operator=(const RecordSearch&) = default;
  ~RecordSearch() = default;
};

class Search final : public RecordSearch {
 public:
  void prepare(const VectorSet& vectors) override;
  bool search(const Record& record, Output& out) override;
  int found_count() const override { return found_count_; }
  bool found(int vector_index) const override { return found_[static_cast<std::size_t>(vector_index)]; }

 private:
  bool check_renaming(const RowSet& zeros, std::size_t j, const Record& record, Output& out);

  const VectorSet* vectors_ = nullptr;
  std::array<bool, max_vectors> found_{};
  int found_count_ = 0;
  VectorColumns unmatched_;
  TestedPatterns tested_;
};

}  // namespace imset
