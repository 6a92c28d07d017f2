#include "search/vector_columns.h"

namespace imset {

void VectorColumns::add(int index, const RowSet& must_be_zero, const RowSet& must_be_nonzero) {
  const auto i = static_cast<std::size_t>(count_++);
  index_[i] = index;
  const auto zero_words = must_be_zero.words32();
  const auto nonzero_words = must_be_nonzero.words32();
  for (std::size_t w = 0; w < words; ++w) {
    must_be_zero_[w][i] = zero_words[w];
    must_be_nonzero_[w][i] = nonzero_words[w];
  }
}

bool VectorColumns::satisfies(const std::array<std::uint32_t, 3>& zeros, int i) const {
  const auto column = static_cast<std::size_t>(i);
  std::uint32_t violations = 0;
  for (std::size_t w = 0; w < words; ++w) {
    violations |= (zeros[w] & must_be_nonzero_[w][column]) | (must_be_zero_[w][column] & ~zeros[w]);
  }
  return violations == 0;
}

int VectorColumns::satisfied_count(const RowSet& zeros) const {
  const auto words_of_zeros = zeros.words32();
  int satisfied = 0;
  for (int i = 0; i < count_; ++i) satisfied += static_cast<int>(satisfies(words_of_zeros, i));
  return satisfied;
}

void VectorColumns::drop_found(const std::array<bool, max_vectors>& found) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(count_); ++i) {
    if (found[static_cast<std::size_t>(index_[i])]) continue;
    index_[kept] = index_[i];
    for (std::size_t w = 0; w < words; ++w) {
      must_be_zero_[w][kept] = must_be_zero_[w][i];
      must_be_nonzero_[w][kept] = must_be_nonzero_[w][i];
    }
    ++kept;
  }
  count_ = static_cast<int>(kept);
}

}  // namespace imset
