// The renaming tables, checked where the compiler builds them.
#include "tables/renamings.h"

#include <bit>

namespace imset {
namespace {

// Every row of both maps is one-to-one and onto; subsets keep their size.
constexpr bool maps_are_bijections() {
  for (std::size_t j = 0; j < renaming_count; ++j) {
    std::array<bool, subset_count> subset_hit{};
    for (std::size_t s = 0; s < subset_count; ++s) {
      const std::size_t image = subset_image[j][s];
      if (image >= subset_count || subset_hit[image]) return false;
      if (std::popcount(subset_masks[image]) != std::popcount(subset_masks[s])) return false;
      subset_hit[image] = true;
    }
    std::array<bool, elementary_count> row_hit{};
    for (std::size_t p = 0; p < elementary_count; ++p) {
      const std::size_t image = row_image[j][p];
      if (image >= elementary_count || row_hit[image]) return false;
      row_hit[image] = true;
    }
  }
  return true;
}
static_assert(maps_are_bijections());

constexpr bool is_identity() {
  for (std::size_t s = 0; s < subset_count; ++s) {
    if (subset_image[0][s] != s) return false;
  }
  return true;
}
static_assert(is_identity());

// Renaming 1 exchanges elements 3 and 4; renaming 119 reverses the set.
static_assert(subset_image[1][2] == 3 && subset_image[1][7] == 8 && subset_image[1][9] == 9 &&
              subset_image[1][20] == 21);
static_assert(subset_image[119][0] == 9 && subset_image[119][10] == 19);

// Renaming carries imset values along: the record renamed by j has at row
// row_image[j][p] the value the record has at row p. A few
// renamings here (compilers limit the work done at compile time); the
// tests go through all of them.
constexpr bool images_carry_values() {
  SetFunction record{};
  for (std::size_t k = 0; k < subset_count; ++k) record[k] = static_cast<std::int32_t>(k * k * 7 + 3 * k + 1);
  for (const std::size_t j : {1, 58, 119}) {
    const SetFunction renamed = renamed_values(record, j);
    for (std::size_t p = 0; p < elementary_count; ++p) {
      std::int32_t of_record = 0;
      std::int32_t of_renamed = 0;
      for (std::size_t k = 0; k < subset_count; ++k) {
        of_record += record[k] * elementary_table[p][k];
        of_renamed += renamed[k] * elementary_table[row_image[j][p]][k];
      }
      if (of_record != of_renamed) return false;
    }
  }
  return true;
}
static_assert(images_carry_values());

}  // namespace
}  // namespace imset
