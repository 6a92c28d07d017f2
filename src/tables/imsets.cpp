#include "tables/imsets.h"

#include <utility>

namespace imset {
namespace {

// The subset order: by size, then lexicographically.
static_assert(subset_masks[0] == 0b00011 && subset_masks[1] == 0b00101 && subset_masks[9] == 0b11000 &&
              subset_masks[10] == 0b00111 && subset_masks[19] == 0b11100 && subset_masks[20] == 0b01111 &&
              subset_masks[24] == 0b11110 && subset_masks[25] == full_mask);

// The table, checked where the compiler sees it: the rows quoted in the
// documentation, and the sums a row has for each size of K.
constexpr bool row_is(std::size_t p, std::initializer_list<std::pair<std::size_t, std::int32_t>> nonzero) {
  SetFunction expected{};
  for (const auto& [s, c] : nonzero) expected[s] = c;
  return elementary_table[p] == expected;
}
static_assert(row_is(0, {{10, 1}, {20, -1}, {21, -1}, {25, 1}}));  // 3,4|012
static_assert(row_is(9, {{19, 1}, {23, -1}, {24, -1}, {25, 1}}));  // 0,1|234
static_assert(row_is(40, {{8, -1}, {9, -1}, {19, 1}}));            // 2,3|4
static_assert(row_is(70, {{9, 1}}));                               // 3,4
static_assert(row_is(79, {{0, 1}}));                               // 0,1
constexpr bool row_sums_follow_k() {
  for (std::size_t p = 0; p < elementary_count; ++p) {
    int sum = 0;
    for (const std::int32_t c : elementary_table[p]) sum += c;
    const int k_size = std::popcount(elementary_triples[p].k_mask);
    if (sum != (k_size >= 2 ? 0 : k_size == 1 ? -1 : 1)) return false;
  }
  return true;
}
static_assert(row_sums_follow_k());

// The values as unsigned numbers, so sums wrap modulo 2^32 without signed
// overflow.
using WideValues = PaddedValues<std::uint32_t>;

WideValues widened(const SetFunction& values) {
  std::array<std::uint32_t, subset_count> wide{};
  for (std::size_t k = 0; k < subset_count; ++k) wide[k] = static_cast<std::uint32_t>(values[k]);
  return padded(wide);
}

// One row's zero test, with the row's coordinates known at compile time so
// the 80 rows unroll into straight additions.
template <std::size_t P>
std::uint64_t vanishes(const WideValues& v) {
  return static_cast<std::uint64_t>(row_value(v, elementary_terms[P]) == 0);
}

template <std::size_t First, std::size_t... P>
std::uint64_t vanishing_bits(const WideValues& v, std::index_sequence<P...>) {
  return ((vanishes<First + P>(v) << P) | ...);
}

}  // namespace

std::int32_t inner_product(const SetFunction& a, const SetFunction& b) {
  std::uint32_t sum = 0;
  for (std::size_t k = 0; k < subset_count; ++k) {
    sum += static_cast<std::uint32_t>(a[k]) * static_cast<std::uint32_t>(b[k]);
  }
  return static_cast<std::int32_t>(sum);
}

ImsetValues imset_values(const SetFunction& values) {
  const WideValues v = widened(values);
  ImsetValues result{};
  for (std::size_t p = 0; p < elementary_count; ++p) {
    result[p] = static_cast<std::int32_t>(row_value(v, elementary_terms[p]));
  }
  return result;
}

RowSet vanishing_rows(const SetFunction& values) {
  const WideValues v = widened(values);
  return {vanishing_bits<0>(v, std::make_index_sequence<64>{}),
          vanishing_bits<64>(v, std::make_index_sequence<elementary_count - 64>{})};
}

}  // namespace imset
