// The closure computed from the rays (the cone's vertices) against the
// cone's inequalities, decided by an exact LP for every statement outside
// the "+" statements of seeded random queries.
#include <gtest/gtest.h>

#include <random>

#include "support/cone_lp.h"

#include "query/answer.h"
#include "query/ray_index.h"
#include "tables/imsets.h"

namespace {

using namespace imset::query;
using imset::elementary_count;
using imset::RowSet;
using imset::testing::ConeLp;

TEST(LpAgreement, ClosureAndStructuralAnswersMatchTheExactLp) {
  RayIndex index;
  std::string error;
  ASSERT_TRUE(load_rays(IMSET_DATA_DIR "/extreme-rays-types.txt", index, error)) << error;
  Answerer answerer(index);
  ConeLp lp;
  std::mt19937 random(4711);
  int implied = 0;
  int not_implied = 0;
  int structural = 0;
  const int queries = 150;
  for (int i = 0; i < queries; ++i) {
    // 0 to 15 "+" statements; half the queries take them among the zero
    // rows of one ray, so that the closure is not everything.
    Query query;
    const RowSet& aim = index.ray(random() % index.size()).zeros;
    for (int k = static_cast<int>(random() % 16); k > 0; --k) {
      const int p = static_cast<int>(random() % elementary_count);
      if (i % 2 == 0 || aim.contains(p)) query.holds.insert(p);
    }
    for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) {
      const int p = static_cast<int>(random() % elementary_count);
      if (!query.holds.contains(p)) query.fails.insert(p);
    }
    Answer answer;
    answerer.answer(query, true, answer);
    bool lp_structural = true;
    for (int q = 0; q < elementary_count; ++q) {
      if (query.holds.contains(q)) continue;
      const bool lp_implies = lp.implies(query.holds, q);
      EXPECT_EQ(answer.implied.contains(q), lp_implies) << query_text(query) << ", row " << q;
      (lp_implies ? implied : not_implied) += 1;
      if (query.fails.contains(q) && lp_implies) lp_structural = false;
    }
    EXPECT_EQ(answer.structural, lp_structural) << query_text(query);
    structural += lp_structural ? 1 : 0;
  }
  std::printf("LP agreement: %d implied and %d not implied statements, %d of %d queries with a model\n", implied,
              not_implied, structural, queries);
  // Both kinds of statement and both structural answers must be common.
  EXPECT_GT(implied, 500);
  EXPECT_GT(not_implied, 500);
  EXPECT_GT(structural, queries / 10);
  EXPECT_GE(queries - structural, 5);
}

}  // namespace
