// A set of elementary imset rows (0..79): which imset values of a set
// function are zero, which rows a vector asks to be zero or nonzero, which
// statements a query names. Row p is bit p of 80 bits: bits 0-63 in `low`,
// 64-79 in the low 16 bits of `high`, which holds nothing else.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace imset {

inline constexpr int elementary_count = 80;

struct RowSet {
  std::uint64_t low = 0;
  std::uint64_t high = 0;

  static constexpr std::uint64_t high_mask = (std::uint64_t{1} << (elementary_count - 64)) - 1;
  static constexpr RowSet all() { return {~std::uint64_t{0}, high_mask}; }
  static constexpr RowSet of(int p) {
    RowSet one;
    one.insert(p);
    return one;
  }

  constexpr bool contains(int p) const { return p < 64 ? ((low >> p) & 1U) != 0 : ((high >> (p - 64)) & 1U) != 0; }
  constexpr void insert(int p) {
    if (p < 64) {
      low |= std::uint64_t{1} << p;
    } else {
      high |= std::uint64_t{1} << (p - 64);
    }
  }
  constexpr bool empty() const { return (low | high) == 0; }
  // The lowest row; -1 for the empty set.
  constexpr int first() const {
    return low != 0 ? std::countr_zero(low) : high != 0 ? 64 + std::countr_zero(high) : -1;
  }
  constexpr int size() const { return std::popcount(low) + std::popcount(high); }
  constexpr bool is_subset_of(const RowSet& other) const {
    return (low & ~other.low) == 0 && (high & ~other.high) == 0;
  }
  constexpr bool intersects(const RowSet& other) const { return ((low & other.low) | (high & other.high)) != 0; }

  // The rows in ascending order.
  template <typename Visit>
  constexpr void for_each(Visit visit) const {
    for (std::uint64_t bits = low; bits != 0; bits &= bits - 1) visit(std::countr_zero(bits));
    for (std::uint64_t bits = high; bits != 0; bits &= bits - 1) visit(64 + std::countr_zero(bits));
  }

  // The 80 bits as three 32-bit words, low rows first.
  constexpr std::array<std::uint32_t, 3> words32() const {
    return {static_cast<std::uint32_t>(low), static_cast<std::uint32_t>(low >> 32), static_cast<std::uint32_t>(high)};
  }

  friend constexpr RowSet operator&(const RowSet& a, const RowSet& b) { return {a.low & b.low, a.high & b.high}; }
  friend constexpr RowSet operator|(const RowSet& a, const RowSet& b) { return {a.low | b.low, a.high | b.high}; }
  // The rows of a that are not in b.
  friend constexpr RowSet operator-(const RowSet& a, const RowSet& b) { return {a.low & ~b.low, a.high & ~b.high}; }
  constexpr bool operator==(const RowSet&) const = default;
};

}  // namespace imset
