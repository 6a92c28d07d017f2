// The search over one record: every arrangement of its values that a
// renaming of the five elements produces, tested against every vector not yet
// matched, each match reported at once.
//
// Whether a vector matches depends only on which imset values are zero, and
// renaming the elements only permutes the 80 imset values. So a record's
// imset values are computed once, and each arrangement ("variant") is just
// the record's zero pattern permuted. Two variants with equal text have equal
// zero patterns, and a repeated pattern cannot match a vector the first one
// did not, so only new patterns are tested. Once a record has been searched,
// no record whose zero pattern is a renaming of its pattern can match any
// vector still unmatched; such records are passed over.
#pragma once

#include <cstdint>

#include "../tables/tables.h"

namespace imset {

// 1-based number of the record being searched, as printed in reports.
extern std::int32_t record_number;

// Called once after the vector file is read and before the first record.
void prepare_search();

// Searches the record in the token slots; true when the last vector has
// been matched and the run is over.
bool process_record();

}  // namespace imset
