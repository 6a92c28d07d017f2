// The LP engine on facts small enough to know by hand, and its checkers
// against answers broken on purpose.
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <stdexcept>
#include <vector>

#include "lp/check.h"
#include "lp/engine.h"
#include "lp/exact_system.h"

namespace {

using imset::ci::Mask;
using imset::ci::Statement;
using namespace imset::lp;

Statement st(Mask a, Mask b, Mask c = 0) { return imset::ci::make_statement(a, b, c); }
constexpr Mask bit(int i) { return Mask{1} << i; }

TEST(Engine, ContractionAndDecompositionAreProved) {
  Engine engine(3);
  // 0 ⊥ 1 and 0 ⊥ 2 | 1 give 0 ⊥ 2.
  const std::vector<Statement> premises{st(bit(0), bit(1)), st(bit(0), bit(2), bit(1))};
  const Structural answer = engine.implies(premises, st(bit(0), bit(2)));
  ASSERT_EQ(answer.verdict, Verdict::implied);
  ASSERT_EQ(answer.certificates.size(), 1U);
  ASSERT_EQ(answer.certificates[0].size(), 1U);
  EXPECT_TRUE(check_certificate(3, answer.certificates[0][0], premises, st(bit(0), bit(2))));
}

TEST(Engine, IntersectionFailsWithAModel) {
  Engine engine(3);
  const std::vector<Statement> premises{st(bit(0), bit(1), bit(2)), st(bit(0), bit(2), bit(1))};
  const Statement target = st(bit(0), bit(1));
  const Structural answer = engine.implies(premises, target);
  ASSERT_EQ(answer.verdict, Verdict::not_implied);
  ASSERT_TRUE(answer.witness);
  EXPECT_TRUE(check_model(3, *answer.witness, premises, std::vector<Statement>{target}));
}

// m(S) = C(|S|,2): every elementary product is 1.
Values pairs_function(int n) {
  Values m(std::size_t{1} << n);
  for (std::size_t s = 0; s < m.size(); ++s) {
    const int k = std::popcount(s);
    m[s] = k * (k - 1) / 2;
  }
  return m;
}

std::vector<Statement> every_elementary(int n) {
  std::vector<Statement> all;
  const Ground ground(n);
  all.reserve(static_cast<std::size_t>(ground.elementary_count()));
  for (int e = 0; e < ground.elementary_count(); ++e) all.push_back(ground.elementary(e));
  return all;
}

TEST(CheckModel, RejectsEachBrokenCondition) {
  const std::vector<Statement> none;
  const std::vector<Statement> all = every_elementary(4);
  Values m = pairs_function(4);
  ASSERT_TRUE(check_model(4, m, none, all));
  // Not supermodular: the product of 0,1|23 becomes -1.
  Values broken = m;
  broken[0b1111] -= 2;
  EXPECT_FALSE(check_model(4, broken, none, none));
  // Not standardised: a singleton's value (the products do not see it).
  broken = m;
  broken[0b0100] = 1;
  for (std::size_t s = 0; s < broken.size(); ++s) {
    if ((s & 0b0100) != 0 && s != 0b0100) broken[s] += 1;
  }
  EXPECT_FALSE(check_model(4, broken, none, all));
  // A statement said to hold is nonzero; one said to fail is zero.
  EXPECT_FALSE(check_model(4, m, std::vector<Statement>{st(bit(0), bit(1), bit(2))}, none));
  EXPECT_FALSE(check_model(4, Values(16), none, std::vector<Statement>{st(bit(0), bit(1))}));
  // The wrong number of values.
  EXPECT_FALSE(check_model(3, m, none, none));
}

TEST(CheckCertificate, RejectsEachBrokenCondition) {
  Engine engine(3);
  const std::vector<Statement> premises{st(bit(0), bit(1)), st(bit(0), bit(2), bit(1))};
  const Statement target = st(bit(0), bit(2));
  const Structural answer = engine.implies(premises, target);
  ASSERT_EQ(answer.verdict, Verdict::implied);
  const Certificate good = answer.certificates[0][0];
  ASSERT_TRUE(check_certificate(3, good, premises, target));
  EXPECT_FALSE(check_certificate(3, good, premises, st(bit(0), bit(1), bit(2))));
  // A wrong coefficient breaks the identity.
  Certificate broken = good;
  ASSERT_FALSE(broken.y.empty());
  broken.y[0].coefficient += 1;
  EXPECT_FALSE(check_certificate(3, broken, premises, target));
  // The identity kept, but a z below zero: +u(e) and −u(e).
  const Statement other = st(bit(1), bit(2));
  broken = good;
  broken.z.push_back(Term{other, -1});
  broken.z.push_back(Term{other, 1});
  EXPECT_FALSE(check_certificate(3, broken, premises, target));
  // The identity kept, but k = 0: the target's term moved into z.
  broken = good;
  broken.z.push_back(Term{target, broken.k});
  broken.k = 0;
  EXPECT_FALSE(check_certificate(3, broken, premises, target));
  // The identity kept, but a y term on a part that is no premise.
  broken = good;
  broken.z.push_back(Term{other, 1});
  broken.y.push_back(Term{other, 1});
  EXPECT_FALSE(check_certificate(3, broken, premises, target));
  // Without the premise it leans on.
  EXPECT_FALSE(check_certificate(3, good, std::vector<Statement>{premises[0]}, target));
}

TEST(ExactSystem, SolvesInRationalsAndFindsSingularity) {
  // 2x + y = 1, x + 3y + z = 0, −y + 3z = 2, each row's entries out of
  // column order: x = 12/17, y = −7/17, z = 9/17, fractions no double holds.
  const std::vector<SparseRow> rows{{{1, 1}, {0, 2}}, {{2, 1}, {0, 1}, {1, 3}}, {{2, 3}, {1, -1}}};
  const std::vector<mpq_class> b{1, 0, 2};
  const auto x = solve_exactly(rows, b);
  ASSERT_TRUE(x);
  EXPECT_EQ(*x, (std::vector<mpq_class>{mpq_class(12, 17), mpq_class(-7, 17), mpq_class(9, 17)}));
  // The transpose: 2a + b = 0, a + 3b − c = 1, b + 3c = 0.
  const auto y = solve_exactly(transposed(rows), std::vector<mpq_class>{0, 1, 0});
  ASSERT_TRUE(y);
  EXPECT_EQ(*y, (std::vector<mpq_class>{mpq_class(-3, 17), mpq_class(6, 17), mpq_class(-2, 17)}));
  // The third row made the sum of the first two: no unique solution.
  const std::vector<SparseRow> singular{rows[0], rows[1], {{0, 3}, {1, 4}, {2, 1}}};
  EXPECT_FALSE(solve_exactly(singular, b));
}

TEST(Engine, ConvexSeedRefutesWhatNoUpSetCanWithoutAnLp) {
  // Under 0 ⊥ 1 | 2 the only up-set indicator positive on 0,1|∅ ([{0,1} ⊆
  // S]) is positive on the premise too; max(0, |S| − 1) is zero on it and
  // positive on 0,1|∅. Every other statement has an up-set of its own, so
  // the closure is decided by the two seeded models alone.
  Engine engine(4);
  const std::vector<Statement> premises{st(bit(0), bit(1), bit(2))};
  const Closure closure = engine.closure(premises);
  EXPECT_EQ(closure.lps, 0);
  EXPECT_EQ(closure.models.size(), 2U);
  const int marginal = engine.ground().index(bit(0) | bit(1), 0);
  ASSERT_NE(closure.witness(marginal), nullptr);
  EXPECT_TRUE(check_model(4, *closure.witness(marginal), premises, std::vector<Statement>{st(bit(0), bit(1))}));
  for (int e = 0; e < engine.ground().elementary_count(); ++e) {
    if (engine.ground().elementary(e) == premises[0]) continue;
    EXPECT_EQ(closure.fate[static_cast<std::size_t>(e)], Closure::Fate::refuted) << e;
  }
}

TEST(Engine, DeadlineAlreadyPastLeavesEverythingOpenUndecided) {
  Engine engine(6);
  const std::vector<Statement> premises{st(bit(0), bit(1)), st(bit(2), bit(3), bit(4) | bit(5))};
  // The first is decided without any LP (its one part is a premise): a
  // past deadline does not hide it. The others would need the engine.
  const std::vector<Statement> failing{st(bit(0), bit(1)), st(bit(0), bit(5), bit(1)), st(bit(2) | bit(4), bit(3))};
  const Deadline past = Clock::now() - std::chrono::seconds(1);
  const Structural answer = engine.structural(premises, failing, past);
  EXPECT_EQ(answer.verdict, Verdict::implied);
  EXPECT_EQ(answer.forced, (std::vector<std::size_t>{0}));
  EXPECT_EQ(answer.undecided, (std::vector<std::size_t>{1, 2}));
  EXPECT_FALSE(answer.witness);
  const std::vector<Statement> open{failing[1], failing[2]};
  const Structural none = engine.structural(premises, open, past);
  EXPECT_EQ(none.verdict, Verdict::undecided);
  EXPECT_TRUE(none.forced.empty());
  EXPECT_EQ(none.undecided, (std::vector<std::size_t>{0, 1}));
  EXPECT_FALSE(none.witness);

  const Closure closure = engine.closure(premises, past);
  EXPECT_TRUE(closure.timed_out);
  EXPECT_TRUE(closure.models.empty());
  EXPECT_TRUE(closure.proofs.empty());
  const Ground& ground = engine.ground();
  for (int e = 0; e < ground.elementary_count(); ++e) {
    const bool premise = ground.elementary(e) == premises[0] || ground.elementary(e) == premises[1];
    EXPECT_EQ(closure.fate[static_cast<std::size_t>(e)], premise ? Closure::Fate::premise : Closure::Fate::undecided);
  }
}

TEST(Engine, RefusesGroundSetsOutsideItsRange) {
  EXPECT_THROW(Engine(1), std::invalid_argument);
  EXPECT_THROW(Engine(max_variables + 1), std::invalid_argument);
  Engine engine(3);
  EXPECT_THROW(engine.closure(std::vector<Statement>{st(bit(0), bit(3))}), std::invalid_argument);
}

}  // namespace
