// Answers to a query from the functions of a RayIndex.
//
// Every extreme ray has all inner products >= 0, and a supermodular
// function is a non-negative combination of rays; its product with u is
// zero exactly when every ray in the combination has a zero product. So
// the functions zero on the "+" rows H are the combinations of the rays
// zero on all of H (the candidates), and the rows implied by H (its
// closure) are those zero on every candidate. A "-" statement fails in a
// function when one of its parts is nonzero there; it is forced when all
// its parts are in the closure. A structural model exists exactly when no
// "-" statement is forced; the sum of one candidate failing each "-"
// statement is then a witness.
#pragma once

#include <cstdint>
#include <span>
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
  std::vector<std::size_t> forced;     // the "-" statements the "+" statements imply, by index
  RowSet implied;                      // the closure of the "+" statements, when asked for
  std::vector<std::uint32_t> witness;  // rays whose sum realises the query
  std::uint32_t ray = no_ray;          // the first ray realising the query alone
};

// The rays zero on all "+" rows: a bitset over the index, and, when there
// are few, their list.
struct Candidates {
  const std::uint64_t* bits = nullptr;
  std::size_t count = 0;                  // exact up to listed_candidates_limit, past it only "more"
  std::span<const std::uint32_t> listed;  // empty when there are too many to list
  bool is_listed() const { return count <= listed_candidates_limit; }
};

class Answerer {
 public:
  explicit Answerer(const RayIndex& index);
  // full_closure: find every implied row, not only those of "-" statements.
  void answer(const QueryRows& query, bool full_closure, Answer& answer);
  // The rows the "+" rows imply, those of `asked` at least (RowSet::all()
  // for the whole closure): the closure of answer, without witness or ray.
  RowSet implied_rows(const RowSet& held, const RowSet& asked);

 private:
  Candidates find_candidates(const RowSet& held);
  RowSet closure_of(const Candidates& candidates, const RowSet& asked, const RowSet& held) const;
  // Calls visit(r) for each candidate r that fails every one of `groups`
  // (is nonzero at one of its rows at least), in ray order, while it
  // returns true.
  template <typename Visit>
  void visit_candidates_failing(const Candidates& candidates, std::span<const RowSet> groups, Visit visit) const;
  // A candidate failing `group`, chosen among the first few such for
  // failing the most of `uncovered`; no_ray if none does.
  std::uint32_t best_candidate_failing(const Candidates& candidates, const RowSet& group,
                                       std::span<const RowSet> uncovered) const;

  const RayIndex& index_;
  std::vector<std::uint64_t> candidate_bits_;  // scratch, one word per 64 rays
  std::vector<std::uint32_t> listed_;          // scratch
  std::vector<RowSet> uncovered_;              // scratch
};

// Whether the sum of these rays realises the query: its 80 inner products,
// computed exactly, are zero at every "+" row and, for every "-" statement,
// nonzero at one of its rows. Every answer is checked this way before it
// is printed.
bool realises(const RayIndex& index, const std::vector<std::uint32_t>& rays, const QueryRows& query);

// Whether the answer's first ray and, for a structural model, its witness
// realise the query: no answer is given before it passes.
bool answer_realises(const RayIndex& index, const QueryRows& query, const Answer& answer);

// The rows whose products with these values are zero, computed exactly.
RowSet exact_zero_rows(const std::array<std::int64_t, subset_count>& values);

// The sum of the rays' values, computed exactly.
std::array<std::int64_t, subset_count> sum_of(const RayIndex& index, const std::vector<std::uint32_t>& rays);

}  // namespace imset::query
