// One query answered by the engine that suits it, into engine-neutral
// Findings: the shipped rays up to five variables, linear programming past
// them (or when asked), certificates from the LP engine for either. Every
// answer is checked before it is handed out. imset-query and the Python
// module both answer this way.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ci/variables.h"
#include "query/answer.h"
#include "query/lp_answer.h"
#include "query/query.h"
#include "query/ray_index.h"
#include "query/report.h"

namespace imset::query {

enum class EngineChoice { automatic, rays, lp };

struct AnswerSettings {
  EngineChoice engine = EngineChoice::automatic;
  bool closure = false;         // every implied statement
  bool implied_beyond = false;  // and the maximal ones beyond the given
  bool witness_holds = false;   // the maximal statements that hold in the witness
  bool model = false;           // the witness's values
  bool certify = false;         // certificates for the forced and implied statements
  double time_limit = 0;        // seconds for one query; 0 for none
};

// Why a query got no answer: status 2 (the query cannot be answered as
// asked, or not in time) or 1 (a fault of the program), and the message.
struct Refusal {
  int status = 0;
  std::string message;
  bool timed_out = false;  // the time limit ran out
};

// A refusal as said of the query asked at line `line` of `source`: a
// fault of the program asks to be reported.
std::string refusal_text(const Refusal& refusal, const std::string& source, std::uint32_t line);

// The rays, loaded when first needed; nullptr with the message otherwise.
using RaySource = std::function<const RayIndex*(std::string& error)>;

class Responder {
 public:
  Responder(AnswerSettings settings, RaySource rays);

  // Whether this query goes to the rays.
  bool uses_rays(int n) const;
  void set_time_limit(double seconds) { settings_.time_limit = seconds; }
  // The findings of one query asked in `variables`; false with the
  // refusal filled in.
  bool answer(const Query& query, const ci::Variables& variables, Findings& findings, Refusal& refusal);

 private:
  bool from_rays(const Query& query, const ci::Variables& variables, Findings& findings, Refusal& refusal);
  bool from_lp(const Query& query, const ci::Variables& variables, Findings& findings, Refusal& refusal);
  lp::Deadline deadline() const;
  Refusal timed_out(const Query& query, const ci::Variables& variables,
                    const std::vector<std::size_t>& undecided) const;

  AnswerSettings settings_;
  RaySource rays_;
  const RayIndex* index_ = nullptr;
  std::unique_ptr<Answerer> answerer_;
  Answer answer_;
#ifndef IMSET_WITHOUT_LP_ENGINE
  LpAnswerer lp_;
  LpAnswer lp_answer_;
#endif
};

}  // namespace imset::query
