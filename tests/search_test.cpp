#include <gtest/gtest.h>

#include <memory>

#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "search/search.h"
#include "search/tested_patterns.h"
#include "search/vector_columns.h"

namespace {

using namespace imset;

// One vector asking for imset value 79 (0,1 with K empty) to be nonzero,
// nothing else; the record 5 on {0,1} satisfies it as read.
VectorSet one_vector(int nonzero_row) {
  VectorSet vectors;
  vectors.count = 1;
  vectors.codes[0].fill(code_any);
  vectors.codes[0][static_cast<std::size_t>(nonzero_row)] = code_nonzero;
  return vectors;
}

Record record_with(std::size_t subset, std::int32_t value) {
  Record record;
  record.number = 1;
  record.values[subset] = value;
  return record;
}

TEST(Search, EachPreparedSearchStartsWithNoPatternTested) {
  Matches matches;
  const auto search = std::make_unique<Search>();
  const VectorSet asks_79 = one_vector(79);
  for (int run = 0; run < 3; ++run) {
    search->prepare(asks_79);
    EXPECT_TRUE(search->search(record_with(0, 5), matches)) << "search " << run;
    EXPECT_EQ(search->found_count(), 1);
    // The record as read (renaming 0) matches vector 1, and only that is
    // handed back: the list starts empty for each record.
    ASSERT_EQ(matches.count(), 1);
    EXPECT_EQ(matches.begin()->vector_index, 0);
    EXPECT_EQ(matches.begin()->renaming, 0);
  }
  // Within one search, a record whose pattern was searched is passed over,
  // and a renaming of it too: 5 on {3,4} has the renamed pattern.
  const VectorSet asks_0 = one_vector(0);  // 3,4|012: zero for every renaming of the record
  search->prepare(asks_0);
  EXPECT_FALSE(search->search(record_with(0, 5), matches));
  EXPECT_FALSE(search->search(record_with(9, 5), matches));
  EXPECT_EQ(matches.count(), 0);
  EXPECT_EQ(search->found_count(), 0);
}

TEST(TestedPatterns, RemembersWithinASearchAndForgetsAcrossSearches) {
  TestedPatterns tested;
  RowSet a;
  a.insert(5);
  RowSet b = a;
  b.insert(70);
  EXPECT_TRUE(tested.insert(a));
  EXPECT_FALSE(tested.insert(a));
  EXPECT_TRUE(tested.contains(a));
  EXPECT_FALSE(tested.contains(b));
  EXPECT_TRUE(tested.insert(b));
  EXPECT_TRUE(tested.insert(RowSet{}));
  EXPECT_TRUE(tested.insert(RowSet::all()));
  tested.start_search();
  EXPECT_FALSE(tested.contains(a));
  EXPECT_FALSE(tested.contains(RowSet::all()));
  EXPECT_TRUE(tested.insert(a));
}

TEST(VectorColumns, SatisfiesAndDropsFoundVectors) {
  VectorColumns columns;
  RowSet zero_at_3;
  zero_at_3.insert(3);
  RowSet nonzero_at_75;
  nonzero_at_75.insert(75);
  columns.add(0, zero_at_3, RowSet{});      // row 3 zero
  columns.add(4, RowSet{}, nonzero_at_75);  // row 75 nonzero
  columns.add(7, zero_at_3, nonzero_at_75);
  RowSet zeros = zero_at_3;
  EXPECT_EQ(columns.satisfied_count(zeros), 3);
  zeros.insert(75);
  EXPECT_EQ(columns.satisfied_count(zeros), 1);
  EXPECT_TRUE(columns.satisfies(zeros.words32(), 0));
  EXPECT_FALSE(columns.satisfies(zeros.words32(), 2));
  std::array<bool, max_vectors> found{};
  found[4] = true;
  columns.drop_found(found);
  ASSERT_EQ(columns.count(), 2);
  EXPECT_EQ(columns.index(0), 0);
  EXPECT_EQ(columns.index(1), 7);
  EXPECT_EQ(columns.satisfied_count(zero_at_3), 2);
}

}  // namespace
