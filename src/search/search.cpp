#include "search.h"

#include <array>
#include <bit>

#include "../input/extreme_points.h"
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

// The zero pattern of variant j, from the record's own pattern.
ZeroPattern permuted(const ZeroPattern& pattern, std::size_t j) {
  ZeroPattern image;
  const auto& target = elementary_image[j];
  for (std::uint64_t bits = pattern.low; bits != 0; bits &= bits - 1) {
    set_bit(image, target[static_cast<std::size_t>(std::countr_zero(bits))]);
  }
  for (std::uint64_t bits = pattern.high; bits != 0; bits &= bits - 1) {
    set_bit(image, target[64 + static_cast<std::size_t>(std::countr_zero(bits))]);
  }
  return image;
}

// The vectors not yet matched, in ascending order, each as the rows that
// must be zero ("+") and the rows that must be nonzero ("-"), 80 bits in
// three 32-bit words. Kept as separate columns of 32-bit words so that
// testing them all against one pattern is a loop the compiler vectorises.
constexpr std::size_t words = 3;

struct UnmatchedVectors {
  std::array<std::int32_t, max_vectors> index{};
  std::array<std::array<std::uint32_t, max_vectors>, words> must_be_zero{};
  std::array<std::array<std::uint32_t, max_vectors>, words> must_be_nonzero{};
  std::int32_t count = 0;
};

UnmatchedVectors unmatched;

using PatternWords = std::array<std::uint32_t, words>;

PatternWords words_of(const ZeroPattern& zeros) {
  return {static_cast<std::uint32_t>(zeros.low), static_cast<std::uint32_t>(zeros.low >> 32),
          static_cast<std::uint32_t>(zeros.high)};
}

bool satisfies(const PatternWords& zeros, std::size_t i) {
  std::uint32_t violations = 0;
  for (std::size_t w = 0; w < words; ++w) {
    violations |= (zeros[w] & unmatched.must_be_nonzero[w][i]) | (unmatched.must_be_zero[w][i] & ~zeros[w]);
  }
  return violations == 0;
}

// How many unmatched vectors the pattern satisfies, in one pass without an
// early exit: almost every pattern satisfies none, and a plain counting loop
// is the cheapest way to learn that.
int satisfied_count(const PatternWords& zeros) {
  int count = 0;
  const auto n = static_cast<std::size_t>(unmatched.count);
  for (std::size_t i = 0; i < n; ++i) count += static_cast<int>(satisfies(zeros, i));
  return count;
}

void drop_found_vectors() {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(unmatched.count); ++i) {
    if (vector_set.found[static_cast<std::size_t>(unmatched.index[i])] != 0) continue;
    unmatched.index[kept] = unmatched.index[i];
    for (std::size_t w = 0; w < words; ++w) {
      unmatched.must_be_zero[w][kept] = unmatched.must_be_zero[w][i];
      unmatched.must_be_nonzero[w][kept] = unmatched.must_be_nonzero[w][i];
    }
    ++kept;
  }
  unmatched.count = static_cast<std::int32_t>(kept);
}

// Zero patterns already tested against every vector still unmatched: either
// a variant of the current record, or any variant of a record searched
// before. Open addressing over a table sized once; when it fills up, new
// patterns are simply tested again. Each entry carries, in the bits of
// `high` above the 16 rows it holds, the number of the search it belongs
// to; entries of an earlier search read as empty, so a new search starts
// without clearing 4 MB.
constexpr unsigned pattern_table_bits = 18;
constexpr std::size_t pattern_table_size = std::size_t{1} << pattern_table_bits;
constexpr std::size_t pattern_table_limit = pattern_table_size / 4 * 3;
constexpr unsigned search_shift = elementary_count - 64;
constexpr std::uint64_t last_search = (std::uint64_t{1} << (64 - search_shift)) - 1;

std::array<ZeroPattern, pattern_table_size> tested_patterns;
std::size_t tested_count = 0;
std::uint64_t search_number = 0;  // 0 marks an empty entry

ZeroPattern entry_of(const ZeroPattern& pattern) { return {pattern.low, pattern.high | search_number << search_shift}; }

bool is_empty(const ZeroPattern& entry) { return entry.high >> search_shift != search_number; }

std::size_t slot_of(const ZeroPattern& pattern) {
  std::uint64_t h =
      pattern.low * 0x9E3779B97F4A7C15ULL ^ (pattern.high + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL;
  h ^= h >> 31;
  return static_cast<std::size_t>(h >> (64 - pattern_table_bits));
}

bool already_tested(const ZeroPattern& pattern) {
  const ZeroPattern entry = entry_of(pattern);
  for (std::size_t i = slot_of(pattern);; i = (i + 1) & (pattern_table_size - 1)) {
    if (is_empty(tested_patterns[i])) return false;
    if (tested_patterns[i] == entry) return true;
  }
}

// Records the pattern; false when it was there already.
bool remember_tested(const ZeroPattern& pattern) {
  if (tested_count >= pattern_table_limit) return !already_tested(pattern);
  const ZeroPattern entry = entry_of(pattern);
  for (std::size_t i = slot_of(pattern);; i = (i + 1) & (pattern_table_size - 1)) {
    if (is_empty(tested_patterns[i])) {
      tested_patterns[i] = entry;
      ++tested_count;
      return true;
    }
    if (tested_patterns[i] == entry) return false;
  }
}

void report_match(std::int32_t vector_index, std::size_t j, const SetFunction& values) {
  SetFunction variant{};
  for (std::size_t k = 0; k < subset_count; ++k) {
    variant[static_cast<std::size_t>(permutation_map[j][k])] = values[k];
  }
  print_report(vector_index, vector_set.codes[static_cast<std::size_t>(vector_index)], imset_values(variant),
               record_number, variant);
}

// Tests the unmatched vectors, in ascending order, against variant j of the
// record; true when the last one has been matched.
bool check_variant(const ZeroPattern& pattern, std::size_t j, const SetFunction& values) {
  const PatternWords zeros = words_of(pattern);
  if (satisfied_count(zeros) == 0) return false;
  for (std::size_t i = 0; i < static_cast<std::size_t>(unmatched.count); ++i) {
    if (!satisfies(zeros, i)) continue;
    const std::int32_t v = unmatched.index[i];
    report_match(v, j, values);
    vector_set.found[static_cast<std::size_t>(v)] = 1;
    ++vector_set.found_count;
    if (vector_set.found_count == vector_set.count) return true;
  }
  drop_found_vectors();
  return false;
}

}  // namespace

void prepare_search() {
  unmatched = {};
  for (std::int32_t v = 0; v < vector_set.count; ++v) {
    if (vector_set.found[static_cast<std::size_t>(v)] != 0) continue;
    ZeroPattern must_be_zero;
    ZeroPattern must_be_nonzero;
    for (unsigned p = 0; p < elementary_count; ++p) {
      const std::int32_t code = vector_set.codes[static_cast<std::size_t>(v)][p];
      if (code == code_zero) set_bit(must_be_zero, p);
      if (code == code_nonzero) set_bit(must_be_nonzero, p);
    }
    const auto i = static_cast<std::size_t>(unmatched.count++);
    unmatched.index[i] = v;
    const PatternWords zero_words = words_of(must_be_zero);
    const PatternWords nonzero_words = words_of(must_be_nonzero);
    for (std::size_t w = 0; w < words; ++w) {
      unmatched.must_be_zero[w][i] = zero_words[w];
      unmatched.must_be_nonzero[w][i] = nonzero_words[w];
    }
  }
  // Written through at the first search, not left to zero pages, so memory
  // in use does not grow with the input; later searches take the next number.
  if (search_number == 0 || search_number == last_search) {
    tested_patterns.fill(ZeroPattern{});
    search_number = 0;
  }
  ++search_number;
  tested_count = 0;
}

bool process_record() {
  record_number = static_cast<std::int32_t>(static_cast<std::uint32_t>(record_number) + 1U);
  const SetFunction& values = token_values;
  const VanishingRows vanishing = vanishing_rows(values);
  const ZeroPattern zeros{vanishing.rows_low, vanishing.rows_high};
  if (already_tested(zeros)) return false;
  // Every arrangement's pattern first, with its table slot fetched ahead:
  // in a table of 4 MB nearly every slot is a cache miss, and asking for all
  // of them at once overlaps the waits instead of paying them in turn.
  const auto count = static_cast<std::size_t>(permutation_count);
  std::array<ZeroPattern, permutation_total> variant_zeros;
  for (std::size_t j = 0; j < count; ++j) {
    variant_zeros[j] = j == 0 ? zeros : permuted(zeros, j);
    __builtin_prefetch(&tested_patterns[slot_of(variant_zeros[j])]);
  }
  for (std::size_t j = 0; j < count; ++j) {
    if (!remember_tested(variant_zeros[j])) continue;
    if (check_variant(variant_zeros[j], j, values)) return true;
  }
  return false;
}

}  // namespace imset
