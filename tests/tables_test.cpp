#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tables/imsets.h"
#include "tables/renamings.h"
#include "tables/row_set.h"
#include "tables/subsets.h"

namespace {

using namespace imset;

std::string subset_name(int s) {
  std::string name;
  for (int c = 0; c < ground_size; ++c) {
    if ((subset_masks[static_cast<std::size_t>(s)] >> c) & 1U) name += static_cast<char>('0' + c);
  }
  return name;
}

TEST(SubsetTable, RowsRunBySizeThenLexicographically) {
  const char* listed[subset_count] = {"01",  "02",  "03",   "04",   "12",   "13",   "14",   "23",   "24",
                                      "34",  "012", "013",  "014",  "023",  "024",  "034",  "123",  "124",
                                      "134", "234", "0123", "0124", "0134", "0234", "1234", "01234"};
  for (int s = 0; s < subset_count; ++s) {
    EXPECT_EQ(subset_name(s), listed[s]) << "subset index " << s;
    EXPECT_EQ(subset_index_of_mask(subset_masks[static_cast<std::size_t>(s)]), s);
  }
  EXPECT_EQ(subset_index_of_mask(0), -1);
  EXPECT_EQ(subset_index_of_mask(1U << 3), -1);
}

// The rows as the documentation lists them, written a,b|K.
const char* const listed_rows[elementary_count] = {
    "3,4|012", "2,4|013", "2,3|014", "1,4|023", "1,3|024", "1,2|034", "0,4|123", "0,3|124", "0,2|134", "0,1|234",
    "3,4|12",  "2,4|13",  "2,3|14",  "1,4|23",  "1,3|24",  "1,2|34",  "3,4|02",  "2,4|03",  "2,3|04",  "0,4|23",
    "0,3|24",  "0,2|34",  "3,4|01",  "1,4|03",  "1,3|04",  "0,4|13",  "0,3|14",  "0,1|34",  "2,4|01",  "1,4|02",
    "1,2|04",  "0,4|12",  "0,2|14",  "0,1|24",  "2,3|01",  "1,3|02",  "1,2|03",  "0,3|12",  "0,2|13",  "0,1|23",
    "2,3|4",   "2,4|3",   "3,4|2",   "1,3|4",   "1,4|3",   "3,4|1",   "1,2|4",   "1,4|2",   "2,4|1",   "1,2|3",
    "1,3|2",   "2,3|1",   "0,3|4",   "0,4|3",   "3,4|0",   "0,2|4",   "0,4|2",   "2,4|0",   "0,2|3",   "0,3|2",
    "2,3|0",   "0,1|4",   "0,4|1",   "1,4|0",   "0,1|3",   "0,3|1",   "1,3|0",   "0,1|2",   "0,2|1",   "1,2|0",
    "3,4",     "2,4",     "2,3",     "1,4",     "1,3",     "1,2",     "0,4",     "0,3",     "0,2",     "0,1"};

TEST(ElementaryTable, RowsFollowTheListedOrderAndCoefficientRule) {
  for (int p = 0; p < elementary_count; ++p) {
    const ElementaryTriple& t = elementary_triples[static_cast<std::size_t>(p)];
    std::string name = std::to_string(t.a) + "," + std::to_string(t.b);
    if (t.k_mask != 0) {
      name += "|";
      for (int c = 0; c < ground_size; ++c) {
        if ((t.k_mask >> c) & 1U) name += static_cast<char>('0' + c);
      }
    }
    ASSERT_EQ(name, listed_rows[p]) << "row " << p;

    // Coefficients straight from the definition of a,b|K.
    SetFunction expected{};
    const unsigned a = 1U << t.a;
    const unsigned b = 1U << t.b;
    const std::pair<unsigned, int> terms[] = {
        {t.k_mask | a | b, 1}, {t.k_mask, 1}, {t.k_mask | a, -1}, {t.k_mask | b, -1}};
    for (const auto& [mask, coefficient] : terms) {
      const int s = subset_index_of_mask(mask);
      if (s >= 0) expected[static_cast<std::size_t>(s)] += coefficient;
    }
    EXPECT_EQ(elementary_table[static_cast<std::size_t>(p)], expected) << "row " << p;

    int sum = 0;
    for (const int c : elementary_table[static_cast<std::size_t>(p)]) sum += c;
    const int k_size = std::popcount(t.k_mask);
    EXPECT_EQ(sum, k_size >= 2 ? 0 : (k_size == 1 ? -1 : 1)) << "row " << p;
  }
}

TEST(ElementaryTable, ListedCheckRows) {
  const auto& e = elementary_table;
  const auto nonzero = [&](int p) {
    std::ostringstream out;
    for (int s = 0; s < subset_count; ++s) {
      if (e[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)] != 0) {
        out << s << ":" << e[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)] << " ";
      }
    }
    return out.str();
  };
  EXPECT_EQ(nonzero(0), "10:1 20:-1 21:-1 25:1 ");
  EXPECT_EQ(nonzero(40), "8:-1 9:-1 19:1 ");
  EXPECT_EQ(nonzero(79), "0:1 ");
  EXPECT_EQ(nonzero(70), "9:1 ");
  EXPECT_EQ(nonzero(9), "19:1 23:-1 24:-1 25:1 ");
}

TEST(InnerProduct, WrapsModulo2To32AndAgreesWithSparseRows) {
  SetFunction values{};
  values[10] = 999999999;
  values[25] = 999999999;
  values[20] = -99999999;
  values[21] = -99999999;
  // True sum on row 0 is 2,199,999,996; wrapped it is that minus 2^32.
  EXPECT_EQ(inner_product(values, elementary_table[0]), static_cast<std::int32_t>(2199999996LL - 4294967296LL));
  std::array<std::int64_t, subset_count> wide{};
  std::copy(values.begin(), values.end(), wide.begin());
  EXPECT_EQ(exact_imset_values(wide)[0], 2199999996LL);
  SetFunction extremes{};
  extremes.fill(std::numeric_limits<std::int32_t>::min());
  extremes[3] = std::numeric_limits<std::int32_t>::max();
  extremes[24] = -7;
  const ImsetValues sparse = imset_values(extremes);
  const std::array<std::int32_t, elementary_count> small = exact_imset_values(SetFunction{1, -2, 3, 0, 5, 8, -13});
  for (std::size_t p = 0; p < elementary_count; ++p) {
    EXPECT_EQ(sparse[p], inner_product(extremes, elementary_table[p])) << "row " << p;
    EXPECT_EQ(small[p], inner_product(SetFunction{1, -2, 3, 0, 5, 8, -13}, elementary_table[p])) << "row " << p;
  }
}

TEST(SubsetImage, RowsAreOneToOneKeepingSizeInLexicographicOrder) {
  for (std::size_t j = 0; j < renaming_count; ++j) {
    std::set<int> images;
    for (int s = 0; s < subset_count; ++s) {
      const int image = subset_image[j][static_cast<std::size_t>(s)];
      images.insert(image);
      EXPECT_EQ(std::popcount(subset_masks[static_cast<std::size_t>(image)]),
                std::popcount(subset_masks[static_cast<std::size_t>(s)]));
    }
    EXPECT_EQ(images.size(), 26U) << "row " << j;
  }
  for (int s = 0; s < subset_count; ++s) EXPECT_EQ(subset_image[0][static_cast<std::size_t>(s)], s);
  // Row 1 exchanges elements 3 and 4.
  EXPECT_EQ(subset_image[1][2], 3);
  EXPECT_EQ(subset_image[1][7], 8);
  EXPECT_EQ(subset_image[1][9], 9);
  EXPECT_EQ(subset_image[1][20], 21);
  // Row 119 reverses the ground set.
  EXPECT_EQ(subset_image[119][0], 9);
  EXPECT_EQ(subset_image[119][10], 19);
}

TEST(RowImage, CarriesImsetValuesToTheRenamedRecord) {
  SetFunction record{};
  for (std::size_t k = 0; k < subset_count; ++k) record[k] = static_cast<std::int32_t>(k * k * 7 + 3 * k + 1);
  const ImsetValues of_record = imset_values(record);
  for (std::size_t j = 0; j < renaming_count; ++j) {
    const ImsetValues of_renamed = imset_values(renamed_values(record, j));
    std::set<int> rows;
    for (std::size_t p = 0; p < elementary_count; ++p) {
      rows.insert(row_image[j][p]);
      EXPECT_EQ(of_renamed[row_image[j][p]], of_record[p]) << "renaming " << j << " row " << p;
    }
    EXPECT_EQ(rows.size(), 80U);
  }
}

// The zero rows of a renamed record are the record's zero rows renamed; the
// search relies on it to test renamings without forming them.
TEST(RowSet, ZeroRowsOfARenamedRecordAreTheRenamedZeroRows) {
  SetFunction pair_record{};  // 1 on {0,1}: zero at all but ten rows
  pair_record[0] = 1;
  const RowSet zeros = vanishing_rows(pair_record);
  EXPECT_EQ(zeros.size(), 70);
  std::vector<int> nonzero;
  (RowSet::all() - zeros).for_each([&](int p) { nonzero.push_back(p); });
  EXPECT_EQ(nonzero, (std::vector<int>{22, 28, 34, 62, 63, 65, 66, 68, 69, 79}));
  for (std::size_t j = 0; j < renaming_count; ++j) {
    EXPECT_EQ(renamed_rows(zeros, j), vanishing_rows(renamed_values(pair_record, j))) << "renaming " << j;
  }
  RowSet some;
  some.insert(79);
  some.insert(3);
  EXPECT_TRUE(some.is_subset_of(zeros | some));
  EXPECT_FALSE(some.is_subset_of(zeros));
  EXPECT_EQ(some.words32(), (std::array<std::uint32_t, 3>{8U, 0U, 1U << 15}));
}

}  // namespace
