// The ground set {0,1,2,3,4} and its 26 subsets with at least two elements,
// the coordinates of every set function the programs read. Subsets are bit
// masks (bit c for element c); the subset index is the row of the subset
// table: by size, then lexicographically in the sorted elements.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace imset {

inline constexpr int ground_size = 5;
inline constexpr int subset_count = 26;
inline constexpr unsigned full_mask = (1U << ground_size) - 1U;

// A set function's values by subset index; the empty set and the
// singletons are 0 and have no coordinate.
using SetFunction = std::array<std::int32_t, subset_count>;

namespace detail {

// Among subsets of one size, lexicographic order of the sorted elements is
// the descending order of the masks read with element 0 as the highest bit.
constexpr unsigned reverse_bits(unsigned mask) {
  unsigned reversed = 0;
  for (int c = 0; c < ground_size; ++c) {
    if ((mask >> c) & 1U) reversed |= 1U << (ground_size - 1 - c);
  }
  return reversed;
}

constexpr std::array<unsigned, subset_count> make_subset_masks() {
  std::array<unsigned, subset_count> masks{};
  std::size_t next = 0;
  for (int size = 2; size <= ground_size; ++size) {
    for (unsigned r = full_mask + 1; r-- > 0;) {
      const unsigned mask = reverse_bits(r);
      if (std::popcount(mask) == size) masks[next++] = mask;
    }
  }
  return masks;
}

constexpr std::array<int, full_mask + 1> make_index_of_mask(const std::array<unsigned, subset_count>& masks) {
  std::array<int, full_mask + 1> index{};
  for (int& i : index) i = -1;
  for (std::size_t s = 0; s < subset_count; ++s) index[masks[s]] = static_cast<int>(s);
  return index;
}

}  // namespace detail

// Mask of each subset index: {0,1}, {0,2}, ..., {3,4}, {0,1,2}, ..., {0,1,2,3,4}.
inline constexpr std::array<unsigned, subset_count> subset_masks = detail::make_subset_masks();

inline constexpr std::array<int, full_mask + 1> subset_index_by_mask = detail::make_index_of_mask(subset_masks);

// Subset index of a mask; -1 for sets of fewer than two elements and for
// masks outside the ground set.
constexpr int subset_index_of_mask(unsigned mask) { return mask <= full_mask ? subset_index_by_mask[mask] : -1; }

}  // namespace imset
