// The 120 renamings (permutations) of the ground set, in lexicographic
// order: renaming 0 is the identity (0,1,2,3,4), renaming 1 is (0,1,2,4,3),
// renaming 119 is (4,3,2,1,0). Renaming j sends element c to
// permutations[j][c]. Their action on subsets and on elementary rows is
// fixed at compile time; the order is part of the output, since it decides
// which arrangement of a record is reported first.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "tables/imsets.h"
#include "tables/row_set.h"
#include "tables/subsets.h"

namespace imset {

inline constexpr int permutation_total = 120;

using Permutation = std::array<std::uint8_t, ground_size>;

namespace detail {

constexpr std::array<Permutation, permutation_total> make_permutations() {
  std::array<Permutation, permutation_total> all{};
  Permutation current{0, 1, 2, 3, 4};
  for (Permutation& p : all) {
    p = current;
    std::next_permutation(current.begin(), current.end());
  }
  return all;
}

constexpr unsigned image_mask(const Permutation& p, unsigned mask) {
  unsigned image = 0;
  for (std::size_t c = 0; c < ground_size; ++c) {
    if ((mask >> c) & 1U) image |= 1U << p[c];
  }
  return image;
}

}  // namespace detail

inline constexpr std::array<Permutation, permutation_total> permutations = detail::make_permutations();

namespace detail {

constexpr std::array<std::array<std::uint8_t, subset_count>, permutation_total> make_permutation_map() {
  std::array<std::array<std::uint8_t, subset_count>, permutation_total> map{};
  for (std::size_t j = 0; j < permutation_total; ++j) {
    for (std::size_t s = 0; s < subset_count; ++s) {
      map[j][s] = static_cast<std::uint8_t>(subset_index_of_mask(image_mask(permutations[j], subset_masks[s])));
    }
  }
  return map;
}

constexpr std::array<std::array<std::uint8_t, elementary_count>, permutation_total> make_elementary_image() {
  std::array<std::array<std::uint8_t, elementary_count>, permutation_total> image{};
  for (std::size_t j = 0; j < permutation_total; ++j) {
    for (std::size_t p = 0; p < elementary_count; ++p) {
      const ElementaryTriple& t = elementary_triples[p];
      image[j][p] = static_cast<std::uint8_t>(
          row_of_triple(image_mask(permutations[j], t.pair_mask()), image_mask(permutations[j], t.k_mask)));
    }
  }
  return image;
}

}  // namespace detail

// permutation_map[j][s]: subset index of the image of subset s under
// renaming j. The value a record has at subset S moves to the image of S.
inline constexpr auto permutation_map = detail::make_permutation_map();

// elementary_image[j][p]: the row that renaming j turns row p into, so
// arrangement j of a record has at that row the imset value the record has
// at row p.
inline constexpr auto elementary_image = detail::make_elementary_image();

// Arrangement j of a set function: its values renamed by renaming j.
constexpr SetFunction arrangement(const SetFunction& values, std::size_t j) {
  SetFunction arranged{};
  for (std::size_t k = 0; k < subset_count; ++k) arranged[permutation_map[j][k]] = values[k];
  return arranged;
}

// The image of a set of rows under renaming j: the zero rows of arrangement
// j, given the zero rows of the record.
constexpr RowSet renamed(const RowSet& rows, std::size_t j) {
  RowSet image;
  rows.for_each([&](int p) { image.insert(elementary_image[j][static_cast<std::size_t>(p)]); });
  return image;
}

}  // namespace imset
