#include "query/answer.h"

#include <algorithm>
#include <array>
#include <bit>

#include "tables/imsets.h"

namespace imset::query {
namespace {

// Candidates are found a block of words at a time, so a block that no ray
// survives skips the remaining rows.
constexpr std::size_t block_words = 32;

}  // namespace

Answerer::Answerer(const RayIndex& index) : index_(index), candidates_(index.words()) {
  members_.reserve(listed_candidates_limit);
}

std::size_t Answerer::find_candidates(const RowSet& holds) {
  const std::size_t words = index_.words();
  std::array<int, elementary_count> by_rarity{};
  std::size_t row_count = 0;
  holds.for_each([&](int p) { by_rarity[row_count++] = p; });
  // The rarest rows first: they empty a block soonest.
  std::sort(by_rarity.begin(), by_rarity.begin() + static_cast<std::ptrdiff_t>(row_count),
            [&](int a, int b) { return index_.zero_count(a) < index_.zero_count(b); });
  std::array<const std::uint64_t*, elementary_count> rows{};
  for (std::size_t r = 0; r < row_count; ++r) rows[r] = index_.zero_at(by_rarity[r]);
  std::uint64_t* const c = candidates_.data();
  std::size_t count = 0;
  for (std::size_t start = 0; start < words; start += block_words) {
    const std::size_t end = std::min(words, start + block_words);
    if (row_count == 0) {  // every ray; none past the last one
      std::fill(c + start, c + end, ~std::uint64_t{0});
      if (end == words && index_.size() % 64 != 0) c[end - 1] = (std::uint64_t{1} << (index_.size() % 64)) - 1;
    } else {
      std::copy(rows[0] + start, rows[0] + end, c + start);
      for (std::size_t r = 1; r < row_count; ++r) {
        std::uint64_t any = 0;
        for (std::size_t w = start; w < end; ++w) any |= (c[w] &= rows[r][w]);
        if (any == 0) break;
      }
    }
    for (std::size_t w = start; w < end; ++w) count += static_cast<std::size_t>(std::popcount(c[w]));
  }
  return count;
}

bool Answerer::candidates_zero_at(int p) const {
  const std::uint64_t* zero = index_.zero_at(p);
  for (std::size_t w = 0; w < index_.words(); ++w) {
    if ((candidates_[w] & ~zero[w]) != 0) return false;
  }
  return true;
}

template <typename Visit>
void Answerer::visit_candidates_nonzero_on(const RowSet& rows, Visit visit) const {
  if (listed_) {
    for (const std::uint32_t r : members_) {
      if (!rows.intersects(index_.ray(r).zeros) && !visit(r)) return;
    }
    return;
  }
  std::array<const std::uint64_t*, elementary_count> zero{};
  std::size_t row_count = 0;
  rows.for_each([&](int p) { zero[row_count++] = index_.zero_at(p); });
  for (std::size_t w = 0; w < index_.words(); ++w) {
    std::uint64_t left = candidates_[w];
    for (std::size_t r = 0; r < row_count && left != 0; ++r) left &= ~zero[r][w];
    for (; left != 0; left &= left - 1) {
      if (!visit(static_cast<std::uint32_t>(64 * w + static_cast<std::size_t>(std::countr_zero(left))))) return;
    }
  }
}

std::uint32_t Answerer::best_candidate_nonzero_at(int p, const RowSet& uncovered) const {
  std::uint32_t best = no_ray;
  int best_covered = 0;
  std::size_t seen = 0;
  visit_candidates_nonzero_on(RowSet::of(p), [&](std::uint32_t r) {
    const int covered = (uncovered - index_.ray(r).zeros).size();
    if (covered > best_covered) {
      best = r;
      best_covered = covered;
    }
    return ++seen < witness_choices && best_covered < uncovered.size();
  });
  return best;
}

void Answerer::answer(const Query& query, bool full_closure, Answer& answer) {
  answer.witness.clear();
  answer.ray = no_ray;
  const std::size_t count = find_candidates(query.holds);
  const RowSet asked = full_closure ? RowSet::all() : query.fails;

  RowSet closure = RowSet::all();  // with no candidate, only m = 0 is left: everything holds
  members_.clear();
  listed_ = count <= listed_candidates_limit;
  if (listed_) {
    for (std::size_t w = 0; w < index_.words(); ++w) {
      for (std::uint64_t bits = candidates_[w]; bits != 0; bits &= bits - 1) {
        members_.push_back(static_cast<std::uint32_t>(64 * w + static_cast<std::size_t>(std::countr_zero(bits))));
      }
    }
    for (const std::uint32_t r : members_) closure = closure & index_.ray(r).zeros;
  } else {
    (asked - query.holds).for_each([&](int p) {
      if (!candidates_zero_at(p)) closure = closure - RowSet::of(p);
    });
  }
  answer.implied = full_closure ? closure : RowSet{};
  answer.forced = query.fails & closure;
  answer.structural = answer.forced.empty();

  visit_candidates_nonzero_on(query.fails, [&](std::uint32_t r) {
    answer.ray = r;
    return false;
  });
  if (!answer.structural) return;
  // Greedily: for the first "-" statement no ray chosen is nonzero at,
  // the candidate nonzero at most of the others, until none is left.
  RowSet uncovered = query.fails;
  while (!uncovered.empty()) {
    const std::uint32_t r = best_candidate_nonzero_at(uncovered.first(), uncovered);
    answer.witness.push_back(r);
    uncovered = uncovered & index_.ray(r).zeros;
  }
}

bool realises(const RayIndex& index, const std::vector<std::uint32_t>& rays, const Query& query) {
  std::array<std::int64_t, subset_count> sum{};
  for (const std::uint32_t r : rays) {
    const SetFunction values = index.values(r);
    for (std::size_t k = 0; k < subset_count; ++k) sum[k] += values[k];
  }
  const std::array<std::int64_t, elementary_count> products = exact_imset_values(sum);
  for (int p = 0; p < elementary_count; ++p) {
    const bool zero = products[static_cast<std::size_t>(p)] == 0;
    if ((query.holds.contains(p) && !zero) || (query.fails.contains(p) && zero)) return false;
  }
  return true;
}

}  // namespace imset::query
