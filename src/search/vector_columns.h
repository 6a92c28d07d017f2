// The vectors not yet matched, in ascending order, each as the rows that
// must be zero ("+") and the rows that must be nonzero ("-"). The 80 bits
// are kept as three columns of 32-bit words, one word per vector, so that
// testing all the vectors against one zero pattern is a loop the compiler
// vectorises.
#pragma once

#include <array>
#include <cstdint>

#include "input/vector_file.h"
#include "tables/row_set.h"

namespace imset {

class VectorColumns {
 public:
  void clear() { count_ = 0; }
  // Appends vector number `index` (0-based).
  void add(int index, const RowSet& must_be_zero, const RowSet& must_be_nonzero);
  int count() const { return count_; }
  int index(int i) const { return index_[static_cast<std::size_t>(i)]; }

  // Whether column i is satisfied by a renamed record whose zero rows are `zeros`.
  bool satisfies(const std::array<std::uint32_t, 3>& zeros, int i) const;
  // How many columns the zero rows satisfy, in one pass without an early
  // exit: almost every pattern satisfies none, and a plain counting loop is
  // the cheapest way to learn that.
  int satisfied_count(const RowSet& zeros) const;
  // Drops the columns whose vector is marked found.
  void drop_found(const std::array<bool, max_vectors>& found);

 private:
  static constexpr std::size_t words = 3;
  std::array<int, max_vectors> index_{};
  std::array<std::array<std::uint32_t, max_vectors>, words> must_be_zero_{};
  std::array<std::array<std::uint32_t, max_vectors>, words> must_be_nonzero_{};
  int count_ = 0;
};

}  // namespace imset
