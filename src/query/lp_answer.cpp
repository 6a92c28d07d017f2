#include "query/lp_answer.h"

#include <algorithm>

namespace imset::query {

lp::Engine& LpAnswerer::engine(int n) {
  std::unique_ptr<lp::Engine>& engine = engines_[n];
  if (!engine) engine = std::make_unique<lp::Engine>(n);
  return *engine;
}

long LpAnswerer::lp_count() const {
  long count = 0;
  for (const auto& [n, engine] : engines_) count += engine->stats().lps;
  return count;
}

void LpAnswerer::answer(const Query& query, int n, const LpRequest& request, LpAnswer& answer) {
  answer = {};
  lp::Engine& lp = engine(n);
  lp::Structural structural = lp.structural(query.holds, query.fails, request.deadline);
  answer.verdict = structural.verdict;
  answer.forced = structural.forced;
  answer.undecided = structural.undecided;
  answer.lps = structural.lps;
  if (structural.verdict == lp::Verdict::undecided) {
    answer.timed_out = true;
    return;
  }
  if (structural.witness) answer.model = std::move(structural.witness);
  if (request.certify) {
    for (std::vector<lp::Certificate>& parts : structural.certificates) {
      std::move(parts.begin(), parts.end(), std::back_inserter(answer.certificates));
    }
  }
  if (!request.closure) return;
  const lp::Closure closure = lp.closure(query.holds, request.deadline);
  answer.lps += closure.lps;
  if (closure.timed_out) {
    answer.timed_out = true;
    return;
  }
  const lp::Ground& ground = lp.ground();
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
