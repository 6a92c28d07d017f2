// Answers from the shipped ray types: known facts of conditional
// independence, and the fast paths against a plain scan of every ray.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "query/answer.h"
#include "query/maximal.h"
#include "query/query.h"
#include "query/ray_index.h"
#include "query/statement.h"
#include "tables/imsets.h"

namespace {

using namespace imset::query;
using imset::RowSet;
using imset::ci::Statement;
using imset::ci::Variables;

const RayIndex& shipped() {
  static const RayIndex index = [] {
    RayIndex loaded;
    std::string error;
    if (!load_rays(IMSET_DATA_DIR "/extreme-rays-types.txt", loaded, error)) ADD_FAILURE() << error;
    return loaded;
  }();
  return index;
}

QueryRows rows_of(const std::string& line) {
  Query query;
  QueryError error;
  Variables variables;
  EXPECT_EQ(parse_query_line(line, variables, query, error), LineKind::query) << error.message;
  return query_rows(query);
}

Answer answer_to(const std::string& line, bool full = true) {
  Answerer answerer(shipped());
  Answer answer;
  answerer.answer(rows_of(line), full, answer);
  return answer;
}

TEST(RayIndex, ShippedTypesExpandToEveryRay) {
  EXPECT_EQ(shipped().record_count(), 1319U);
  EXPECT_EQ(shipped().size(), 117978U);
  EXPECT_EQ(shipped().record_number(0), 1);
  EXPECT_EQ(shipped().ray(0).renaming, 0);
}

TEST(Answer, SemigraphoidRulesAndTheirLimits) {
  // Contraction and decomposition: 0,1 and 0,2|1 give 0,2, and 0,12 as a
  // whole.
  const Answer contraction = answer_to("+0,1 +0,2|1 -0,2");
  EXPECT_FALSE(contraction.structural);
  EXPECT_EQ(contraction.forced, std::vector<std::size_t>{0});
  EXPECT_EQ(contraction.ray, no_ray);
  EXPECT_TRUE(contraction.witness.empty());
  EXPECT_TRUE(rows_of("+0,12").held.is_subset_of(answer_to("+0,1 +0,2|1").implied));
  EXPECT_FALSE(answer_to("+0,1 +0,2|1 -0,12").structural);
  // Weak union: 0,12 gives 0,1|2, but not the reverse.
  EXPECT_FALSE(answer_to("+0,12 -0,1|2").structural);
  EXPECT_TRUE(answer_to("+0,1|2 -0,12").structural);

  // Intersection can fail, and so can marginal or conditional independence
  // alone; each has a single-ray witness among the types.
  for (const char* line : {"+0,1|2 +0,2|1 -0,1", "+0,1|2 -0,1", "+0,1 -0,1|2", "+0,1|2 +0,2|1 -0,12"}) {
    const Answer answer = answer_to(line);
    EXPECT_TRUE(answer.structural) << line;
    ASSERT_NE(answer.ray, no_ray) << line;
    EXPECT_TRUE(realises(shipped(), {answer.ray}, rows_of(line))) << line;
    EXPECT_TRUE(realises(shipped(), answer.witness, rows_of(line))) << line;
  }
}

TEST(Answer, EveryStatementFailingHasAModelButNoSingleRay) {
  // m(S) = C(|S|, 2) has all 80 products equal to 1, yet no extreme ray is
  // nonzero everywhere.
  std::string all_fail;
  for (int p = 0; p < imset::elementary_count; ++p) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about
    // "-" + std::string (-Wrestrict, GCC bug 105329).
    all_fail.append("-").append(row_name(p)).append(" ");
  }
  const Answer answer = answer_to(all_fail);
  EXPECT_TRUE(answer.structural);
  EXPECT_EQ(answer.ray, no_ray);
  EXPECT_GE(answer.witness.size(), 2U);
  EXPECT_TRUE(realises(shipped(), answer.witness, rows_of(all_fail)));
}

// The closure, the first ray and structural answers straight from their
// definitions, ray by ray.
struct Plain {
  RowSet closure = RowSet::all();
  std::uint32_t ray = no_ray;
};

bool fails_in(const RowSet& group, const RowSet& zeros) { return !group.is_subset_of(zeros); }

Plain plain_answer(const QueryRows& query) {
  Plain plain;
  for (std::uint32_t r = 0; r < shipped().size(); ++r) {
    const RowSet& zeros = shipped().ray(r).zeros;
    if (!query.held.is_subset_of(zeros)) continue;
    plain.closure = plain.closure & zeros;
    if (plain.ray == no_ray &&
        std::ranges::all_of(query.failing, [&](const RowSet& g) { return fails_in(g, zeros); })) {
      plain.ray = r;
    }
  }
  return plain;
}

Statement random_statement(std::mt19937& random, bool elementary) {
  if (elementary) return row_statement(static_cast<int>(random() % imset::elementary_count));
  while (true) {
    Statement s;
    for (int e = 0; e < imset::ground_size; ++e) {
      const auto bit = imset::ci::Mask{1} << e;
      const auto place = random() % 4;
      (place == 1 ? s.a : place == 2 ? s.b : place == 3 ? s.c : s.a) |= place == 0 ? 0 : bit;
    }
    if (s.a != 0 && s.b != 0) return imset::ci::make_statement(s.a, s.b, s.c);
  }
}

TEST(Answer, AgreesWithAPlainScanOnSeededQueries) {
  std::mt19937 random(20261208);
  Answerer answerer(shipped());
  Answer answer;
  int listed = 0;
  int dense = 0;
  for (int i = 0; i < 300; ++i) {
    // Half the time the "+" statements hold in one ray, so that candidates
    // remain; a third of the statements are set statements.
    Query query;
    const RowSet& aim = shipped().ray(random() % shipped().size()).zeros;
    for (int k = static_cast<int>(random() % 16); k > 0; --k) {
      const Statement s = random_statement(random, random() % 3 != 0);
      if (i % 2 == 0 || part_rows(s).is_subset_of(aim)) query.holds.push_back(s);
    }
    for (int k = static_cast<int>(random() % 6); k > 0; --k)
      query.fails.push_back(random_statement(random, random() % 3 != 0));
    const QueryRows rows = query_rows(query);
    const std::string shown = query_text(query, Variables());
    const Plain plain = plain_answer(rows);
    std::vector<std::size_t> forced;
    for (std::size_t f = 0; f < rows.failing.size(); ++f) {
      if (rows.failing[f].is_subset_of(plain.closure)) forced.push_back(f);
    }
    for (const bool full : {true, false}) {
      answerer.answer(rows, full, answer);
      if (full) {
        EXPECT_EQ(answer.implied, plain.closure) << shown;
      }
      EXPECT_EQ(answer.forced, forced) << shown;
      EXPECT_EQ(answer.structural, forced.empty()) << shown;
      EXPECT_EQ(answer.ray, plain.ray) << shown;
      if (answer.structural) {
        EXPECT_TRUE(realises(shipped(), answer.witness, rows)) << shown;
      }
    }
    std::size_t candidates = 0;
    for (std::uint32_t r = 0; r < shipped().size(); ++r)
      candidates += rows.held.is_subset_of(shipped().ray(r).zeros) ? 1 : 0;
    (candidates <= listed_candidates_limit ? listed : dense) += 1;
  }
  // Both ways of answering were taken often.
  EXPECT_GT(listed, 50);
  EXPECT_GT(dense, 50);
}

TEST(Answer, AFailingSetStatementIsAFailingPartAnswered) {
  // -S has a model exactly when -p has one for some part p of S.
  std::mt19937 random(5);
  for (int i = 0; i < 200; ++i) {
    std::string given;
    for (int k = static_cast<int>(random() % 8); k > 0; --k) {
      given.append("+")
          .append(imset::ci::statement_text(random_statement(random, k % 2 == 0), Variables()))
          .append(" ");
    }
    const Statement s = random_statement(random, false);
    bool some_part = false;
    const RowSet held = given.empty() ? RowSet{} : rows_of(given).held;
    part_rows(s).for_each([&](int p) {
      // A part among the given ones cannot fail.
      if (!held.contains(p)) some_part |= answer_to(given + "-" + row_name(p), false).structural;
    });
    const std::string line = given + "-" + imset::ci::statement_text(s, Variables());
    Query query;
    QueryError error;
    Variables variables;
    if (parse_query_line(line, variables, query, error) != LineKind::query) continue;  // asked to hold and to fail
    EXPECT_EQ(answer_to(line, false).structural, some_part) << line;
  }
}

TEST(Maximal, ListsExactlyTheHoldingStatementsNoOtherContains) {
  // Every statement over five elements, from its definition: its parts
  // are all in the zero rows, and no holding statement has more parts.
  std::vector<std::pair<Statement, RowSet>> all;
  for (int code = 0; code < 1024; ++code) {
    Statement s;
    for (int e = 0; e < 5; ++e) {
      const int place = (code >> (2 * e)) & 3;
      (place == 1 ? s.a : place == 2 ? s.b : s.c) |= place == 0 ? 0U : 1U << e;
    }
    if (s.a != 0 && s.b != 0 && imset::ci::make_statement(s.a, s.b, s.c) == s) all.emplace_back(s, part_rows(s));
  }
  ASSERT_EQ(all.size(), 285U);
  std::mt19937 random(3);
  for (int i = 0; i < 60; ++i) {
    const RowSet zeros = shipped().ray(random() % shipped().size()).zeros;
    const imset::ci::Mask ground = i % 3 == 0 ? 0b00111U : 0b11111U;
    std::vector<Statement> expected;
    for (const auto& [s, parts] : all) {
      if ((s.elements() & ~ground) != 0 || !parts.is_subset_of(zeros)) continue;
      const bool contained = std::ranges::any_of(all, [&](const auto& other) {
        return (other.first.elements() & ~ground) == 0 && other.second.is_subset_of(zeros) &&
               parts.is_subset_of(other.second) && parts != other.second;
      });
      if (!contained) expected.push_back(s);
    }
    std::ranges::sort(expected, written_before);
    EXPECT_EQ(maximal_statements(zeros, ground), expected);
  }
}

}  // namespace
