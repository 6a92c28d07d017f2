// A straightforward model of the search, exactly as the algorithm reads:
// every renamed record formed as text, repeated texts dropped by comparing
// strings, each new one converted and given its 80 inner products in full,
// every unmatched vector scanned position by position. Slow on purpose; the
// run must print the same bytes with it as with the program's search.
#pragma once

#include <array>
#include <cstdint>

#include "search/search.h"
#include "tables/renamings.h"

namespace model {

class ModelSearch final : public imset::RecordSearch {
 public:
  void prepare(const imset::VectorSet& vectors) override;
  bool search(const imset::Record& record, imset::Matches& matches) override;
  int found_count() const override { return found_count_; }
  bool found(int vector_index) const override { return found_[static_cast<std::size_t>(vector_index)]; }

 private:
  using RenamedTexts = imset::TokenSlots;
  bool check_renamed(const RenamedTexts& renamed, int j, imset::Matches& matches);

  const imset::VectorSet* vectors_ = nullptr;
  std::array<bool, imset::max_vectors> found_{};
  int found_count_ = 0;
  std::array<RenamedTexts, imset::renaming_count> kept_{};
};

}  // namespace model
