// The zero patterns already tested against every vector still unmatched:
// a renaming of the current record, or any renaming of a record searched
// before. A pattern tested once cannot match anything the next time.
//
// Open addressing over a table of 2^18 entries (4 MB), allocated once.
// When it is three quarters full, new patterns are simply not remembered
// and get tested again. Each entry carries, in the bits of `high` above the
// 16 rows it holds, the number of the search it belongs to; entries of an
// earlier search read as empty, so a new search starts without clearing
// the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "tables/row_set.h"

namespace imset {

class TestedPatterns {
 public:
  TestedPatterns();  // ready for a first search
  // A new search: no pattern tested yet.
  void start_search();
  bool contains(const RowSet& pattern) const;
  // Remembers the pattern; false when it was there already.
  bool insert(const RowSet& pattern);
  // Asks for the pattern's slot ahead of contains or insert: in a table of
  // 4 MB nearly every slot is a cache miss, and asking for many at once
  // overlaps the waits instead of paying them in turn.
  void prefetch(const RowSet& pattern) const { __builtin_prefetch(&entries_[slot_of(pattern)]); }

 private:
  static constexpr unsigned table_bits = 18;
  static constexpr std::size_t table_size = std::size_t{1} << table_bits;
  static constexpr std::size_t fill_limit = table_size / 4 * 3;
  static constexpr unsigned search_shift = 80 - 64;
  static constexpr std::uint64_t last_search = (std::uint64_t{1} << (64 - search_shift)) - 1;

  static std::size_t slot_of(const RowSet& pattern);
  RowSet entry_of(const RowSet& pattern) const { return {pattern.low, pattern.high | search_number_ << search_shift}; }
  bool is_empty(const RowSet& entry) const { return entry.high >> search_shift != search_number_; }

  std::unique_ptr<RowSet[]> entries_;
  std::size_t filled_ = 0;
  std::uint64_t search_number_ = 0;  // 0 marks an empty entry
};

}  // namespace imset
