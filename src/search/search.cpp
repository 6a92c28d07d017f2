#include "search.h"

#include <array>
#include <bit>

#include "../input/vector_file.h"
#include "report.h"

namespace imset {

std::int32_t record_number = 0;

namespace {

// Bit p set when imset value p is zero; bits 0-63 in low, 64-79 in high.
struct ZeroPattern {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  bool operator==(const ZeroPattern&) const = default;
};

void set_bit(ZeroPattern& pattern, unsigned p) {
  if (p < 64) {
    pattern.low |= std::uint64_t{1} << p;
  } else {
    pattern.high |= std::uint64_t{1} << (p - 64);
  }
}

ZeroPattern zero_pattern(const ImsetValues& imset) {
  ZeroPattern pattern;
  for (unsigned p = 0; p < elementary_count; ++p) {
    if (imset[p] == 0) set_bit(pattern, p);
  }
  return pattern;
}

// The zero pattern of variant j, from the record's own pattern.
ZeroPattern permuted(const ZeroPattern& pattern, std::size_t j) {
  ZeroPattern image;
  const auto& target = elementary_image[j];
  for (std::uint64_t bits = pattern.low; bits != 0; bits &= bits - 1) {
    set_bit(image, target[static_cast<std::size_t>(std::countr_zero(bits))]);
  }
  for (std::uint64_t bits = pattern.high; bits != 0; bits &= bits - 1) {
    set_bit(image, target[static_cast<std::size_t>(64 + std::countr_zero(bits))]);
  }
  return image;
}

// A vector as two patterns: the rows that must be zero ("+") and the rows
// that must be nonzero ("-").
struct VectorDemand {
  ZeroPattern must_be_zero;
  ZeroPattern must_be_nonzero;
};

std::array<VectorDemand, max_vectors> demands{};
// Indexes of the vectors not yet matched, ascending.
std::array<std::int32_t, max_vectors> unmatched{};
std::int32_t unmatched_count = 0;

bool satisfies(const ZeroPattern& zeros, const VectorDemand& demand) {
  const bool nonzero_ok =
      (zeros.low & demand.must_be_nonzero.low) == 0 && (zeros.high & demand.must_be_nonzero.high) == 0;
  const bool zero_ok =
      (demand.must_be_zero.low & ~zeros.low) == 0 && (demand.must_be_zero.high & ~zeros.high) == 0;
  return nonzero_ok && zero_ok;
}

// Zero patterns already tested against every vector still unmatched: either
// a variant of the current record, or any variant of a record searched
// before. Open addressing over a table sized once; when it fills up, new
// patterns are simply tested again.
constexpr unsigned pattern_table_bits = 18;
constexpr std::size_t pattern_table_size = std::size_t{1} << pattern_table_bits;
constexpr std::size_t pattern_table_limit = pattern_table_size / 4 * 3;
constexpr std::uint64_t empty_marker = ~std::uint64_t{0};  // no pattern has high bits above 15

std::array<ZeroPattern, pattern_table_size> tested_patterns;
std::size_t tested_count = 0;

std::size_t slot_of(const ZeroPattern& pattern) {
  std::uint64_t h = pattern.low * 0x9E3779B97F4A7C15ULL ^ (pattern.high + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL;
  h ^= h >> 31;
  return static_cast<std::size_t>(h >> (64 - pattern_table_bits));
}

bool already_tested(const ZeroPattern& pattern) {
  for (std::size_t i = slot_of(pattern);; i = (i + 1) & (pattern_table_size - 1)) {
    if (tested_patterns[i].high == empty_marker) return false;
    if (tested_patterns[i] == pattern) return true;
  }
}

// Records the pattern; false when it was there already.
bool remember_tested(const ZeroPattern& pattern) {
  if (tested_count >= pattern_table_limit) return !already_tested(pattern);
  for (std::size_t i = slot_of(pattern);; i = (i + 1) & (pattern_table_size - 1)) {
    if (tested_patterns[i].high == empty_marker) {
      tested_patterns[i] = pattern;
      ++tested_count;
      return true;
    }
    if (tested_patterns[i] == pattern) return false;
  }
}

void report_match(std::int32_t vector_index, std::size_t j, const SetFunction& values) {
  SetFunction variant{};
  for (std::size_t k = 0; k < subset_count; ++k) {
    variant[static_cast<std::size_t>(permutation_map[j][k])] = values[k];
  }
  ImsetValues imset{};
  for (std::size_t p = 0; p < elementary_count; ++p) imset[p] = inner_product(variant, elementary_table[p]);
  print_report(vector_index, vector_set.codes[static_cast<std::size_t>(vector_index)], imset, record_number,
               variant);
}

// Tests the unmatched vectors, in ascending order, against variant j of the
// record; true when the last one has been matched.
bool check_variant(const ZeroPattern& zeros, std::size_t j, const SetFunction& values) {
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < unmatched_count; ++i) {
    const std::int32_t v = unmatched[static_cast<std::size_t>(i)];
    if (!satisfies(zeros, demands[static_cast<std::size_t>(v)])) {
      unmatched[static_cast<std::size_t>(kept++)] = v;
      continue;
    }
    report_match(v, j, values);
    vector_set.found[static_cast<std::size_t>(v)] = 1;
    ++vector_set.found_count;
    if (vector_set.found_count == vector_set.count) return true;
  }
  unmatched_count = kept;
  return false;
}

}  // namespace

std::int32_t token_value(const TokenSlot& token) {
  const char* p = token.data();
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  std::uint32_t magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p) magnitude = magnitude * 10U + static_cast<std::uint32_t>(*p - '0');
  return static_cast<std::int32_t>(negative ? 0U - magnitude : magnitude);
}

void prepare_search() {
  unmatched_count = 0;
  for (std::int32_t v = 0; v < vector_set.count; ++v) {
    VectorDemand& demand = demands[static_cast<std::size_t>(v)];
    demand = {};
    for (unsigned p = 0; p < elementary_count; ++p) {
      const std::int32_t code = vector_set.codes[static_cast<std::size_t>(v)][p];
      if (code == code_zero) set_bit(demand.must_be_zero, p);
      if (code == code_nonzero) set_bit(demand.must_be_nonzero, p);
    }
    if (vector_set.found[static_cast<std::size_t>(v)] == 0) unmatched[static_cast<std::size_t>(unmatched_count++)] = v;
  }
  // Filled here, not left to zero pages, so memory in use does not grow
  // with the input.
  tested_patterns.fill(ZeroPattern{0, empty_marker});
  tested_count = 0;
}

bool process_record() {
  record_number = static_cast<std::int32_t>(static_cast<std::uint32_t>(record_number) + 1U);
  SetFunction values{};
  for (std::size_t k = 0; k < subset_count; ++k) values[k] = token_value(token_slots[k]);
  const ZeroPattern zeros = zero_pattern(imset_values(values));
  if (already_tested(zeros)) return false;
  for (std::size_t j = 0; j < static_cast<std::size_t>(permutation_count); ++j) {
    const ZeroPattern variant_zeros = j == 0 ? zeros : permuted(zeros, j);
    if (!remember_tested(variant_zeros)) continue;
    if (check_variant(variant_zeros, j, values)) return true;
  }
  return false;
}

}  // namespace imset
