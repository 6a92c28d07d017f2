// Printing the answers: a few lines of text per query and a closing count,
// or one JSON object per query per line. Statements are written in the
// names the query was asked in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "lp/check.h"
#include "query/answer.h"
#include "query/inputs.h"
#include "query/ray_index.h"
#include "text/output.h"

namespace imset::query {

struct Tally {
  std::size_t queries = 0;
  std::size_t models = 0;
  std::size_t without_ray = 0;
  long lps = 0;  // linear programs solved, by either engine's certificates too
};

// What is printed about one query, whichever engine found it.
struct Findings {
  bool structural = false;
  std::vector<std::size_t> forced;            // "-" statements implied, by index
  std::vector<ci::Statement> witness_holds;   // the maximal statements that hold in the witness
  std::optional<lp::Values> model;            // the witness, 2^N values by subset mask, when wanted
  std::vector<ci::Statement> implied;         // every elementary statement implied, when asked
  std::vector<ci::Statement> implied_beyond;  // the maximal implied ones beyond the given, when asked
  std::vector<lp::Certificate> certificates;  // when asked
  // From the rays: the rays whose sum is the witness, the first single ray.
  const RayIndex* index = nullptr;
  std::vector<std::uint32_t> witness_rays;
  std::uint32_t ray = no_ray;
  long lps = 0;  // linear programs the answer took
};

// Counts one answer in the closing count.
void count_answer(Tally& tally, const Findings& findings);

struct TextDetails {
  bool implied = false;  // the statements implied beyond the given ones
  bool values = false;   // the witness's values
  bool certify = false;  // the certificates
};

void print_text_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const Findings& findings,
                       TextDetails details);
void print_text_tally(Output& out, const Tally& tally);

void print_json_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const Findings& findings,
                       bool certify);

// The object print_json_answer prints, for a query from `source`, `line`.
nlohmann::ordered_json json_answer(const std::string& source, std::uint32_t line, const Query& query,
                                   const ci::Variables& variables, const Findings& findings, bool certify);

// "u(0,1) + u(0,2|1) = u(0,1|2) + u(0,2)": a certificate as an identity.
std::string certificate_text(const lp::Certificate& certificate, const ci::Variables& variables);

// Why a query cannot be written as an imset-check vector, or "" when it
// can: a vector asks each of its "-" rows to be nonzero, so a failing
// statement must be elementary and no "-" row may be asked to be zero.
std::string vector_fault(const Query& query, const ci::Variables& variables);

// The queries as an imset-check vector file: "+", "-" or "x" at each of
// the 80 positions, then "END".
void print_vectors(Output& out, const QueryInputs& inputs);

}  // namespace imset::query
