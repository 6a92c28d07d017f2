#include "query/lp_answer.h"

#include <algorithm>

namespace imset::query {

lp::Engine& LpAnswerer::engine(int n) {
  std::unique_ptr<lp::Engine>& engine = engines_[n];
  if (!engine) engine = std::make_unique<lp::Engine>(n);
  return *engine;
}

namespace {

// The structural answer read off a closure: a "-" statement is forced when
// every part is implied; otherwise the models refuting one part of each
// sum to a model of the whole query (products add, and none is negative).
void answer_from_closure(const lp::Ground& ground, const Query& query, const lp::Closure& closure, bool certify,
                         LpAnswer& answer) {
  lp::Values sum(static_cast<std::size_t>(ground.subset_count()));
  for (std::size_t i = 0; i < query.fails.size(); ++i) {
    const std::vector<int> parts = ground.parts(query.fails[i]);
    const auto refuted = std::ranges::find_if(parts, [&](int e) { return !closure.implied(e); });
    if (refuted == parts.end()) {
      answer.forced.push_back(i);
      if (certify) {
        for (const int e : parts) answer.certificates.push_back(closure.certificate(ground, e));
      }
      continue;
    }
    const lp::Values& model = *closure.witness(*refuted);
    for (std::size_t k = 0; k < sum.size(); ++k) sum[k] += model[k];
  }
  if (!answer.forced.empty()) {
    answer.verdict = lp::Verdict::implied;
  } else if (lp::check_model(ground.n(), sum, query.holds, query.fails)) {
    answer.verdict = lp::Verdict::not_implied;
    answer.model = std::move(sum);
  }
}

}  // namespace

void LpAnswerer::answer(const Query& query, int n, const LpRequest& request, LpAnswer& answer) {
  answer = {};
  lp::Engine& lp = engine(n);
  if (!request.closure) {
    lp::Structural structural = lp.structural(query.holds, query.fails, request.deadline);
    answer.verdict = structural.verdict;
    answer.forced = structural.forced;
    answer.undecided = structural.undecided;
    answer.lps = structural.lps;
    answer.timed_out = structural.verdict == lp::Verdict::undecided;
    if (structural.witness) answer.model = std::move(structural.witness);
    if (request.certify) {
      for (std::vector<lp::Certificate>& parts : structural.certificates) {
        std::move(parts.begin(), parts.end(), std::back_inserter(answer.certificates));
      }
    }
    return;
  }
  // Every statement's fate at once: the structural answer comes with it.
  const lp::Closure closure = lp.closure(query.holds, request.deadline);
  answer.lps = closure.lps;
  const lp::Ground& ground = lp.ground();
  if (closure.timed_out) {
    answer.timed_out = true;
    for (std::size_t i = 0; i < query.fails.size(); ++i) {
      const std::vector<int> parts = ground.parts(query.fails[i]);
      if (std::ranges::any_of(parts, [&](int e) {
            return closure.fate[static_cast<std::size_t>(e)] == lp::Closure::Fate::undecided;
          })) {
        answer.undecided.push_back(i);
      }
    }
    return;
  }
  answer_from_closure(ground, query, closure, request.certify, answer);
  if (answer.verdict == lp::Verdict::undecided) {
    answer.timed_out = true;  // never expected: every fate was decided
    return;
  }
  // A certificate for each implied statement beyond the premises and the
  // forced parts already proved.
  std::vector<char> proved(static_cast<std::size_t>(ground.elementary_count()), 0);
  for (const lp::Certificate& c : answer.certificates) proved[static_cast<std::size_t>(ground.index(c.target))] = 1;
  for (int e = 0; e < ground.elementary_count(); ++e) {
    if (!closure.implied(e)) continue;
    answer.implied.push_back(ground.elementary(e));
    if (request.certify && closure.fate[static_cast<std::size_t>(e)] != lp::Closure::Fate::premise &&
        proved[static_cast<std::size_t>(e)] == 0) {
      answer.certificates.push_back(closure.certificate(ground, e));
    }
  }
}

bool LpAnswerer::certify(const Query& query, int n, const std::vector<ci::Statement>& targets, lp::Deadline deadline,
                         LpAnswer& answer) {
  answer = {};
  if (targets.empty()) return true;
  const lp::Structural proof = engine(n).structural(query.holds, targets, deadline);
  answer.lps = proof.lps;
  answer.timed_out = !proof.undecided.empty();
  if (proof.forced.size() != targets.size()) return false;
  for (const std::vector<lp::Certificate>& parts : proof.certificates) {
    answer.certificates.insert(answer.certificates.end(), parts.begin(), parts.end());
  }
  return true;
}

}  // namespace imset::query
