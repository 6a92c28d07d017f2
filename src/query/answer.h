// Answers to a query from the functions of a RayIndex.
//
// Every extreme ray has all inner products >= 0, and a supermodular
// function is a non-negative combination of rays; its product with u is
// zero exactly when every ray in the combination has a zero product. So
// the functions zero on the "+" statements H are the combinations of the
// rays zero on all of H (the candidates), and the statements implied by H
// (its closure) are those zero on every candidate. A structural model
// exists exactly when no "-" statement is in the closure; the sum of one
// candidate nonzero at each "-" statement is then a witness.
#pragma once

#include <cstdint>
#include <vector>

#include "query/query.h"
#include "query/ray_index.h"
#include "tables/row_set.h"

namespace imset::query {

inline constexpr std::uint32_t no_ray = UINT32_MAX;

// A witness ray is chosen among this many candidates.
inline constexpr std::size_t witness_choices = 512;

// Up to this many candidates are listed and visited one by one; with more,
// rows are tested word by word over the bitsets.
inline constexpr std::size_t listed_candidates_limit = 512;

struct Answer {
  bool structural = false;
  RowSet forced;                       // "-" statements the "+" statements imply
  RowSet implied;                      // the closure of the "+" statements, when asked for
  std::vector<std::uint32_t> witness;  // rays whose sum realises the query
  std::uint32_t ray = no_ray;          // the first ray realising the query alone
};

class Answerer {
 public:
  explicit Answerer(const RayIndex& index);
  // full_closure: find every implied statement, not only the "-" ones.
  void answer(const Query& query, bool full_closure, Answer& answer);

 private:
  // Bitset of the rays zero on all of `holds`; their count.
  std::size_t find_candidates(const RowSet& holds);
  // Whether every candidate is zero at row p.
  bool candidates_zero_at(int p) const;
  // Calls visit(r) for each candidate r nonzero at every row of `rows`, in
  // ray order, while it returns true.
  template <typename Visit>
  void visit_candidates_nonzero_on(const RowSet& rows, Visit visit) const;
  // A candidate nonzero at row p, chosen among the first few such for
  // being nonzero at the most rows of `uncovered`; no_ray if none is.
  std::uint32_t best_candidate_nonzero_at(int p, const RowSet& uncovered) const;

  const RayIndex& index_;
  std::vector<std::uint64_t> candidates_;
  bool listed_ = false;  // few candidates: listed in members_
  std::vector<std::uint32_t> members_;
};

// Whether the sum of these rays realises the query: its 80 inner products,
// computed exactly, are zero at every "+" statement and nonzero at every
// "-" statement. Every answer is checked this way before it is printed.
bool realises(const RayIndex& index, const std::vector<std::uint32_t>& rays, const Query& query);

}  // namespace imset::query
