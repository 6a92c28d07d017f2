// Which statements hold in a function, told briefly: the maximal ones. A
// statement holds when all its parts do; it is listed when no statement
// with larger sets (A and B grown, C shrunk into them) also holds, since
// that one says it already.
#pragma once

#include <vector>

#include "ci/statement.h"
#include "tables/row_set.h"

namespace imset::query {

// The maximal statements over the variables of `ground` whose parts are
// all in `zeros`, in canonical order.
std::vector<ci::Statement> maximal_statements(const RowSet& zeros, ci::Mask ground);

}  // namespace imset::query
