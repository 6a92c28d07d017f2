// The search over one record: the record under every renaming of the five
// elements, tested against every vector not yet matched. The search only
// finds: it hands each match back, and the run prints it.
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

namespace imset {

// Vector number vector_index + 1 is realised by the record renamed by
// renaming number `renaming`.
struct Match {
  int vector_index = 0;
  int renaming = 0;
};

// The matches of one record, in the order found. A vector is matched once
// in a run, so a record has at most max_vectors: a fixed array, nothing
// allocated while searching.
class Matches {
 public:
  void clear() { count_ = 0; }
  void add(int vector_index, int renaming) { list_[static_cast<std::size_t>(count_++)] = {vector_index, renaming}; }
  int count() const { return count_; }
  const Match* begin() const { return list_.data(); }
  const Match* end() const { return list_.data() + count_; }

 private:
  std::array<Match, max_vectors> list_{};
  int count_ = 0;
};

// What a run needs of a search: the checker's own, and the straightforward
// model it is tested against.
class RecordSearch {
 public:
  // Before the first record: the vectors to find, none found yet. They
  // must outlive the search.
  virtual void prepare(const VectorSet& vectors) = 0;
  // Searches one record: `matches` becomes its matches, in the order
  // found. True when the last vector has been matched.
  virtual bool search(const Record& record, Matches& matches) = 0;
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
  bool search(const Record& record, Matches& matches) override;
  int found_count() const override { return found_count_; }
  bool found(int vector_index) const override { return found_[static_cast<std::size_t>(vector_index)]; }

 private:
  bool check_renaming(const RowSet& zeros, std::size_t j, Matches& matches);

  const VectorSet* vectors_ = nullptr;
  std::array<bool, max_vectors> found_{};
  int found_count_ = 0;
  VectorColumns unmatched_;
  TestedPatterns tested_;
};

}  // namespace imset
