// The LP engine on facts small enough to know by hand, and its checkers
// against answers broken on purpose.
#include <gtest/gtest.h>

#include <vector>

#include "lp/check.h"
#include "lp/engine.h"

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

}  // namespace
