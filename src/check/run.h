// The frame of one run of imset-check: command line, vector file, the
// search record by record, and the summary. Returns the exit status: 0
// after the summary or when every vector was matched, 2 after the usage
// line, 1 after a message ending in "Processing halted".
#pragma once

#include "search/search.h"
#include "text/output.h"

namespace imset {

int run(int argc, const char* const* argv, RecordSearch& search, Output& out);

}  // namespace imset
