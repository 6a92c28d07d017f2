// The 80 elementary imsets of {0,1,2,3,4}, written over the 26 subsets, in
// the fixed row order of every vector and every list of imset values; and a
// set function's inner products with them.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "tables/row_set.h"
#include "tables/subsets.h"

namespace imset {

using ImsetValues = std::array<std::int32_t, elementary_count>;

// The triple a,b|K of an elementary row: a < b, K a mask without a and b.
struct ElementaryTriple {
  int a;
  int b;
  unsigned k_mask;
  constexpr unsigned pair_mask() const { return (1U << a) | (1U << b); }
};

namespace detail {

constexpr ElementaryTriple triple_from(unsigned pair_mask, unsigned k_mask) {
  const int a = std::countr_zero(pair_mask);
  const int b = std::countr_zero(pair_mask & (pair_mask - 1U));
  return {a, b, k_mask};
}

// K of three elements, of two, of one, then empty K.
constexpr std::array<ElementaryTriple, elementary_count> make_triples() {
  std::array<ElementaryTriple, elementary_count> rows{};
  std::size_t next = 0;
  for (std::size_t s = 10; s <= 19; ++s) {  // K runs over the three-element subsets
    rows[next++] = triple_from(full_mask & ~subset_masks[s], subset_masks[s]);
  }
  for (int left_out = 0; left_out < ground_size; ++left_out) {
    const unsigned rest = full_mask & ~(1U << left_out);
    for (std::size_t s = 0; s <= 9; ++s) {  // K over the pairs within the rest, in order
      const unsigned k = subset_masks[s];
      if ((k & rest) == k) rows[next++] = triple_from(rest & ~k, k);
    }
  }
  for (std::size_t t = 19; t >= 10; --t) {  // T = K+ab, descending subset index
    const unsigned tm = subset_masks[t];
    const unsigned x = tm & (0U - tm);
    const unsigned z = 1U << (31 - std::countl_zero(tm));
    const unsigned y = tm & ~x & ~z;
    rows[next++] = triple_from(x | y, z);
    rows[next++] = triple_from(x | z, y);
    rows[next++] = triple_from(y | z, x);
  }
  for (std::size_t s = 10; s-- > 0;) rows[next++] = triple_from(subset_masks[s], 0U);
  return rows;
}

}  // namespace detail

inline constexpr std::array<ElementaryTriple, elementary_count> elementary_triples = detail::make_triples();

namespace detail {

// Row p: +1 at K+ab and at K, -1 at K+a and at K+b; terms on sets of fewer
// than two elements have no coordinate and are left out.
constexpr std::array<SetFunction, elementary_count> make_elementary_table() {
  std::array<SetFunction, elementary_count> table{};
  for (std::size_t p = 0; p < elementary_count; ++p) {
    const ElementaryTriple& t = elementary_triples[p];
    const auto add = [&](unsigned mask, std::int32_t coefficient) {
      const int s = subset_index_of_mask(mask);
      if (s >= 0) table[p][static_cast<std::size_t>(s)] += coefficient;
    };
    add(t.k_mask | t.pair_mask(), 1);
    add(t.k_mask, 1);
    add(t.k_mask | (1U << t.a), -1);
    add(t.k_mask | (1U << t.b), -1);
  }
  return table;
}

constexpr std::array<std::array<std::int8_t, full_mask + 1>, full_mask + 1> make_row_of_triple() {
  std::array<std::array<std::int8_t, full_mask + 1>, full_mask + 1> rows{};
  for (auto& r : rows) {
    for (auto& x : r) x = -1;
  }
  for (std::size_t p = 0; p < elementary_count; ++p) {
    rows[elementary_triples[p].pair_mask()][elementary_triples[p].k_mask] = static_cast<std::int8_t>(p);
  }
  return rows;
}

inline constexpr auto row_by_triple = make_row_of_triple();

}  // namespace detail

inline constexpr std::array<SetFunction, elementary_count> elementary_table = detail::make_elementary_table();

// The row of the elementary imset a,b|K given as the pair's mask and K's;
// -1 when there is no such imset (not a pair, or K meets it).
constexpr int row_of_triple(unsigned pair_mask, unsigned k_mask) {
  return pair_mask <= full_mask && k_mask <= full_mask ? detail::row_by_triple[pair_mask][k_mask] : -1;
}

// Each row's terms: the subsets with +1 and those with -1, two of each;
// a term on a set of fewer than two elements is absent and stands as
// subset_count, the place of a zero past the 26 values.
struct ElementaryTerms {
  std::array<std::uint8_t, 2> plus;
  std::array<std::uint8_t, 2> minus;
};

namespace detail {

constexpr std::array<ElementaryTerms, elementary_count> make_terms() {
  std::array<ElementaryTerms, elementary_count> rows{};
  constexpr auto absent = static_cast<std::uint8_t>(subset_count);
  for (std::size_t p = 0; p < elementary_count; ++p) {
    rows[p] = {{absent, absent}, {absent, absent}};
    std::size_t plus = 0;
    std::size_t minus = 0;
    for (std::size_t s = 0; s < subset_count; ++s) {
      if (elementary_table[p][s] == 1) rows[p].plus[plus++] = static_cast<std::uint8_t>(s);
      if (elementary_table[p][s] == -1) rows[p].minus[minus++] = static_cast<std::uint8_t>(s);
    }
  }
  return rows;
}

}  // namespace detail

inline constexpr std::array<ElementaryTerms, elementary_count> elementary_terms = detail::make_terms();

// The values with a zero after them, where the rows' absent terms point.
template <typename Integer>
using PaddedValues = std::array<Integer, subset_count + 1>;

template <typename Integer>
constexpr PaddedValues<Integer> padded(const std::array<Integer, subset_count>& values) {
  PaddedValues<Integer> v{};
  for (std::size_t k = 0; k < subset_count; ++k) v[k] = values[k];
  return v;
}

// One row's imset value from its four terms.
template <typename Integer>
constexpr Integer row_value(const PaddedValues<Integer>& v, const ElementaryTerms& t) {
  return v[t.plus[0]] + v[t.plus[1]] - v[t.minus[0]] - v[t.minus[1]];
}

// The 80 imset values, computed in Integer: exactly for values and sums
// wide enough not to overflow (64-bit for sums of 32-bit functions), modulo
// 2^32 in std::uint32_t.
template <typename Integer>
constexpr std::array<Integer, elementary_count> exact_imset_values(const std::array<Integer, subset_count>& values) {
  const PaddedValues<Integer> v = padded(values);
  std::array<Integer, elementary_count> result{};
  for (std::size_t p = 0; p < elementary_count; ++p) result[p] = row_value(v, elementary_terms[p]);
  return result;
}

// Sum of a[k] * b[k], wrapping modulo 2^32 as two's-complement integers.
std::int32_t inner_product(const SetFunction& a, const SetFunction& b);

// The 80 imset values of a set function, wrapping like inner_product; equal
// to the inner products with every row, computed from the rows' few terms.
ImsetValues imset_values(const SetFunction& values);

// The rows whose imset value is zero (wrapped: with values of at most 9
// digits that is exactly where the true value is zero).
RowSet vanishing_rows(const SetFunction& values);

}  // namespace imset
