// Seeded random statements over the five elements for the tests: each
// element in the first set, the second, the condition or none, until both
// sides are nonempty.
#pragma once

#include <random>

#include "ci/statement.h"
#include "query/statement.h"
#include "tables/row_set.h"

namespace imset::testing {

inline ci::Statement random_statement(std::mt19937& random) {
  while (true) {
    ci::Statement s;
    for (int e = 0; e < 5; ++e) {
      const ci::Mask bit = ci::Mask{1} << e;
      switch (random() % 4) {
        case 1:
          s.a |= bit;
          break;
        case 2:
          s.b |= bit;
          break;
        case 3:
          s.c |= bit;
          break;
        default:
          break;
      }
    }
    if (s.a != 0 && s.b != 0) return ci::make_statement(s.a, s.b, s.c);
  }
}

// An elementary statement, any row alike.
inline ci::Statement random_elementary(std::mt19937& random) {
  return query::row_statement(static_cast<int>(random() % elementary_count));
}

}  // namespace imset::testing
