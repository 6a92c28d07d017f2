// Printing the answers: a few lines of text per query and a closing count,
// or one JSON object per query per line. Statements are written in the
// names the query was asked in.
#pragma once

#include <cstddef>
#include <string>

#include "query/answer.h"
#include "query/inputs.h"
#include "query/ray_index.h"
#include "text/output.h"

namespace imset::query {

struct Tally {
  std::size_t queries = 0;
  std::size_t models = 0;
  std::size_t without_ray = 0;
};

struct TextDetails {
  bool implied = false;  // the statements implied beyond the given ones
  bool values = false;   // the witness's values
};

void print_text_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const RayIndex& index,
                       const Answer& answer, TextDetails details);
void print_text_tally(Output& out, const Tally& tally);

void print_json_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const RayIndex& index,
                       const Answer& answer);

// Why a query cannot be written as an imset-check vector, or "" when it
// can: a vector asks each of its "-" rows to be nonzero, so a failing
// statement must be elementary and no "-" row may be asked to be zero.
std::string vector_fault(const Query& query, const ci::Variables& variables);

// The queries as an imset-check vector file: "+", "-" or "x" at each of
// the 80 positions, then "END".
void print_vectors(Output& out, const QueryInputs& inputs);

}  // namespace imset::query
