// Printing the answers: a few lines of text per query and a closing count,
// or one JSON object per query per line.
#pragma once

#include <cstddef>

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

void print_text_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const RayIndex& index,
                       const Answer& answer, bool with_implied);
void print_text_tally(Output& out, const Tally& tally);

void print_json_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const RayIndex& index,
                       const Answer& answer);

// The queries as an imset-check vector file: "+", "-" or "x" at each of
// the 80 positions, then "END".
void print_vectors(Output& out, const QueryInputs& inputs);

}  // namespace imset::query
