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

bool fails_in(const RowSet& group, const RowSet& zeros) { return !group.is_subset_of(zeros); }

}  // namespace

Answerer::Answerer(const RayIndex& index) : index_(index), candidate_bits_(index.words()) {
  listed_.reserve(listed_candidates_limit);
}

Candidates Answerer::find_candidates(const RowSet& held) {
  const std::size_t words = index_.words();
  std::array<int, elementary_count> by_rarity{};
  std::size_t row_count = 0;
  held.for_each([&](int p) { by_rarity[row_count++] = p; });
  // The rarest rows first: they empty a block soonest.
  std::sort(by_rarity.begin(), by_rarity.begin() + static_cast<std::ptrdiff_t>(row_count),
            [&](int a, int b) { return index_.zero_count(a) < index_.zero_count(b); });
  std::array<const std::uint64_t*, elementary_count> rows{};
  for (std::size_t r = 0; r < row_count; ++r) rows[r] = index_.zero_at(by_rarity[r]);
  std::uint64_t* const c = candidate_bits_.data();
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
    // Only whether there are few enough to list matters.
    if (count <= listed_candidates_limit) {
      for (std::size_t w = start; w < end; ++w) count += static_cast<std::size_t>(std::popcount(c[w]));
    }
  }
  listed_.clear();
  if (count <= listed_candidates_limit) {
    for (std::size_t w = 0; w < words; ++w) {
      for (std::uint64_t bits = c[w]; bits != 0; bits &= bits - 1) {
        listed_.push_back(static_cast<std::uint32_t>(64 * w + static_cast<std::size_t>(std::countr_zero(bits))));
      }
    }
  }
  return {c, count, listed_};
}

// The rows of `asked` zero on every candidate, and the held ones; with the
// candidates listed, every row that is.
RowSet Answerer::closure_of(const Candidates& candidates, const RowSet& asked, const RowSet& held) const {
  if (candidates.is_listed()) {
    RowSet closure = RowSet::all();  // with no candidate, only m = 0 is left: everything holds
    for (const std::uint32_t r : candidates.listed) closure = closure & index_.ray(r).zeros;
    return closure;
  }
  RowSet closure = held;
  (asked - held).for_each([&](int p) {
    const std::uint64_t* zero = index_.zero_at(p);
    for (std::size_t w = 0; w < index_.words(); ++w) {
      if ((candidates.bits[w] & ~zero[w]) != 0) return;
    }
    closure.insert(p);
  });
  return closure;
}

template <typename Visit>
void Answerer::visit_candidates_failing(const Candidates& candidates, std::span<const RowSet> groups,
                                        Visit visit) const {
  if (candidates.is_listed()) {
    for (const std::uint32_t r : candidates.listed) {
      const RowSet& zeros = index_.ray(r).zeros;
      if (std::all_of(groups.begin(), groups.end(), [&](const RowSet& g) { return fails_in(g, zeros); }) && !visit(r))
        return;
    }
    return;
  }
  for (std::size_t w = 0; w < index_.words(); ++w) {
    std::uint64_t left = candidates.bits[w];
    for (std::size_t g = 0; g < groups.size() && left != 0; ++g) {
      std::uint64_t nonzero_somewhere = 0;
      groups[g].for_each([&](int p) { nonzero_somewhere |= ~index_.zero_at(p)[w]; });
      left &= nonzero_somewhere;
    }
    for (; left != 0; left &= left - 1) {
      if (!visit(static_cast<std::uint32_t>(64 * w + static_cast<std::size_t>(std::countr_zero(left))))) return;
    }
  }
}

std::uint32_t Answerer::best_candidate_failing(const Candidates& candidates, const RowSet& group,
                                               std::span<const RowSet> uncovered) const {
  std::uint32_t best = no_ray;
  std::size_t best_covered = 0;
  std::size_t seen = 0;
  visit_candidates_failing(candidates, std::span(&group, 1), [&](std::uint32_t r) {
    const RowSet& zeros = index_.ray(r).zeros;
    const auto covered = static_cast<std::size_t>(
        std::count_if(uncovered.begin(), uncovered.end(), [&](const RowSet& g) { return fails_in(g, zeros); }));
    if (covered > best_covered) {
      best = r;
      best_covered = covered;
    }
    return ++seen < witness_choices && best_covered < uncovered.size();
  });
  return best;
}

RowSet Answerer::implied_rows(const RowSet& held, const RowSet& asked) {
  return closure_of(find_candidates(held), asked, held);
}

void Answerer::answer(const QueryRows& query, bool full_closure, Answer& answer) {
  answer.witness.clear();
  answer.forced.clear();
  answer.ray = no_ray;
  const Candidates candidates = find_candidates(query.held);
  RowSet asked = RowSet::all();
  if (!full_closure) {
    asked = {};
    for (const RowSet& group : query.failing) asked = asked | group;
  }
  const RowSet closure = closure_of(candidates, asked, query.held);
  answer.implied = full_closure ? closure : RowSet{};
  for (std::size_t i = 0; i < query.failing.size(); ++i) {
    if (query.failing[i].is_subset_of(closure)) answer.forced.push_back(i);
  }
  answer.structural = answer.forced.empty();

  visit_candidates_failing(candidates, query.failing, [&](std::uint32_t r) {
    answer.ray = r;
    return false;
  });
  if (!answer.structural) return;
  // Greedily: for the first "-" statement no ray chosen fails, the
  // candidate failing most of the others, until none is left.
  uncovered_.assign(query.failing.begin(), query.failing.end());
  while (!uncovered_.empty()) {
    const std::uint32_t r = best_candidate_failing(candidates, uncovered_.front(), uncovered_);
    answer.witness.push_back(r);
    std::erase_if(uncovered_, [&](const RowSet& g) { return fails_in(g, index_.ray(r).zeros); });
  }
}

std::array<std::int64_t, subset_count> sum_of(const RayIndex& index, const std::vector<std::uint32_t>& rays) {
  std::array<std::int64_t, subset_count> sum{};
  for (const std::uint32_t r : rays) {
    const SetFunction values = index.values(r);
    for (std::size_t k = 0; k < subset_count; ++k) sum[k] += values[k];
  }
  return sum;
}

RowSet exact_zero_rows(const std::array<std::int64_t, subset_count>& values) {
  const std::array<std::int64_t, elementary_count> products = exact_imset_values(values);
  RowSet zeros;
  for (int p = 0; p < elementary_count; ++p) {
    if (products[static_cast<std::size_t>(p)] == 0) zeros.insert(p);
  }
  return zeros;
}

bool realises(const RayIndex& index, const std::vector<std::uint32_t>& rays, const QueryRows& query) {
  const RowSet zeros = exact_zero_rows(sum_of(index, rays));
  return query.held.is_subset_of(zeros) &&
         std::all_of(query.failing.begin(), query.failing.end(), [&](const RowSet& g) { return fails_in(g, zeros); });
}

bool answer_realises(const RayIndex& index, const QueryRows& query, const Answer& answer) {
  const bool ray_checks = answer.ray == no_ray || realises(index, {answer.ray}, query);
  return ray_checks && (!answer.structural || realises(index, answer.witness, query));
}

}  // namespace imset::query
