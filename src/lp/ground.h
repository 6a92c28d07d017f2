// The ground set {0..N-1} and its elementary imsets u(a,b|K) = δ(abK) +
// δ(K) − δ(aK) − δ(bK), a < b, K ⊆ N∖{a,b}: C(N,2)·2^(N−2) of them,
// numbered pair by pair (a,b in lexicographic order), K ascending as a
// mask within each pair. A set function is a vector over the 2^N subsets,
// indexed by mask.
#pragma once

#include <vector>

#include "ci/statement.h"

namespace imset::lp {

inline constexpr int min_variables = 2;
// Past this the LP has C(N,2)·2^(N−2) rows (159,744 at N = 13) and each
// question would take long; untimed past 10, see bench/README.md.
inline constexpr int max_variables = 12;

// Whether s is a statement over {0..n-1}: A and B nonempty and disjoint, C
// disjoint from both, every element below n.
bool valid_over(int n, const ci::Statement& s);

class Ground {
 public:
  // Throws std::invalid_argument for n outside [min_variables, max_variables].
  explicit Ground(int n);

  int n() const { return n_; }
  ci::Mask all() const { return (ci::Mask{1} << n_) - 1; }
  int subset_count() const { return 1 << n_; }
  int elementary_count() const { return static_cast<int>(elementary_.size()); }
  // The elementary statement of index e: a and b single bits, a < b, c = K.
  const ci::Statement& elementary(int e) const { return elementary_[static_cast<std::size_t>(e)]; }
  // The index of a,b|K given the pair's bits and K; -1 if it is not one.
  int index(ci::Mask pair, ci::Mask k) const;
  int index(const ci::Statement& elementary) const { return index(elementary.a | elementary.b, elementary.c); }
  // The indices of a statement's elementary parts. Throws
  // std::invalid_argument if it is not a statement over the ground set.
  std::vector<int> parts(const ci::Statement& s) const;

 private:
  int n_;
  std::vector<ci::Statement> elementary_;
  std::vector<int> pair_number_;  // a * n + b -> number of the pair
  std::vector<int> index_;        // pair number * 2^n + K -> index
};

}  // namespace imset::lp
