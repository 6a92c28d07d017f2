#include "search/tested_patterns.h"

#include <algorithm>

namespace imset {

// Written through now, not left to zero pages, so memory in use does not
// grow with the input.
TestedPatterns::TestedPatterns() : entries_(std::make_unique<RowSet[]>(table_size)) {
  std::fill_n(entries_.get(), table_size, RowSet{});
  start_search();
}

void TestedPatterns::start_search() {
  if (search_number_ == last_search) {
    std::fill_n(entries_.get(), table_size, RowSet{});
    search_number_ = 0;
  }
  ++search_number_;
  filled_ = 0;
}

std::size_t TestedPatterns::slot_of(const RowSet& pattern) {
  std::uint64_t h =
      pattern.low * 0x9E3779B97F4A7C15ULL ^ (pattern.high + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL;
  h ^= h >> 31;
  return static_cast<std::size_t>(h >> (64 - table_bits));
}

bool TestedPatterns::contains(const RowSet& pattern) const {
  const RowSet entry = entry_of(pattern);
  for (std::size_t i = slot_of(pattern);; i = (i + 1) & (table_size - 1)) {
    if (is_empty(entries_[i])) return false;
    if (entries_[i] == entry) return true;
  }
}

bool TestedPatterns::insert(const RowSet& pattern) {
  if (filled_ >= fill_limit) return !contains(pattern);
  const RowSet entry = entry_of(pattern);
  for (std::size_t i = slot_of(pattern);; i = (i + 1) & (table_size - 1)) {
    if (is_empty(entries_[i])) {
      entries_[i] = entry;
      ++filled_;
      return true;
    }
    if (entries_[i] == entry) return false;
  }
}

}  // namespace imset
