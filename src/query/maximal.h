// Which statements hold in a function, told briefly: the maximal ones. A
// statement holds when all its parts do; it is listed when no statement
// with larger sets (A and B grown, C shrunk into them) also holds, since
// that one says it already.
#pragma once

#include <vector>

#include "ci/statement.h"
#include "lp/ground.h"
#include "tables/row_set.h"

namespace imset::query {

// The maximal statements over the variables of `ground` whose parts are
// all in `zeros`, in canonical order.
std::vector<ci::Statement> maximal_statements(const RowSet& zeros, ci::Mask ground);

// Past this many variables the statements (4^N of them) are not listed.
inline constexpr int max_listed_variables = 10;

// The same over any number of variables: `zero` says, by the ground's
// elementary index, which elementary statements hold.
std::vector<ci::Statement> maximal_statements(const lp::Ground& ground, const std::vector<char>& zero);

}  // namespace imset::query
