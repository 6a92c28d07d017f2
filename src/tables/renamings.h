// The 120 renamings of the ground set (a renaming is a permutation of the
// five elements), in lexicographic order: renaming 0 is the identity
// (0,1,2,3,4), renaming 1 is (0,1,2,4,3), renaming 119 is (4,3,2,1,0).
// Renaming j sends element c to renamings[j][c]. What they do to subsets,
// rows and values is fixed at compile time; the order is part of the
// output, since it decides which renaming of a record is reported first.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "tables/imsets.h"
#include "tables/row_set.h"
#include "tables/subsets.h"

namespace imset {

inline constexpr int renaming_count = 120;

using Renaming = std::array<std::uint8_t, ground_size>;

namespace detail {

constexpr std::array<Renaming, renaming_count> make_renamings() {
  std::array<Renaming, renaming_count> all{};
  Renaming current{0, 1, 2, 3, 4};
  for (Renaming& p : all) {
    p = current;
    std::next_permutation(current.begin(), current.end());
  }
  return all;
}

constexpr unsigned image_mask(const Renaming& p, unsigned mask) {
  unsigned image = 0;
  for (std::size_t c = 0; c < ground_size; ++c) {
    if ((mask >> c) & 1U) image |= 1U << p[c];
  }
  return image;
}

}  // namespace detail

inline constexpr std::array<Renaming, renaming_count> renamings = detail::make_renamings();

namespace detail {

constexpr std::array<std::array<std::uint8_t, subset_count>, renaming_count> make_subset_image() {
  std::array<std::array<std::uint8_t, subset_count>, renaming_count> map{};
  for (std::size_t j = 0; j < renaming_count; ++j) {
    for (std::size_t s = 0; s < subset_count; ++s) {
      map[j][s] = static_cast<std::uint8_t>(subset_index_of_mask(image_mask(renamings[j], subset_masks[s])));
    }
  }
  return map;
}

constexpr std::array<std::array<std::uint8_t, elementary_count>, renaming_count> make_row_image() {
  std::array<std::array<std::uint8_t, elementary_count>, renaming_count> image{};
  for (std::size_t j = 0; j < renaming_count; ++j) {
    for (std::size_t p = 0; p < elementary_count; ++p) {
      const ElementaryTriple& t = elementary_triples[p];
      image[j][p] = static_cast<std::uint8_t>(
          row_of_triple(image_mask(renamings[j], t.pair_mask()), image_mask(renamings[j], t.k_mask)));
    }
  }
  return image;
}

}  // namespace detail

// subset_image[j][s]: subset index of the image of subset s under
// renaming j. The value a record has at subset S moves to the image of S.
inline constexpr auto subset_image = detail::make_subset_image();

// row_image[j][p]: the row that renaming j turns row p into, so the
// record renamed by j has at that row the imset value the record has at
// row p.
inline constexpr auto row_image = detail::make_row_image();

// A set function renamed by renaming j: the value at S moves to the image
// of S.
constexpr SetFunction renamed_values(const SetFunction& values, std::size_t j) {
  SetFunction renamed{};
  for (std::size_t k = 0; k < subset_count; ++k) renamed[subset_image[j][k]] = values[k];
  return renamed;
}

// The image of a set of rows under renaming j: the zero rows of the record
// renamed by j, given the zero rows of the record.
constexpr RowSet renamed_rows(const RowSet& rows, std::size_t j) {
  RowSet image;
  rows.for_each([&](int p) { image.insert(row_image[j][static_cast<std::size_t>(p)]); });
  return image;
}

}  // namespace imset
