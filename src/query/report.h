// Printing the answers: a few lines of text per query and a closing count,
// or one JSON object per query per line. Statements are written in the
// names the query was asked in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

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

// The object --json prints for one answer: where the query was asked
// (`source`, `line`), the query and its variables, and the answer, every
// statement in the query's names.
nlohmann::ordered_json json_answer(const std::string& source, std::uint32_t line, const Query& query,
                                   const ci::Variables& variables, const RayIndex& index, const Answer& answer);

// The maximal statements of the closure that say more than the given
// ones: what --implied lists.
std::vector<ci::Statement> implied_beyond_given(const QueryRows& rows, const Answer& answer,
                                                const ci::Variables& variables);

// The elementary statements of these rows that name only the variables,
// in vector-file order and in their names: the "implied" list.
std::vector<std::string> row_names(const RowSet& rows, const ci::Variables& variables);

// Why a query cannot be written as an imset-check vector, or "" when it
// can: a vector asks each of its "-" rows to be nonzero, so a failing
// statement must be elementary and no "-" row may be asked to be zero.
std::string vector_fault(const Query& query, const ci::Variables& variables);

// The queries as an imset-check vector file: "+", "-" or "x" at each of
// the 80 positions, then "END".
void print_vectors(Output& out, const QueryInputs& inputs);

}  // namespace imset::query
