// The LP engine against an independent engine, the closures from the
// shipped extreme rays over five variables, on seeded random premises.
// Over fewer variables the rays still answer: a supermodular function on
// {0..n-1} extends to {0..4} with the same products (m(S) = m(S ∩ {0..n-1})),
// so statements over {0..n-1} have the same implications inside five.
// Every certificate and model the engine returns is checked again here.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lp/check.h"
#include "lp/engine.h"
#include "query/answer.h"
#include "query/ray_index.h"
#include "query/statement.h"
#include "tables/imsets.h"

namespace {

using imset::RowSet;
using imset::ci::Mask;
using imset::ci::Statement;
using namespace imset::lp;
namespace query = imset::query;

const query::RayIndex& shipped() {
  static const query::RayIndex index = [] {
    query::RayIndex loaded;
    std::string error;
    if (!query::load_rays(IMSET_DATA_DIR "/extreme-rays-types.txt", loaded, error)) ADD_FAILURE() << error;
    return loaded;
  }();
  return index;
}

int row_of(const Statement& elementary) { return imset::row_of_triple(elementary.a | elementary.b, elementary.c); }

// A random statement over {0..n-1}: each element left out, or put into A, B
// or C; one in three elementary.
Statement random_statement(int n, std::mt19937& random) {
  for (;;) {
    Mask sides[3] = {0, 0, 0};
    const bool elementary = random() % 3 == 0;
    for (int i = 0; i < n; ++i) {
      const unsigned where = random() % 4;
      if (where < 3 && !(elementary && where < 2 && sides[where] != 0)) sides[where] |= Mask{1} << i;
    }
    if (sides[0] != 0 && sides[1] != 0) return imset::ci::make_statement(sides[0], sides[1], sides[2]);
  }
}

// Premises over {0..n-1}; half the time only statements holding in one
// ray, so that the closure is not everything.
std::vector<Statement> random_premises(int n, std::mt19937& random) {
  const RowSet& aim = shipped().ray(random() % shipped().size()).zeros;
  const bool aimed = random() % 2 == 0;
  std::vector<Statement> premises;
  for (int k = static_cast<int>(random() % 6); k > 0; --k) {
    const Statement s = random_statement(n, random);
    if (!aimed || query::part_rows(s).is_subset_of(aim)) premises.push_back(s);
  }
  return premises;
}

RowSet held_rows(const std::vector<Statement>& premises) {
  RowSet held;
  for (const Statement& s : premises) held = held | query::part_rows(s);
  return held;
}

struct Counts {
  int implied = 0;
  int refuted = 0;
  int structural = 0;
  int forced = 0;
};

// The closure and a structural question at n variables, against the rays.
void compare(Engine& engine, const std::vector<Statement>& premises, const std::vector<Statement>& failing,
             const std::string& where, Counts& counts) {
  const int n = engine.ground().n();
  const RowSet within = query::rows_within((Mask{1} << n) - 1);
  query::Answerer answerer(shipped());
  query::Answer rays;
  query::QueryRows rows{held_rows(premises), {}};
  for (const Statement& s : failing) rows.failing.push_back(query::part_rows(s));
  answerer.answer(rows, true, rays);

  const Closure closure = engine.closure(premises);
  ASSERT_FALSE(closure.timed_out) << where;
  RowSet lp_implied;
  for (int e = 0; e < engine.ground().elementary_count(); ++e) {
    const Statement& u = engine.ground().elementary(e);
    if (closure.implied(e)) {
      lp_implied.insert(row_of(u));
      EXPECT_TRUE(check_certificate(n, closure.certificate(engine.ground(), e), premises, u)) << where;
      ++counts.implied;
    } else {
      ASSERT_NE(closure.witness(e), nullptr) << where;
      EXPECT_TRUE(check_model(n, *closure.witness(e), premises, std::vector<Statement>{u})) << where;
      ++counts.refuted;
    }
  }
  EXPECT_EQ(lp_implied, rays.implied & within) << where;

  const Structural answer = engine.structural(premises, failing);
  EXPECT_EQ(answer.verdict == Verdict::not_implied, rays.structural) << where;
  EXPECT_EQ(answer.forced, rays.forced) << where;
  if (answer.witness) {
    EXPECT_TRUE(check_model(n, *answer.witness, premises, failing)) << where;
    ++counts.structural;
  }
  for (std::size_t i = 0; i < answer.forced.size(); ++i) {
    const std::vector<int> parts = engine.ground().parts(failing[answer.forced[i]]);
    ASSERT_EQ(answer.certificates[i].size(), parts.size()) << where;
    for (std::size_t j = 0; j < parts.size(); ++j) {
      EXPECT_TRUE(check_certificate(n, answer.certificates[i][j], premises, engine.ground().elementary(parts[j])))
          << where;
    }
    ++counts.forced;
  }
}

// Which answers a test takes: every route in turn, or only one exact route
// (as when every floating proposal fails its check).
enum class Routes { all, basis_only, rational_simplex_only };

void agree_over(int n, int queries, unsigned seed, Routes routes = Routes::all) {
  Engine engine(n);
  engine.skip_floating_proposals(routes != Routes::all);
  engine.skip_basis_solve(routes == Routes::rational_simplex_only);
  std::mt19937 random(seed);
  Counts counts;
  for (int q = 0; q < queries; ++q) {
    const std::vector<Statement> premises = random_premises(n, random);
    std::vector<Statement> failing;
    for (int k = 1 + static_cast<int>(random() % 3); k > 0; --k) failing.push_back(random_statement(n, random));
    compare(engine, premises, failing, "n " + std::to_string(n) + ", query " + std::to_string(q), counts);
    if (testing::Test::HasFatalFailure()) return;
  }
  // Both kinds of answer were exercised.
  EXPECT_GT(counts.implied, queries);
  EXPECT_GT(counts.refuted, queries);
  EXPECT_GT(counts.structural, queries / 10);
  EXPECT_GT(counts.forced, queries / 10);
  const Stats& stats = engine.stats();
  EXPECT_EQ(stats.unanswered_lps, 0);
  if (routes == Routes::basis_only) {
    EXPECT_EQ(stats.models_basis + stats.certificates_basis, stats.lps);
    EXPECT_GT(stats.models_basis, 0);
    EXPECT_GT(stats.certificates_basis, 0);
  }
  if (routes == Routes::rational_simplex_only) {
    EXPECT_EQ(stats.models_exact + stats.certificates_exact, stats.lps);
  }
  std::printf(
      "n %d: %ld seeded models, %ld LPs, %ld models and %ld certificates from floating optima, %ld from bases solved "
      "exactly, %ld rational runs\n",
      n, stats.models_seeded, stats.lps, stats.models_float, stats.certificates_float,
      stats.models_basis + stats.certificates_basis, stats.exact_runs);
}

TEST(RaysAgreement, FiveVariables) { agree_over(5, 300, 11); }
TEST(RaysAgreement, FourVariablesEmbedded) { agree_over(4, 150, 12); }
TEST(RaysAgreement, ThreeVariablesEmbedded) { agree_over(3, 100, 13); }
// The exact routes' answers alone, as when every floating proposal fails
// its check: the final basis solved in rationals, and the rational simplex.
TEST(RaysAgreement, BasisSolvedExactlyAlone) { agree_over(5, 60, 15, Routes::basis_only); }
TEST(RaysAgreement, RationalRouteAlone) { agree_over(4, 40, 14, Routes::rational_simplex_only); }

}  // namespace
