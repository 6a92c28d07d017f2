// The closure computed from the rays (the cone's vertices) against the
// cone's inequalities, decided by an exact LP for every statement outside
// the "+" statements of seeded random queries.
#include <gtest/gtest.h>

#include <random>

#include "support/cone_lp.h"

#include "query/answer.h"
#include "query/ray_index.h"
#include "query/statement.h"
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
    // rows of one ray, so that the closure is not everything. One "-"
    // statement in three is a set statement.
    QueryRows query;
    const RowSet& aim = index.ray(random() % index.size()).zeros;
    for (int k = static_cast<int>(random() % 16); k > 0; --k) {
      const int p = static_cast<int>(random() % elementary_count);
      if (i % 2 == 0 || aim.contains(p)) query.held.insert(p);
    }
    for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) {
      const int p = static_cast<int>(random() % elementary_count);
      // A statement with one more element in its first set, where there is one.
      const imset::ci::Statement s = row_statement(p);
      const imset::ci::Mask spare = imset::full_mask & ~s.elements();
      query.failing.push_back(k % 3 == 0 && spare != 0
                                  ? part_rows(imset::ci::make_statement(s.a | (spare & (0U - spare)), s.b, s.c))
                                  : RowSet::of(p));
    }
    Answer answer;
    answerer.answer(query, true, answer);
    RowSet lp_closure = query.held;
    for (int q = 0; q < elementary_count; ++q) {
      if (query.held.contains(q)) continue;
      const bool lp_implies = lp.implies(query.held, q);
      EXPECT_EQ(answer.implied.contains(q), lp_implies) << "query " << i << ", row " << q;
      (lp_implies ? implied : not_implied) += 1;
      if (lp_implies) lp_closure.insert(q);
    }
    const bool lp_structural =
        std::ranges::none_of(query.failing, [&](const RowSet& g) { return g.is_subset_of(lp_closure); });
    EXPECT_EQ(answer.structural, lp_structural) << "query " << i;
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
