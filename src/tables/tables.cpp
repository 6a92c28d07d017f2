#include "tables.h"

#include <bit>
#include <utility>

namespace imset {
namespace {

constexpr unsigned full_mask = (1U << ground_size) - 1U;

// Subsets of two or more elements: by size, then lexicographic in their
// sorted elements. Among subsets of one size that is the descending order of
// the masks read with element 0 as the highest bit.
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

constexpr std::array<unsigned, subset_count> subset_masks = make_subset_masks();

constexpr std::array<int, 32> make_index_of_mask() {
  std::array<int, 32> index{};
  for (int& i : index) i = -1;
  for (int s = 0; s < subset_count; ++s) index[subset_masks[static_cast<std::size_t>(s)]] = s;
  return index;
}

constexpr std::array<int, 32> index_of_mask = make_index_of_mask();

constexpr std::array<SubsetFlags, subset_count> make_subset_table() {
  std::array<SubsetFlags, subset_count> table{};
  for (std::size_t s = 0; s < subset_count; ++s) {
    for (int c = 0; c < ground_size; ++c) {
      table[s][static_cast<std::size_t>(c)] = static_cast<std::int32_t>((subset_masks[s] >> c) & 1U);
    }
  }
  return table;
}

constexpr ElementaryTriple triple_from(unsigned pair_mask, unsigned k_mask) {
  const int a = std::countr_zero(pair_mask);
  const int b = std::countr_zero(pair_mask & (pair_mask - 1U));
  return {a, b, k_mask};
}

// The fixed row order of the elementary imsets: K of three elements, of
// two, of one, then empty K.
constexpr std::array<ElementaryTriple, elementary_count> make_triples() {
  std::array<ElementaryTriple, elementary_count> rows{};
  std::size_t next = 0;
  for (int s = 10; s <= 19; ++s) {  // K runs over the three-element subsets
    const unsigned k = subset_masks[static_cast<std::size_t>(s)];
    rows[next++] = triple_from(full_mask & ~k, k);
  }
  for (int left_out = 0; left_out < ground_size; ++left_out) {
    const unsigned rest = full_mask & ~(1U << left_out);
    for (int s = 0; s <= 9; ++s) {  // K over the pairs within the rest, in order
      const unsigned k = subset_masks[static_cast<std::size_t>(s)];
      if ((k & rest) == k) rows[next++] = triple_from(rest & ~k, k);
    }
  }
  for (int t = 19; t >= 10; --t) {  // T = K+ab, descending subset index
    const unsigned tm = subset_masks[static_cast<std::size_t>(t)];
    const unsigned x = tm & (0U - tm);
    const unsigned z = 1U << (31 - std::countl_zero(tm));
    const unsigned y = tm & ~x & ~z;
    rows[next++] = triple_from(x | y, z);
    rows[next++] = triple_from(x | z, y);
    rows[next++] = triple_from(y | z, x);
  }
  for (int s = 9; s >= 0; --s) rows[next++] = triple_from(subset_masks[static_cast<std::size_t>(s)], 0U);
  return rows;
}

constexpr std::array<SetFunction, elementary_count> make_elementary_table(
    const std::array<ElementaryTriple, elementary_count>& triples) {
  std::array<SetFunction, elementary_count> table{};
  for (std::size_t p = 0; p < elementary_count; ++p) {
    const ElementaryTriple& t = triples[p];
    const unsigned a = 1U << t.a;
    const unsigned b = 1U << t.b;
    const auto add = [&](unsigned mask, std::int32_t coefficient) {
      const int s = index_of_mask[mask];
      if (s >= 0) table[p][static_cast<std::size_t>(s)] += coefficient;
    };
    add(t.k_mask | a | b, 1);
    add(t.k_mask, 1);
    add(t.k_mask | a, -1);
    add(t.k_mask | b, -1);
  }
  return table;
}

// Row of the elementary imset a,b|K, looked up by its pair and K.
constexpr std::array<std::array<std::int8_t, 32>, 32> make_row_of_triple(
    const std::array<ElementaryTriple, elementary_count>& triples) {
  std::array<std::array<std::int8_t, 32>, 32> rows{};
  for (auto& r : rows) {
    for (auto& x : r) x = -1;
  }
  for (std::size_t p = 0; p < elementary_count; ++p) {
    const unsigned pair = (1U << triples[p].a) | (1U << triples[p].b);
    rows[pair][triples[p].k_mask] = static_cast<std::int8_t>(p);
  }
  return rows;
}

// Up to two +1 and two -1 coordinates per row. An absent term points one
// past the last subset, where imset_values keeps a zero.
constexpr int absent_term = subset_count;
struct SparseRow {
  std::array<std::uint8_t, 2> plus;
  std::array<std::uint8_t, 2> minus;
};

constexpr std::array<SparseRow, elementary_count> make_sparse_rows(
    const std::array<SetFunction, elementary_count>& table) {
  std::array<SparseRow, elementary_count> rows{};
  for (std::size_t p = 0; p < elementary_count; ++p) {
    rows[p] = {{absent_term, absent_term}, {absent_term, absent_term}};
    std::size_t plus = 0;
    std::size_t minus = 0;
    for (std::size_t s = 0; s < subset_count; ++s) {
      if (table[p][s] == 1) rows[p].plus[plus++] = static_cast<std::uint8_t>(s);
      if (table[p][s] == -1) rows[p].minus[minus++] = static_cast<std::uint8_t>(s);
    }
  }
  return rows;
}

constexpr auto triples_table = make_triples();
constexpr auto row_of_triple = make_row_of_triple(triples_table);

}  // namespace

constexpr std::array<SubsetFlags, subset_count> subset_table = make_subset_table();
constexpr std::array<ElementaryTriple, elementary_count> elementary_triples = triples_table;
constexpr std::array<SetFunction, elementary_count> elementary_table = make_elementary_table(triples_table);

namespace {
constexpr auto sparse_rows = make_sparse_rows(elementary_table);
}  // namespace

unsigned subset_mask(int subset_index) { return subset_masks[static_cast<std::size_t>(subset_index)]; }

int subset_index_of_mask(unsigned mask) { return mask <= full_mask ? index_of_mask[mask] : -1; }

std::int32_t inner_product(const SetFunction& a, const SetFunction& b) {
  std::uint32_t sum = 0;
  for (std::size_t k = 0; k < subset_count; ++k) {
    sum += static_cast<std::uint32_t>(a[k]) * static_cast<std::uint32_t>(b[k]);
  }
  return static_cast<std::int32_t>(sum);
}

namespace {

// The values as unsigned numbers, so sums wrap modulo 2^32 without signed
// overflow, with a zero at absent_term for the rows' missing terms.
using WideValues = std::array<std::uint32_t, subset_count + 1>;

WideValues widened(const SetFunction& values) {
  WideValues v{};
  for (std::size_t k = 0; k < subset_count; ++k) v[k] = static_cast<std::uint32_t>(values[k]);
  return v;
}

}  // namespace

ImsetValues imset_values(const SetFunction& values) {
  const WideValues v = widened(values);
  ImsetValues result{};
  for (std::size_t p = 0; p < elementary_count; ++p) {
    const SparseRow& r = sparse_rows[p];
    result[p] = static_cast<std::int32_t>(v[r.plus[0]] + v[r.plus[1]] - v[r.minus[0]] - v[r.minus[1]]);
  }
  return result;
}

namespace {

// One elementary row's imset value, with the row's coordinates known at
// compile time so the 80 rows unroll into straight additions.
template <std::size_t P>
std::uint64_t vanishes(const WideValues& v) {
  constexpr SparseRow r = sparse_rows[P];
  return static_cast<std::uint64_t>(v[r.plus[0]] + v[r.plus[1]] - v[r.minus[0]] - v[r.minus[1]] == 0);
}

template <std::size_t First, std::size_t... P>
std::uint64_t vanishing_bits(const WideValues& v, std::index_sequence<P...>) {
  return ((vanishes<First + P>(v) << P) | ...);
}

}  // namespace

VanishingRows vanishing_rows(const SetFunction& values) {
  const WideValues v = widened(values);
  return {vanishing_bits<0>(v, std::make_index_sequence<64>{}),
          vanishing_bits<64>(v, std::make_index_sequence<elementary_count - 64>{})};
}

std::int32_t permutation_count = 0;
std::array<std::array<std::int32_t, subset_count>, permutation_total> permutation_map{};
std::array<std::array<std::uint8_t, elementary_count>, permutation_total> elementary_image{};

namespace {

struct Enumeration {
  std::array<std::int32_t, ground_size> current{};
  std::array<bool, ground_size> used{};
  bool consistent = true;
};

void fill_rows(Enumeration& e) {
  const std::size_t row = static_cast<std::size_t>(permutation_count++);
  std::array<bool, subset_count> hit{};
  for (std::size_t s = 0; s < subset_count; ++s) {
    SubsetFlags image{};
    for (std::size_t c = 0; c < ground_size; ++c) {
      if (subset_table[s][c] == 1) image[static_cast<std::size_t>(e.current[c])] = 1;
    }
    for (std::size_t b = 0; b < subset_count; ++b) {
      if (subset_table[b] == image) {
        permutation_map[row][s] = static_cast<std::int32_t>(b);
        if (hit[b]) e.consistent = false;
        hit[b] = true;
        break;
      }
    }
  }
  for (std::size_t p = 0; p < elementary_count; ++p) {
    const ElementaryTriple& t = elementary_triples[p];
    unsigned k_image = 0;
    for (int c = 0; c < ground_size; ++c) {
      if ((t.k_mask >> c) & 1U) k_image |= 1U << e.current[static_cast<std::size_t>(c)];
    }
    const unsigned pair_image =
        (1U << e.current[static_cast<std::size_t>(t.a)]) | (1U << e.current[static_cast<std::size_t>(t.b)]);
    elementary_image[row][p] = static_cast<std::uint8_t>(row_of_triple[pair_image][k_image]);
  }
}

void enumerate(Enumeration& e, int depth) {
  if (depth == ground_size) fill_rows(e);
  for (int q = 0; q < ground_size; ++q) {
    if (e.used[static_cast<std::size_t>(q)]) continue;
    e.used[static_cast<std::size_t>(q)] = true;
    e.current[static_cast<std::size_t>(depth)] = q;
    enumerate(e, depth + 1);
    e.used[static_cast<std::size_t>(q)] = false;
  }
}

}  // namespace

bool build_permutation_map() {
  Enumeration e;
  permutation_count = 0;
  enumerate(e, 0);
  return e.consistent;
}

}  // namespace imset
