// Ground-set tables: the 26 subsets of {0,1,2,3,4} with at least two
// elements, the 80 elementary imsets written over them, and the action of
// the 120 renamings of the ground set on both.
#pragma once

#include <array>
#include <cstdint>

namespace imset {

inline constexpr int ground_size = 5;
inline constexpr int subset_count = 26;
inline constexpr int elementary_count = 80;
inline constexpr int permutation_total = 120;

using SubsetFlags = std::array<std::int32_t, ground_size>;
using SetFunction = std::array<std::int32_t, subset_count>;  // values by subset index
using ImsetValues = std::array<std::int32_t, elementary_count>;

// Row s: flag c is 1 when element c is in subset s. Rows run by size, then
// lexicographically: {0,1}, {0,2}, ..., {3,4}, {0,1,2}, ..., {0,1,2,3,4}.
extern const std::array<SubsetFlags, subset_count> subset_table;

// Row p is the elementary imset a,b|K: +1 at K+ab, +1 at K, -1 at K+a and
// K+b, terms on sets of fewer than two elements left out.
extern const std::array<SetFunction, elementary_count> elementary_table;

// The triple a,b|K behind each elementary row (a < b, K as a bit mask).
struct ElementaryTriple {
  int a;
  int b;
  unsigned k_mask;
};
extern const std::array<ElementaryTriple, elementary_count> elementary_triples;

// Bit mask (bit c for element c) of a subset index, and back; sets of fewer
// than two elements have no index (-1).
unsigned subset_mask(int subset_index);
int subset_index_of_mask(unsigned mask);

// Sum of a[k] * b[k], wrapping modulo 2^32 as two's-complement integers.
std::int32_t inner_product(const SetFunction& a, const SetFunction& b);

// The 80 imset values of a set function, by the sparse rows of the
// elementary table; equal to the inner products with every row.
ImsetValues imset_values(const SetFunction& values);

// Which of the 80 imset values of a set function are zero: bit p of
// rows_low (p < 64) or of rows_high (p >= 64) is set when value p is 0.
struct VanishingRows {
  std::uint64_t rows_low;
  std::uint64_t rows_high;
};
VanishingRows vanishing_rows(const SetFunction& values);

// Filled by build_permutation_map, read-only afterwards. Row j belongs to
// the j-th permutation in lexicographic order (row 0 is the identity).
// permutation_map[j][s]: subset index of the image of subset s.
// elementary_image[j][p]: row of the elementary imset that permutation j
// turns row p into, so variant j has at row elementary_image[j][p] the
// imset value the record has at row p.
extern std::int32_t permutation_count;
extern std::array<std::array<std::int32_t, subset_count>, permutation_total> permutation_map;
extern std::array<std::array<std::uint8_t, elementary_count>, permutation_total> elementary_image;

// Enumerates the 120 permutations and fills both maps. Returns false if two
// subsets of one permutation reached the same image (a broken table).
bool build_permutation_map();

}  // namespace imset
