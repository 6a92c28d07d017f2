// Answers from the linear-programming engine: over any number of
// variables, and over five when asked for (--engine lp) or for
// certificates. Every model and certificate here has passed the engine's
// exact integer check.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "lp/engine.h"
#include "query/query.h"

namespace imset::query {

struct LpAnswer {
  lp::Verdict verdict = lp::Verdict::undecided;  // not_implied: a model exists
  std::vector<std::size_t> forced;               // "-" statements implied, by index
  std::vector<std::size_t> undecided;            // "-" statements left when time ran out
  std::optional<lp::Values> model;               // when a model exists: 2^N values by subset mask
  std::vector<ci::Statement> implied;            // every elementary statement implied, when asked
  std::vector<lp::Certificate> certificates;     // when asked: for the forced parts, then the implied
  bool timed_out = false;
  long lps = 0;
};

struct LpRequest {
  bool closure = false;  // find every implied statement
  bool certify = false;  // with a certificate for each
  lp::Deadline deadline;
};

class LpAnswerer {
 public:
  void answer(const Query& query, int n, const LpRequest& request, LpAnswer& answer);
  // Certificates that the "+" statements imply each of `targets`
  // (elementary statements), into answer.certificates: beside the rays,
  // which give none. False if one is not proved: answer.timed_out says
  // whether time ran out; otherwise the engine found it not implied.
  bool certify(const Query& query, int n, const std::vector<ci::Statement>& targets, lp::Deadline deadline,
               LpAnswer& answer);

 private:
  lp::Engine& engine(int n);
  std::map<int, std::unique_ptr<lp::Engine>> engines_;  // built when first needed: one per N
};

}  // namespace imset::query
