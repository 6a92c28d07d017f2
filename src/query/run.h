// One run of imset-query: the options, the queries from every source, the
// rays, the answers and the closing count. Returns the exit status: 0 when
// every query was answered, 1 when an answer failed its check (a failed
// write ends the process through `out` with 1), 2 for bad options, queries
// or rays.
#pragma once

#include "text/output.h"

namespace imset::query {

int run(int argc, char** argv, Output& out);

}  // namespace imset::query
