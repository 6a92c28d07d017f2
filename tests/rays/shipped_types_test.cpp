// Checks data/extreme-rays-types.txt on its own terms, without libnormaliz:
// every line must be a primitive extreme ray of the cone of supermodular
// functions, written as the smallest renaming of its type, and the types
// together must account for all 117,978 extreme rays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tables/imsets.h"
#include "tables/renamings.h"

namespace {

using imset::SetFunction;

constexpr std::size_t expected_type_count = 1319;
constexpr std::size_t expected_ray_count = 117978;

const std::string types_path = std::string(IMSET_DATA_DIR) + "/extreme-rays-types.txt";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Parses one line of exactly 26 decimal integers separated by single blanks;
// anything else (leading or trailing blanks, tabs, '+', leading zeros,
// missing or extra values) is reported as an error.
bool parse_record(const std::string& line, SetFunction& record, std::string& error) {
  std::size_t pos = 0;
  for (std::size_t k = 0; k < record.size(); ++k) {
    if (k > 0) {
      if (pos >= line.size() || line[pos] != ' ') {
        error = "expected one blank before value " + std::to_string(k);
        return false;
      }
      ++pos;
    }
    const bool negative = pos < line.size() && line[pos] == '-';
    if (negative) ++pos;
    const std::size_t digits_start = pos;
    std::int64_t magnitude = 0;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
      magnitude = magnitude * 10 + (line[pos] - '0');
      if (magnitude > (std::int64_t{1} << 31)) {
        error = "value " + std::to_string(k) + " out of range";
        return false;
      }
      ++pos;
    }
    const std::size_t digit_count = pos - digits_start;
    if (digit_count == 0 || (digit_count > 1 && line[digits_start] == '0') || (negative && magnitude == 0)) {
      error = "value " + std::to_string(k) + " is not a plain decimal integer";
      return false;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) {
      error = "value " + std::to_string(k) + " out of range";
      return false;
    }
    record[k] = static_cast<std::int32_t>(value);
  }
  if (pos != line.size()) {
    error = "unexpected text after the last value";
    return false;
  }
  return true;
}

std::int64_t dot(const SetFunction& a, const SetFunction& b) {
  std::int64_t sum = 0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += std::int64_t{a[k]} * std::int64_t{b[k]};
  return sum;
}

bool is_primitive(const SetFunction& record) {
  std::int64_t divisor = 0;
  for (const std::int32_t x : record)
    divisor = std::gcd(divisor, std::int64_t{x} < 0 ? -std::int64_t{x} : std::int64_t{x});
  return divisor == 1;
}

// Exact rank by fraction-free (Bareiss) elimination. Every entry stays a
// minor of the input, so with rows of at most four entries +-1 it is bounded
// by Hadamard's 2^26; the overflow checks only guard that argument.
int exact_rank(const std::vector<SetFunction>& rows) {
  std::vector<std::vector<std::int64_t>> m;
  m.reserve(rows.size());
  for (const SetFunction& row : rows) m.emplace_back(row.begin(), row.end());
  const std::size_t columns = imset::subset_count;
  std::int64_t previous_pivot = 1;
  std::size_t rank = 0;
  for (std::size_t c = 0; c < columns && rank < m.size(); ++c) {
    std::size_t pivot = rank;
    while (pivot < m.size() && m[pivot][c] == 0) ++pivot;
    if (pivot == m.size()) continue;
    std::swap(m[rank], m[pivot]);
    for (std::size_t i = rank + 1; i < m.size(); ++i) {
      for (std::size_t j = c + 1; j < columns; ++j) {
        std::int64_t left = 0;
        std::int64_t right = 0;
        std::int64_t difference = 0;
        if (__builtin_mul_overflow(m[rank][c], m[i][j], &left) || __builtin_mul_overflow(m[i][c], m[rank][j], &right) ||
            __builtin_sub_overflow(left, right, &difference)) {
          ADD_FAILURE() << "rank computation overflowed";
          return -1;
        }
        if (difference % previous_pivot != 0) {
          ADD_FAILURE() << "fraction-free elimination met an inexact division";
          return -1;
        }
        m[i][j] = difference / previous_pivot;
      }
      m[i][c] = 0;
    }
    previous_pivot = m[rank][c];
    ++rank;
  }
  return static_cast<int>(rank);
}

// Rank of the elementary rows on which the function vanishes.
int tight_rank(const SetFunction& record) {
  std::vector<SetFunction> tight;
  for (const SetFunction& row : imset::elementary_table) {
    if (dot(record, row) == 0) tight.push_back(row);
  }
  return exact_rank(tight);
}

bool is_supermodular(const SetFunction& record) {
  return std::all_of(imset::elementary_table.begin(), imset::elementary_table.end(),
                     [&](const SetFunction& row) { return dot(record, row) >= 0; });
}

// All renamings, formed like the checker's renamed records.
std::set<SetFunction> renamings(const SetFunction& record) {
  std::set<SetFunction> result;
  for (std::size_t j = 0; j < imset::renaming_count; ++j) {
    result.insert(imset::renamed_values(record, j));
  }
  return result;
}

class ShippedTypes : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    contents = read_file(types_path);
    ASSERT_FALSE(contents.empty()) << "cannot read " << types_path;
    std::size_t start = 0;
    while (start < contents.size()) {
      const std::size_t end = contents.find('\n', start);
      ASSERT_NE(end, std::string::npos) << "the last line does not end in a newline";
      SetFunction record{};
      std::string error;
      ASSERT_TRUE(parse_record(contents.substr(start, end - start), record, error))
          << "line " << records.size() + 1 << ": " << error;
      records.push_back(record);
      start = end + 1;
    }
  }

  static inline std::string contents;
  static inline std::vector<SetFunction> records;
};

TEST_F(ShippedTypes, HasOneSortedLinePerType) {
  EXPECT_EQ(records.size(), expected_type_count);
  // Strictly increasing as integer vectors: sorted, and no line repeated.
  for (std::size_t i = 1; i < records.size(); ++i) {
    EXPECT_LT(records[i - 1], records[i]) << "lines " << i << " and " << i + 1;
  }
}

TEST_F(ShippedTypes, EachLineIsAPrimitiveExtremeRay) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    const SetFunction& record = records[i];
    EXPECT_TRUE(is_primitive(record)) << "line " << i + 1;
    EXPECT_TRUE(is_supermodular(record)) << "line " << i + 1;
    EXPECT_EQ(tight_rank(record), imset::subset_count - 1) << "line " << i + 1;
  }

  // The extremality test must be able to fail: the sum of two rays of
  // different types lies inside a face of dimension at least two.
  ASSERT_GE(records.size(), 2U);
  SetFunction sum{};
  for (std::size_t k = 0; k < sum.size(); ++k) sum[k] = records[0][k] + records[1][k];
  EXPECT_TRUE(is_supermodular(sum));
  EXPECT_LT(tight_rank(sum), imset::subset_count - 1);
  // The zero function is tight everywhere: the elementary rows span all 26
  // dimensions, so the cone is pointed and a rank of 25 marks a ray.
  EXPECT_EQ(tight_rank(SetFunction{}), imset::subset_count);
}

TEST_F(ShippedTypes, EachLineIsTheSmallestOfItsOrbitAndTheOrbitsCoverAllRays) {
  std::set<SetFunction> all_rays;
  std::size_t orbit_size_total = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::set<SetFunction> orbit = renamings(records[i]);
    EXPECT_EQ(*orbit.begin(), records[i]) << "line " << i + 1 << " is not the smallest renaming of its type";
    orbit_size_total += orbit.size();
    all_rays.insert(orbit.begin(), orbit.end());
  }
  // Disjoint orbits: no ray is counted twice, so no two lines share a type.
  EXPECT_EQ(all_rays.size(), orbit_size_total);
  EXPECT_EQ(orbit_size_total, expected_ray_count);
}

}  // namespace
