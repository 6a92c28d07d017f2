// Answers from the shipped ray types: known facts of conditional
// independence, and the fast paths against a plain scan of every ray.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "query/answer.h"
#include "query/query.h"
#include "query/ray_index.h"
#include "query/statement.h"
#include "tables/imsets.h"

namespace {

using namespace imset::query;
using imset::RowSet;

const RayIndex& shipped() {
  static const RayIndex index = [] {
    RayIndex loaded;
    std::string error;
    if (!load_rays(IMSET_DATA_DIR "/extreme-rays-types.txt", loaded, error)) ADD_FAILURE() << error;
    return loaded;
  }();
  return index;
}

Query query_of(const std::string& line) {
  Query query;
  QueryError error;
  EXPECT_EQ(parse_query_line(line, query, error), LineKind::query) << error.message;
  return query;
}

Answer answer_to(const std::string& line, bool full = true) {
  Answerer answerer(shipped());
  Answer answer;
  answerer.answer(query_of(line), full, answer);
  return answer;
}

TEST(RayIndex, ShippedTypesExpandToEveryRay) {
  EXPECT_EQ(shipped().record_count(), 1319U);
  EXPECT_EQ(shipped().size(), 117978U);
  EXPECT_EQ(shipped().record_number(0), 1);
  EXPECT_EQ(shipped().ray(0).renaming, 0);
}

TEST(Answer, SemigraphoidRulesAndTheirLimits) {
  // Contraction and decomposition: 0,1 and 0,2|1 give 0,2.
  const Answer contraction = answer_to("+0,1 +0,2|1 -0,2");
  EXPECT_FALSE(contraction.structural);
  EXPECT_EQ(query_text({contraction.forced, {}}), "+0,2");
  EXPECT_EQ(contraction.ray, no_ray);
  EXPECT_TRUE(contraction.witness.empty());
  EXPECT_TRUE(query_of("+0,1 +0,2|1 +0,2 +0,1|2").holds.is_subset_of(answer_to("+0,1 +0,2|1").implied));

  // Intersection can fail, and so can marginal or conditional independence
  // alone; each has a single-ray witness among the types.
  for (const char* line : {"+0,1|2 +0,2|1 -0,1", "+0,1|2 -0,1", "+0,1 -0,1|2"}) {
    const Answer answer = answer_to(line);
    EXPECT_TRUE(answer.structural) << line;
    ASSERT_NE(answer.ray, no_ray) << line;
    EXPECT_TRUE(realises(shipped(), {answer.ray}, query_of(line))) << line;
    EXPECT_TRUE(realises(shipped(), answer.witness, query_of(line))) << line;
  }
}

TEST(Answer, EveryStatementFailingHasAModelButNoSingleRay) {
  // m(S) = C(|S|, 2) has all 80 products equal to 1, yet no extreme ray is
  // nonzero everywhere.
  std::string all_fail;
  for (int p = 0; p < imset::elementary_count; ++p) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about
    // "-" + std::string (-Wrestrict, GCC bug 105329).
    all_fail.append("-").append(statement_name(p)).append(" ");
  }
  const Answer answer = answer_to(all_fail);
  EXPECT_TRUE(answer.structural);
  EXPECT_EQ(answer.ray, no_ray);
  EXPECT_GE(answer.witness.size(), 2U);
  EXPECT_TRUE(realises(shipped(), answer.witness, query_of(all_fail)));
}

// The closure, the first ray and structural answers straight from their
// definitions, ray by ray.
struct Plain {
  RowSet closure = RowSet::all();
  std::uint32_t ray = no_ray;
};

Plain plain_answer(const Query& query) {
  Plain plain;
  for (std::uint32_t r = 0; r < shipped().size(); ++r) {
    const RowSet& zeros = shipped().ray(r).zeros;
    if (!query.holds.is_subset_of(zeros)) continue;
    plain.closure = plain.closure & zeros;
    if (plain.ray == no_ray && !query.fails.intersects(zeros)) plain.ray = r;
  }
  return plain;
}

TEST(Answer, AgreesWithAPlainScanOnSeededQueries) {
  std::mt19937 random(20261208);
  Answerer answerer(shipped());
  Answer answer;
  int listed = 0;
  int dense = 0;
  for (int i = 0; i < 300; ++i) {
    // Half the time the "+" statements are zero rows of one ray, so that
    // candidates remain; the "-" statements are drawn from all rows.
    Query query;
    const RowSet& aim = shipped().ray(random() % shipped().size()).zeros;
    const int holds = static_cast<int>(random() % 16);
    for (int k = 0; k < holds; ++k) {
      const int p = static_cast<int>(random() % 80);
      if (i % 2 == 0 || aim.contains(p)) query.holds.insert(p);
    }
    for (int k = static_cast<int>(random() % 6); k > 0; --k) {
      const int p = static_cast<int>(random() % 80);
      if (!query.holds.contains(p)) query.fails.insert(p);
    }
    const Plain plain = plain_answer(query);
    for (const bool full : {true, false}) {
      answerer.answer(query, full, answer);
      const std::string shown = query_text(query);
      if (full) {
        EXPECT_EQ(answer.implied, plain.closure) << shown;
      }
      EXPECT_EQ(answer.forced, query.fails & plain.closure) << shown;
      EXPECT_EQ(answer.structural, !query.fails.intersects(plain.closure)) << shown;
      EXPECT_EQ(answer.ray, plain.ray) << shown;
      if (answer.structural) {
        EXPECT_TRUE(realises(shipped(), answer.witness, query)) << shown;
      }
    }
    std::size_t candidates = 0;
    for (std::uint32_t r = 0; r < shipped().size(); ++r)
      candidates += query.holds.is_subset_of(shipped().ray(r).zeros) ? 1 : 0;
    (candidates <= listed_candidates_limit ? listed : dense) += 1;
  }
  // Both ways of answering were taken often.
  EXPECT_GT(listed, 50);
  EXPECT_GT(dense, 50);
}

}  // namespace
