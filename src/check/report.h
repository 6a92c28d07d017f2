// The four-line counter-example report:
//   Hold your horses: this is not good
//   Vector (n):<80 signs: "+", "-", "0" for anything else>
//   Imset: <80 imset values, each after a blank>
//   Permutation: (record nr r) <26 values, each followed by a blank>
#pragma once

#include <cstdint>

#include "input/vector_file.h"
#include "tables/imsets.h"
#include "text/output.h"

namespace imset {

// The report for vector number vector_index + 1, matched by the renamed
// values `values` of record number record_number.
void print_report(Output& out, int vector_index, const SignCodes& codes, std::int32_t record_number,
                  const SetFunction& values);

}  // namespace imset
