// A conditional-independence statement A ⊥ B | C over the variables: A and
// B nonempty and disjoint, C disjoint from both. It holds for a set
// function m exactly when each of its elementary parts a,b|K does (a in A,
// b in B, C ⊆ K ⊆ (A ∪ B ∪ C) minus {a, b}): its semi-elementary imset
// δ(ABC) + δ(C) − δ(AC) − δ(BC) is a sum of those parts with positive
// coefficients, and every part has a product >= 0 with a supermodular m.
// An elementary statement is the case of one element on each side.
#pragma once

#include <bit>
#include <string>

#include "ci/variables.h"

namespace imset::ci {

struct Statement {
  Mask a = 0;
  Mask b = 0;
  Mask c = 0;

  constexpr Mask elements() const { return a | b | c; }
  constexpr bool elementary() const { return std::popcount(a) == 1 && std::popcount(b) == 1; }
  constexpr bool operator==(const Statement&) const = default;
};

// The statement with the side holding the least element first, the one
// way it is kept and written. A and B must be nonempty and disjoint, C
// disjoint from both.
constexpr Statement make_statement(Mask a, Mask b, Mask c) {
  return std::countr_zero(a) < std::countr_zero(b) ? Statement{a, b, c} : Statement{b, a, c};
}

// Calls visit(pair, k) for each elementary part: `pair` has the bits of a
// and b, `k` those of K.
template <typename Visit>
constexpr void for_each_part(const Statement& s, Visit visit) {
  for (Mask as = s.a; as != 0; as &= as - 1) {
    for (Mask bs = s.b; bs != 0; bs &= bs - 1) {
      const Mask pair = (as & (0U - as)) | (bs & (0U - bs));
      const Mask free = s.elements() & ~pair & ~s.c;
      // Every K = C ∪ F for F ⊆ free, the empty F included.
      for (Mask f = free;; f = (f - 1) & free) {
        visit(pair, s.c | f);
        if (f == 0) break;
      }
    }
  }
}

// The statement in the variables' names. With one-character names (the
// digits when none are declared) the compact form "0,12|3": each set run
// together, "|" left out for empty C. Otherwise the long form
// "smoke _||_ tar, cancer | genes", " | C" left out for empty C.
std::string statement_text(const Statement& s, const Variables& variables);

}  // namespace imset::ci
