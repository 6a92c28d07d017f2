#include <gtest/gtest.h>

#include <cstring>

#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "search/search.h"
#include "tables/tables.h"

namespace {

using namespace imset;

// One vector asking for imset value 79 (0,1 with K empty) to be nonzero,
// nothing else; the record 5 on {0,1} satisfies it as read.
void one_vector_and_record() {
  vector_set = VectorSet{};
  vector_set.count = 1;
  vector_set.codes[0].fill(code_any);
  vector_set.codes[0][79] = code_nonzero;
  token_slots = TokenSlots{};
  token_values = {};
  std::memcpy(token_slots[0].data(), "5", 2);
  token_values[0] = 5;
}

TEST(Search, EachPreparedSearchStartsWithNoPatternTested) {
  ASSERT_TRUE(build_permutation_map());
  for (int search = 0; search < 3; ++search) {
    one_vector_and_record();
    prepare_search();
    EXPECT_TRUE(process_record()) << "search " << search;
    EXPECT_EQ(vector_set.found_count, 1);
  }
  // Within one search, a record whose pattern was searched is passed over,
  // and a renaming of it too: 5 on {3,4} has the renamed pattern.
  one_vector_and_record();
  vector_set.codes[0].fill(code_any);
  vector_set.codes[0][0] = code_nonzero;  // 3,4|012: zero for every renaming of the record
  prepare_search();
  EXPECT_FALSE(process_record());
  std::memcpy(token_slots[0].data(), "0", 2);
  token_values[0] = 0;
  std::memcpy(token_slots[9].data(), "5", 2);
  token_values[9] = 5;
  EXPECT_FALSE(process_record());
  EXPECT_EQ(vector_set.found_count, 0);
}

}  // namespace
