#include "query/respond.h"

#include <algorithm>
#include <chrono>
#include <sstream>

#include "query/maximal.h"
#include "query/statement.h"
#include "tables/imsets.h"

namespace imset::query {
namespace {

constexpr int status_bad_input = 2;
constexpr int status_failure = 1;

#ifdef IMSET_WITHOUT_LP_ENGINE
constexpr const char* no_lp_engine =
    "this build has no linear-programming engine, which questions over more than five variables and certificates "
    "need; imset-query and the Python module imset answer them";
#else
// The maximal statements of a set of elementary ones (by the ground's
// index), leaving out those whose parts all lie in `given`.
std::vector<ci::Statement> maximal_beyond(const lp::Ground& ground, const std::vector<char>& zero,
                                          const std::vector<char>& given) {
  std::vector<ci::Statement> beyond;
  for (const ci::Statement& s : maximal_statements(ground, zero)) {
    const std::vector<int> parts = ground.parts(s);
    if (!std::all_of(parts.begin(), parts.end(), [&](int e) { return given[static_cast<std::size_t>(e)] != 0; })) {
      beyond.push_back(s);
    }
  }
  return beyond;
}
#endif

// The witness as a function on all 2^n subsets of the first n elements,
// by mask, from the exact sum of rays' values.
lp::Values model_values(const std::array<std::int64_t, subset_count>& sum, int n) {
  lp::Values values(std::size_t{1} << n);
  for (std::size_t mask = 0; mask < values.size(); ++mask) {
    const int k = subset_index_of_mask(static_cast<unsigned>(mask));
    if (k >= 0) values[mask] = static_cast<long>(sum[static_cast<std::size_t>(k)]);
  }
  return values;
}

}  // namespace

std::string refusal_text(const Refusal& refusal, const std::string& source, std::uint32_t line) {
  const std::string where = source + " line " + std::to_string(line);
  return refusal.status == status_failure
             ? "internal error: " + refusal.message + " for " + where + "; please report it"
             : where + ": " + refusal.message;
}

Responder::Responder(AnswerSettings settings, RaySource rays) : settings_(settings), rays_(std::move(rays)) {}

bool Responder::uses_rays(int n) const {
  return settings_.engine == EngineChoice::rays || (settings_.engine == EngineChoice::automatic && n <= ground_size);
}

lp::Deadline Responder::deadline() const {
  if (settings_.time_limit <= 0) return std::nullopt;
  return lp::Clock::now() +
         std::chrono::duration_cast<lp::Clock::duration>(std::chrono::duration<double>(settings_.time_limit));
}

Refusal Responder::timed_out(const Query& query, const ci::Variables& variables,
                             const std::vector<std::size_t>& undecided) const {
  std::ostringstream message;
  message << "no answer within the time limit of " << settings_.time_limit << " s";
  if (!undecided.empty()) {
    message << ';';
    for (const std::size_t i : undecided) message << " -" << ci::statement_text(query.fails[i], variables);
    message << " undecided";
  }
  return {status_bad_input, message.str(), true};
}

bool Responder::answer(const Query& query, const ci::Variables& variables, Findings& findings, Refusal& refusal) {
  findings = {};
  const int n = variables.size();
  if (!uses_rays(n)) return from_lp(query, variables, findings, refusal);
  if (n > ground_size) {
    refusal = {status_bad_input, "the rays answer over at most five variables, this query has " + std::to_string(n) +
                                     "; use --engine lp or auto"};
    return false;
  }
  return from_rays(query, variables, findings, refusal);
}

bool Responder::from_rays(const Query& query, const ci::Variables& variables, Findings& findings, Refusal& refusal) {
  if (index_ == nullptr) {
    std::string error;
    index_ = rays_(error);
    if (index_ == nullptr) {
      refusal = {status_bad_input, error};
      return false;
    }
    answerer_ = std::make_unique<Answerer>(*index_);
  }
  const QueryRows rows = query_rows(query);
  answerer_->answer(rows, settings_.closure, answer_);
  if (!answer_realises(*index_, rows, answer_)) {
    refusal = {status_failure, "an answer does not realise its query"};
    return false;
  }
  findings.structural = answer_.structural;
  findings.forced = answer_.forced;
  findings.index = index_;
  findings.witness_rays = answer_.witness;
  findings.ray = answer_.ray;
  if (answer_.structural) {
    const auto sum = sum_of(*index_, answer_.witness);
    if (settings_.witness_holds && !query.fails.empty()) {
      findings.witness_holds = maximal_statements(exact_zero_rows(sum), variables.all());
    }
    if (settings_.model) findings.model = model_values(sum, variables.size());
  }
  if (settings_.closure) {
    const RowSet implied = answer_.implied & rows_within(variables.all());
    implied.for_each([&](int p) { findings.implied.push_back(row_statement(p)); });
    if (settings_.implied_beyond) {
      for (const ci::Statement& s : maximal_statements(implied, variables.all())) {
        if (!part_rows(s).is_subset_of(rows.held)) findings.implied_beyond.push_back(s);
      }
    }
  }
  if (!settings_.certify) return true;
#ifdef IMSET_WITHOUT_LP_ENGINE
  refusal = {status_bad_input, no_lp_engine};
  return false;
#else
  // The rays give no certificates: the LP engine proves what they found.
  std::vector<ci::Statement> targets;
  RowSet forced_parts;
  for (const std::size_t i : answer_.forced) {
    forced_parts = forced_parts | part_rows(query.fails[i]);
    part_rows(query.fails[i]).for_each([&](int p) { targets.push_back(row_statement(p)); });
  }
  if (settings_.closure) {
    ((answer_.implied & rows_within(variables.all())) - rows.held - forced_parts).for_each([&](int p) {
      targets.push_back(row_statement(p));
    });
  }
  if (!lp_.certify(query, variables.size(), targets, deadline(), lp_answer_)) {
    refusal =
        lp_answer_.timed_out ? timed_out(query, variables, {}) : Refusal{status_failure, "the two engines disagree"};
    return false;
  }
  findings.certificates = std::move(lp_answer_.certificates);
  findings.lps = lp_answer_.lps;
  return true;
#endif
}

bool Responder::from_lp(const Query& query, const ci::Variables& variables, Findings& findings, Refusal& refusal) {
#ifdef IMSET_WITHOUT_LP_ENGINE
  (void)query;
  (void)variables;
  (void)findings;
  refusal = {status_bad_input, no_lp_engine};
  return false;
#else
  lp_.answer(query, variables.size(), {settings_.closure, settings_.certify, deadline()}, lp_answer_);
  if (lp_answer_.timed_out) {
    refusal = timed_out(query, variables, lp_answer_.undecided);
    return false;
  }
  const lp::Ground ground(variables.size());
  const bool listed = variables.size() <= max_listed_variables;
  findings.structural = lp_answer_.verdict == lp::Verdict::not_implied;
  findings.forced = lp_answer_.forced;
  findings.lps = lp_answer_.lps;
  if (findings.structural && lp_answer_.model) {
    if (settings_.witness_holds && !query.fails.empty() && listed) {
      std::vector<char> zero(static_cast<std::size_t>(ground.elementary_count()));
      for (int e = 0; e < ground.elementary_count(); ++e) {
        zero[static_cast<std::size_t>(e)] = lp::product(*lp_answer_.model, ground.elementary(e)) == 0 ? 1 : 0;
      }
      findings.witness_holds = maximal_statements(ground, zero);
    }
    if (settings_.model) findings.model = std::move(lp_answer_.model);
  }
  if (settings_.closure) {
    findings.implied = lp_answer_.implied;
    std::sort(findings.implied.begin(), findings.implied.end(), written_before);
    if (settings_.implied_beyond && listed) {
      std::vector<char> zero(static_cast<std::size_t>(ground.elementary_count()));
      std::vector<char> given(zero.size());
      for (const ci::Statement& s : findings.implied) zero[static_cast<std::size_t>(ground.index(s))] = 1;
      for (const ci::Statement& s : query.holds) {
        for (const int e : ground.parts(s)) given[static_cast<std::size_t>(e)] = 1;
      }
      findings.implied_beyond = maximal_beyond(ground, zero, given);
    }
  }
  findings.certificates = std::move(lp_answer_.certificates);
  return true;
#endif
}

}  // namespace imset::query
