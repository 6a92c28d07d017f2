// The number of structural models (sets of elementary statements closed
// under implication) over three and four variables: the published counts
// are 22 and 22,108. They are enumerated with Ganter's next-closure
// algorithm, one engine closure per candidate, so this checks `closure`
// on every closed set there is.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "lp/engine.h"

namespace {

using imset::ci::Statement;
using namespace imset::lp;
using Set = std::uint32_t;  // a set of elementary statements, by index

Set closure_of(Engine& engine, Set premises, long& lps) {
  std::vector<Statement> statements;
  for (Set s = premises; s != 0; s &= s - 1) statements.push_back(engine.ground().elementary(std::countr_zero(s)));
  const Closure c = engine.closure(statements);
  EXPECT_FALSE(c.timed_out);
  lps += c.lps;
  Set out = 0;
  for (int e = 0; e < engine.ground().elementary_count(); ++e) {
    if (c.implied(e)) out |= Set{1} << e;
  }
  return out;
}

// The closed sets in lectic order: the next one after A is the closure of
// A's members below i, plus i, for the largest i that adds nothing below i.
long count_closed_sets(int n) {
  Engine engine(n);
  const int m = engine.ground().elementary_count();
  long lps = 0;
  Set a = closure_of(engine, 0, lps);
  long count = 1;
  for (;;) {
    bool found = false;
    for (int i = m - 1; i >= 0 && !found; --i) {
      const Set bit = Set{1} << i;
      if ((a & bit) != 0) continue;
      const Set below = bit - 1;
      const Set b = closure_of(engine, (a & below) | bit, lps);
      if ((b & below) == (a & below)) {
        a = b;
        ++count;
        found = true;
      }
    }
    if (!found) break;
  }
  EXPECT_EQ(engine.stats().unanswered_lps, 0);
  std::printf("n %d: %ld closed sets, %ld LPs\n", n, count, lps);
  return count;
}

#ifdef IMSET_LP_LONG
TEST(ClosureCount, FourVariables) { EXPECT_EQ(count_closed_sets(4), 22108); }
#else
TEST(ClosureCount, ThreeVariables) { EXPECT_EQ(count_closed_sets(3), 22); }
#endif

}  // namespace
