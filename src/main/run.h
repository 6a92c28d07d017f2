// The frame of one run: command line, vector file, the search driven by the
// extreme-point reader, and the summary. Returns the exit status: 0 after
// the summary or when every vector was matched, 2 after the usage line, 1
// after a message ending in "Processing halted".
#pragma once

#include "../input/extreme_points.h"

namespace imset {

struct SearchProcedures {
  void (*prepare)();  // after the vector file is read
  RecordProcedure process_record;
};

int run(int argc, const char* const* argv, const SearchProcedures& search);

}  // namespace imset
